"""One storm typed into the page's form: the values shown and the console records against the
native program's console for the same answers."""

import csv
import io
import re

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

from conftest import native_table, no_console_errors, run_native

FIELDS = ["gravity", "depth", "fetch_unit", "fetch", "speed_unit", "wind_speed", "duration_h",
          "rt", "rl", "local_depth", "angle_deg", "beach_slope", "settling_velocity"]

# Storms as typed: the two samples of the user's guide, a duration-limited storm in knots and
# miles, a negative angle with a typed slope and exponents, a storm that stops before the
# transport, and one that ends with a math error at the angle.
STORMS = {
    "si sample": ["9.81", "10", "4", "50", "2", "20", "5", "1", "1", "3", "30", "", "1.5"],
    "us sample": ["32.2", "20", "3", "10", "1", "50", "5", "1.1", "1", "8", "20", "", "1.5"],
    "duration limited": ["32.2", "40", "3", "60", "5", "45", "0.5", "1.05", "1.2", "12", "15", "0.02", "3"],
    "negative angle": ["9.81", "1.5E1", "1", "80000", "4", "90", "12", "1", "1.1", "2.5", "-25.5", "0.01", "2.5D0"],
    "no transport": ["9.81", "8", "5", "20", "3", "30", "3", "1", "1", "2", "10", "", ""],
    "angle of 90 degrees": ["9.81", "10", "4", "50", "2", "20", "5", "1", "1", "3", "90", "", "1.5"],
}

NUMBER = r"(-?(?:\d+\.\d*(?:E[-+]\d\d)?|NaN|-?Infinity))"


def console_answers(texts):
    """The answers file of the console dialogue for the form's texts."""
    answers = dict(zip(FIELDS, texts))
    lines = [answers[name] for name in FIELDS[:11]]
    if answers["settling_velocity"] == "":
        lines.append("0")
    else:
        lines += ["1", "", answers["beach_slope"] or "/", answers["settling_velocity"]]
    return "\n".join(lines) + "\n"


def console_values(console):
    """The values of a storm read off the console lines by their labels."""
    labelled = [
        (r"Density=", ["density"]),
        (r"Setup in feet =", ["setup_ft"]),
        (r"Setup in m =", ["setup_m"]),
        (r"Ua =", ["ua"]),
        (r"Fd, FF, Ftd =", ["fd", "ff", "ftd"]),  # the last pass wins
        (r"Hs and Ts", ["hs", "ts"]),
        (r"ks =", ["ks"]),
        (r"Deep wave length and celerity \(Lo,Co\)", ["lo", "co"]),
        (r"Wave length and celerity \(L1,C1\)", ["l1", "c1"]),
        (r"Approximate surf depth =", ["surf_depth"]),
        (r"s1,co,c1,so", ["s1", "co", "c1", "so"]),
        (r"AOR =", ["aor"]),
        (r"DEEP WATER WAVE ANGLE =", ["deep_angle"]),
        (r"Ks AND Kr =", ["ks", "kr"]),
        (r"Local angle =", ["local_angle"]),
        (r"Local wave length and height", ["local_length", "local_height"]),
        (r"Local wave height and celerity", ["local_height", "local_celerity"]),
        (r"Group Ratio, Ks and Kr \(Local\)", ["group_ratio", "ks_local", "kr_local"]),
        (r"Breaking Wave height", ["breaking_height"]),
        (r"Offshore", ["offshore_hrms", "offshore_hs", "offshore_h10", "offshore_h1"]),
        (r"Local ", ["local_hrms", "local_hs", "local_h10", "local_h1"]),
        (r"Hnso =", ["hnso", "deep_height"]),
        (r"Kpls, rho =", ["kpls", "density"]),
        (r"Surf Current ft/sec or m/s =", ["surf_current"]),
        (r"LONG SHORE RATE FOR THIS STORM yd3 or m3 =", ["storm_transport"]),
    ]
    values = {}
    lines = console.replace("\r", "").split("\n")
    for line in lines:
        for label, names in labelled:
            match = re.match(r"\s*" + label + r"\s+(.*)$", line)
            if match:
                numbers = re.findall(NUMBER, match.group(1))
                if len(numbers) == len(names):
                    values.update(zip(names, numbers))
                break
        share = re.match(r"\s*##\.##\s+(\d)\s+" + NUMBER + r"\s+" + NUMBER + r"\s+" + NUMBER + r"\s*$", line)
        if share:
            values[f"class_exposure_{share.group(1)}"] = share.group(2)
            values[f"class_share_{share.group(1)}"] = share.group(4)
        rate = re.match(r"\s+(\d)\s+" + NUMBER + r"\s+" + NUMBER + r"\s+" + NUMBER + r"\s+" + NUMBER + r"\s*$", line)
        if rate:
            i = rate.group(1)
            values.update({f"class_rate_{i}": rate.group(3), f"class_height_{i}": rate.group(4),
                           f"class_flux_{i}": rate.group(5)})
    return values


def type_storm(driver, texts):
    for name, text in zip(FIELDS, texts):
        element = driver.find_element(By.ID, name)
        if element.tag_name == "select":
            Select(element).select_by_value(text)
        else:
            element.clear()
            element.send_keys(text)
    driver.find_element(By.ID, "compute").click()


def shown_values(driver):
    return driver.execute_script(
        "const shown = {};"
        "for (const cell of document.querySelectorAll('#storm-results td[data-name]'))"
        "  if (cell.textContent !== '—') shown[cell.dataset.name] = cell.textContent;"
        "return shown;")


@pytest.mark.parametrize("storm", STORMS.keys())
def test_typed_storm_shows_the_native_values_and_console(page, storm):
    texts = STORMS[storm]
    native = run_native(console_answers(texts))
    with no_console_errors(page):
        type_storm(page, texts)
        shown_console = page.execute_script("return document.getElementById('console-text').textContent")
        shown = shown_values(page)
    expected = console_values(native)
    assert len(expected) >= 15
    # The page's console panel holds the console and then the error message; the console part is
    # the native program's to the byte.
    assert shown_console.startswith(native)
    for name, text in expected.items():
        assert shown.get(name) == text, name
    # The values the console does not print are the only ones beyond it.
    assert set(shown) - set(expected) <= {"effective_fetch", "fhs", "fts", "storm_transport_m3"} | {
        f"class_transport_m3_{i}" for i in range(1, 5)}


def test_math_error_is_told_and_the_values_before_it_are_shown(page):
    type_storm(page, STORMS["angle of 90 degrees"])
    summary = page.find_element(By.ID, "storm-summary").text
    assert "math error 6201: sqrt: DOMAIN error" in summary
    shown = shown_values(page)
    assert "hs" in shown and "storm_transport" not in shown


@pytest.mark.parametrize("field, text, message", [
    ("fetch", "fifty", '"fifty" is not a number.'),
    ("wind_speed", "20 m/s", '"20 m/s" is not a number.'),
    ("depth", "1.5.2", '"1.5.2" is not a number.'),
    ("duration_h", "", "A number is needed here."),
    ("rt", "/", '"/" is not a number.'),
    ("angle_deg", "1E39", '"1E39" is beyond the single-precision range.'),
    ("beach_slope", "0.0o5", '"0.0o5" is not a number.'),
    ("depth", " 1.5E1 ", None),  # blanks around a number, and an exponent
    ("rt", "1.05D0", None),
])
def test_an_answer_that_is_not_a_number_is_marked_and_nothing_is_computed(page, field, text, message):
    texts = list(STORMS["si sample"])
    texts[FIELDS.index(field)] = text
    with no_console_errors(page):
        type_storm(page, texts)
    element = page.find_element(By.ID, field)
    results_hidden = page.find_element(By.ID, "storm-results").get_attribute("hidden") is not None
    if message is None:
        assert element.get_attribute("aria-invalid") is None
        assert not results_hidden
        return
    assert element.get_attribute("aria-invalid") == "true"
    described = element.get_attribute("aria-describedby").split()
    assert f"{field}-error" in described and f"{field}-hint" in described
    assert page.find_element(By.ID, f"{field}-error").text == message
    assert results_hidden
    # Corrected, the mark goes and the storm is computed.
    element.clear()
    element.send_keys(STORMS["si sample"][FIELDS.index(field)] + Keys.ENTER)
    assert element.get_attribute("aria-invalid") is None
    assert page.find_elements(By.ID, f"{field}-error") == []
    assert page.find_element(By.ID, "storm-results").get_attribute("hidden") is None


def test_the_form_is_used_from_the_keyboard(page):
    gravity = page.find_element(By.ID, "gravity")
    gravity.clear()
    gravity.send_keys("32.2")
    # Tab through every field to the button, and press it.
    for _ in range(40):
        page.switch_to.active_element.send_keys(Keys.TAB)
        if page.switch_to.active_element.get_attribute("id") == "compute":
            break
    assert page.switch_to.active_element.get_attribute("id") == "compute"
    page.switch_to.active_element.send_keys(Keys.ENTER)
    assert page.find_element(By.ID, "storm-summary").text.startswith("US units")


def test_every_field_has_a_label_and_a_hint(page):
    for name in FIELDS:
        labels = page.find_elements(By.CSS_SELECTOR, f"label[for='{name}']")
        assert len(labels) == 1 and labels[0].get_attribute("textContent").strip(), name
        if page.find_element(By.ID, name).tag_name == "input":
            assert page.find_element(By.ID, f"{name}-hint").text, name


def test_run_storm_returns_the_values_by_column_name(page):
    result = page.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "littoral.runStorm({gravity: 9.81, depth: 10, fetch_unit: 'km', fetch: 50, speed_unit: 'm/s',"
        "  wind_speed: 20, duration_h: 5, rt: 1, rl: 1, local_depth: 3, angle_deg: 30,"
        "  settling_velocity: 1.5}).then(done, (e) => done(String(e)));")
    # The worked figures of the SI sample storm in the user's guide.
    assert result["units"] == "SI" and result["limited_by"] == "fetch" and result["error"] == ""
    assert result["hs"] == pytest.approx(2.161426, abs=5e-7)
    assert result["ts"] == pytest.approx(5.596187, abs=5e-7)
    assert result["storm_transport"] == pytest.approx(5417.703, abs=5e-4)
    rejected = page.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "littoral.runStorm({gravity: 'g'}).then(() => done('resolved'), (e) => done(e.problems));")
    assert rejected["gravity"] == '"g" is not a number' and rejected["depth"] == "no value"


def test_the_page_loads_without_a_console_message(browser, site_url):
    browser.get("about:blank")
    browser.get_log("browser")
    browser.get(site_url)
    browser.implicitly_wait(0)
    from selenium.webdriver.support.ui import WebDriverWait
    WebDriverWait(browser, 30).until(
        lambda driver: driver.execute_script("return document.body.dataset.ready === 'true'"))
    # A missing favicon or file, a script error or a warning would be here.
    assert browser.get_log("browser") == []


# Answers that cannot be read, as the form and littoral.AnswerError tell them: a number beyond
# the single-precision range is called so, not "not a number".
BEYOND = "is beyond the single-precision range"


@pytest.mark.parametrize("wrong, form_message, error_message", [
    ({"angle_deg": "1E39"},
     "One answer is beyond the single-precision range; nothing is computed until it is corrected.",
     f'beyond the single-precision range: angle_deg ("1E39" {BEYOND})'),
    ({"depth": "-3.5E38", "fetch": "ten", "rt": "/"},
     "2 answers are not a number and one is beyond the single-precision range; nothing is "
     "computed until they are corrected.",
     'not a number: fetch ("ten" is not a number), rt ("/" is not a number); '
     f'beyond the single-precision range: depth ("-3.5E38" {BEYOND})'),
    ({"depth": "1E39", "rl": "1E40", "rt": "x"},
     "One answer is not a number and 2 are beyond the single-precision range; nothing is "
     "computed until they are corrected.",
     f'not a number: rt ("x" is not a number); beyond the single-precision range: depth ("1E39" '
     f'{BEYOND}), rl ("1E40" {BEYOND})'),
], ids=["one beyond the range", "one beyond and two not numbers", "two beyond and one not a number"])
def test_an_answer_beyond_the_single_range_is_called_so(page, wrong, form_message, error_message):
    texts = [wrong.get(name, text) for name, text in zip(FIELDS, STORMS["si sample"])]
    with no_console_errors(page):
        type_storm(page, texts)
        assert page.find_element(By.ID, "form-message").text == form_message
        rejected = page.execute_async_script(
            "const [answers, done] = arguments;"
            "littoral.runStorm(answers).then(() => done('resolved'), (e) => done([e.name, e.message]));",
            dict(zip(FIELDS, texts)))
    assert rejected == ["AnswerError", error_message]


# Storms with the warnings that their answers call for: the SI sample's local depth of 3 m lies
# inside its surf depth Hs / Ks / 0.78 = 2.161426 / 0.9191104 / 0.78 = 3.015 m; no duration takes
# thousands of growth passes and is outside the method's range; an angle of -95 degrees has its
# deep-water sine clamped, reversing the transport, and ends the storm with a math error.
WARNED_STORMS = [
    ("si sample", STORMS["si sample"], ["inside-surf-zone"], ""),
    ("us sample", STORMS["us sample"], [], ""),
    ("no duration", [*STORMS["si sample"][:6], "0", *STORMS["si sample"][7:]],
     ["many-growth-passes", "out-of-range-duration_h"], "duration_h 0:"),
    ("angle of -95 degrees", [*STORMS["si sample"][:10], "-95", *STORMS["si sample"][11:]],
     ["angle-clamped", "inside-surf-zone"], "angle_deg -95:"),
]

# Units as the page writes them, (SI, US): the class rate of an SI run is in no usable unit.
UNITS = {"hs": ("m", "ft"), "ua": ("m/s", "ft/s"), "density": ("kg/m³", "slug/ft³"),
         "ts": ("s", "s"), "deep_angle": ("°", "°"), "ks": ("–", "–"), "offshore_h10": ("m", "ft"),
         "class_flux_2": ("W/m", "ft·lbf/s per ft"), "class_rate_3": ("no usable unit", "yd³"),
         "class_transport_m3_4": ("m³", "m³"), "storm_transport": ("yd³", "yd³"),
         "storm_transport_m3": ("m³", "m³")}

# Each value cell with the unit beside it, in its column's head or in its table's head.
SHOWN_UNITS = """
const units = {};
for (const cell of document.querySelectorAll('#storm-results td[data-name]')) {
  if (cell.textContent === '—') continue;
  const next = cell.nextElementSibling;
  const head = cell.closest('table').tHead;
  const column = head && head.rows[0].cells[cell.cellIndex];
  const unit = next && next.classList.contains('unit') ? next
    : (column && column.querySelector('.unit')) || (head && head.querySelector('.unit'));
  units[cell.dataset.name] = unit ? unit.textContent : null;
}
return units;"""


def test_warnings_error_cause_and_class_transport_are_shown_with_units(page):
    for name, texts, codes, cause in WARNED_STORMS:
        row = next(csv.DictReader(io.StringIO(native_table(
            (",".join(FIELDS) + "\n" + ",".join(texts) + "\n").encode()).decode())))
        with no_console_errors(page):
            type_storm(page, texts)
        warnings = [item.text for item in page.find_elements(By.CSS_SELECTOR, "#storm-warnings li")]
        assert [item.split(":")[0] for item in warnings] == codes, name
        assert "; ".join(warnings) == row["warnings"], name
        assert page.find_element(By.ID, "storm-warnings-box").is_displayed() == bool(codes), name
        summary = page.find_element(By.ID, "storm-summary").text
        assert (f"Its cause: {row['error_cause']}." in summary) == bool(cause), name
        assert row["error_cause"].startswith(cause), name
        shown = shown_values(page)
        if not row["error"]:
            classes = [shown[f"class_transport_m3_{i}"] for i in range(1, 5)]
            assert classes == [row[f"class_transport_m3_{i}"] for i in range(1, 5)], name
            assert sum(map(float, classes)) == pytest.approx(float(shown["storm_transport_m3"]), rel=1e-5)
        units = page.execute_script(SHOWN_UNITS)
        assert all(units.values()), [value for value, unit in units.items() if not unit]
        system = 0 if row["units"] == "SI" else 1
        for value, unit in UNITS.items():
            assert units.get(value, unit[system]) == unit[system], (name, value)


def test_the_transport_totals_fit_a_phones_width(browser, site_url):
    browser.set_window_size(390, 900)
    try:
        browser.get(site_url)
        WebDriverWait(browser, 30).until(
            lambda driver: driver.execute_script("return document.body.dataset.ready === 'true'"))
        # Each total's label, value and unit lies within the viewport and within every box
        # around it that could hide it or scroll it sideways.
        hidden = browser.execute_script("""
          const width = document.documentElement.clientWidth;
          const hidden = [];
          for (const name of ['kpls', 'surf_current', 'storm_transport', 'storm_transport_m3']) {
            const value = document.querySelector(`#storm-results td[data-name="${name}"]`);
            for (const part of value.parentElement.children) {
              const box = part.getBoundingClientRect();
              let inside = box.left >= 0 && box.right <= width && box.width > 0;
              for (let up = part.parentElement; up; up = up.parentElement) {
                const frame = up.getBoundingClientRect();
                if (getComputedStyle(up).overflowX !== 'visible' && box.right > frame.right + 0.5) inside = false;
              }
              if (!inside) hidden.push(`${name}: ${part.textContent}`);
            }
          }
          return hidden;""")
        assert browser.execute_script("return window.innerWidth") == 390
        assert hidden == []
    finally:
        browser.set_window_size(1280, 1800)
