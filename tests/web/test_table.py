"""Storm tables in the browser against `littoral table`: littoral.runTable and the page's table
view, byte for byte."""

import csv
import hashlib
import io
import os
import re
import subprocess
import tempfile
import time

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import storms
from conftest import NATIVE, native_table, no_console_errors, peak_memory


def rows_with_error(table: bytes):
    """The numbers (from 1) of the result rows whose error column is not empty."""
    records = list(csv.reader(io.StringIO(table.decode())))
    at = records[0].index("error")
    return [i for i, record in enumerate(records[1:], 1) if record[at]]


def browser_table(driver, text: str) -> str:
    result = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "littoral.runTable(arguments[0]).then((csv) => done({csv}), (e) => done({error: String(e)}));",
        text)
    assert "error" not in result, result.get("error")
    return result["csv"]


@pytest.mark.parametrize("seed, line_end", [(1, "\n"), (2, "\r\n"), (3, "\n")])
def test_run_table_writes_what_littoral_table_writes(page, seed, line_end):
    text = storms.table_text(storms.varied_storms(300, seed), line_end)
    native = native_table(text.encode())
    with no_console_errors(page):
        shown = browser_table(page, text)
    # The table is as varied as it is meant to be: both unit systems, both growth limits, rows
    # that stop before the transport and rows with an error.
    result = native.decode()
    for kind in (",US,", ",SI,", ",fetch,", ",duration,", "is not a number", "math error",
                 "fields, the header"):
        assert kind in result, kind
    assert shown.encode() == native


def test_a_text_table_and_its_result_pass_in_pieces_as_whole_texts(page):
    # A text table goes to the worker in pieces of 256 Ki UTF-16 units, encoded there, and its
    # result comes back in pieces of about 4 MB, each decoded as it comes. The first row's id is
    # lengthened until a character of two units (four bytes) lies across the table's first piece's
    # end, the second's until a character lies across the result's 4 MB mark; the second also
    # holds a lone surrogate of each kind (put in by the page: the driver cannot carry one), which
    # UTF-8 writes as U+FFFD. The other rows name themselves in characters of two and three bytes.
    mark = 4 << 20
    lines = storms.table_text(storms.varied_storms(12000, seed=5)).splitlines()
    header = "id," + lines[0]
    first = "a" * ((256 << 10) - 1 - (len(header) + 1)) + "\U0001F30A"

    def table(pad):
        ids = [first, "b" * pad + "\x01-lone-\x02"]
        ids += [f"北-{i}-{'øæ北' * 8}" for i in range(2, len(lines) - 1)]
        return "\n".join([header] + [f"{id_},{line}" for id_, line in zip(ids, lines[1:])]) + "\n"

    def utf8(text):
        return text.replace("\x01", "\ufffd").replace("\x02", "\ufffd").encode()

    unpadded = native_table(utf8(table(0)))
    pad = next(pad for pad in range(mark) if unpadded[mark - pad] & 0xC0 == 0x80)
    text = table(pad)
    native = native_table(utf8(text))
    assert native[mark] & 0xC0 == 0x80 and len(native) > 2 * mark
    run = page.execute_async_script(
        "const done = arguments[arguments.length - 1]; let total = null;"
        "littoral.runTable(arguments[0].replace('\\x01', '\\ud800').replace('\\x02', '\\udc00'),"
        "                  {onProgress: (p) => { total = p.bytesTotal; }})"
        "  .then((csv) => done({csv, total}), (e) => done({error: String(e)}));", text)
    assert "error" not in run, run.get("error")
    assert run["csv"].encode() == native
    assert run["total"] == len(utf8(text))


def test_a_table_without_its_columns_is_refused_with_the_commands_message(page):
    text = "gravity,depth\n9.81,10\n"
    run = subprocess.run([str(NATIVE), "table", "-"], input=text.encode(), capture_output=True,
                         check=False, timeout=60)
    assert run.returncode == 2 and run.stdout == b""
    result = page.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "littoral.runTable(arguments[0]).then(() => done('resolved'), (e) => done(e.message));",
        text)
    assert result.startswith("no column fetch")
    assert result in run.stderr.decode()


def test_a_dropped_table_is_computed_with_progress_errors_preview_and_download(page, tmp_path):
    rows = storms.varied_storms(1500, seed=4)
    path = tmp_path / "storms.csv"
    path.write_text(storms.table_text(rows))
    native = native_table(path.read_bytes())
    with no_console_errors(page):
        page.find_element(By.ID, "table-file").send_keys(str(path))
        WebDriverWait(page, 120).until(
            lambda d: d.find_element(By.ID, "table-results").get_attribute("hidden") is None)
        # The download link holds the result table's bytes.
        downloaded = page.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "fetch(document.getElementById('table-download').href).then((r) => r.arrayBuffer())"
            "  .then((b) => done(Array.from(new Uint8Array(b))));")
    assert bytes(downloaded) == native
    summary = page.find_element(By.ID, "table-summary").text
    error_rows = rows_with_error(native)
    assert summary.startswith(f"{len(rows)} rows computed")
    assert f"{len(error_rows)} rows with an error" in summary
    # A row is named by its line, the header being line 1; no field here spans lines.
    listed = [item.text for item in page.find_elements(By.CSS_SELECTOR, "#row-errors li.erred")]
    assert listed[0].startswith(f"Line {error_rows[0] + 1}: ")
    # The preview shows the first rows' fields: the header and the first storm.
    header = [cell.text for cell in page.find_elements(By.CSS_SELECTOR, "#table-preview thead th")]
    assert header[:2] == ["name", "gravity"] and header[-1] == "error_cause"
    first = page.find_elements(By.CSS_SELECTOR, "#table-preview tbody tr")[0]
    assert first.find_elements(By.TAG_NAME, "td")[1].text == rows[0]["gravity"]
    assert len(page.find_elements(By.CSS_SELECTOR, "#table-charts svg")) == 2


# Spellings at the edges of the number reader: the single range and beyond it, subnormals,
# signs, points, D exponents, blanks, and words that look like numbers to other readers.
EDGE_SPELLINGS = ["3.4028235E38", "3.4028236E38", "3.5E38", "1E39", "-1E39", "1E-38", "1E-40",
                  "1.4E-45", "7E-46", "1E-50", "+10", ".5", "5.", "1.5d1", "1.5D+1", " 12 ",
                  "inf", "-infinity", "nan", "0x10", "1e", "1e+", "--1", "1,5", "", "0.1E-0",
                  "123456789012345678901234567890", "0.000000000000000000000000000000000001"]


@pytest.mark.parametrize("column", ["depth", "angle_deg", "settling_velocity"])
def test_numbers_at_the_edges_are_read_as_littoral_table_reads_them(page, column):
    rng = storms.random.Random(column)
    rows = []
    for spelling in EDGE_SPELLINGS:
        row = storms.storm(rng)
        row[column] = spelling
        rows.append(row)
    text = storms.table_text(rows)
    assert browser_table(page, text).encode() == native_table(text.encode())


def test_run_table_is_cancelled_by_its_signal_as_fetch_is(page):
    header, _, block = storms.table_text(storms.varied_storms(300, seed=5)).partition("\n")
    long_text = header + "\n" + block * 70
    short_text = storms.table_text(storms.varied_storms(50, seed=6))
    outcomes = page.execute_async_script(
        "const [longText, shortText, done] = arguments;"
        "const outcome = (run) => run.then(() => 'resolved', (e) => [e instanceof DOMException, e.name]);"
        "const before = new AbortController(); before.abort();"
        "const during = new AbortController();"
        "Promise.all(["
        "  outcome(littoral.runTable(longText, {signal: before.signal})),"
        "  outcome(littoral.runTable(longText, {signal: during.signal, onProgress: () => during.abort()})),"
        "]).then((cancelled) => littoral.runTable(shortText).then((csv) => done([...cancelled, csv])));",
        long_text, short_text)
    assert outcomes[:2] == [[True, "AbortError"], [True, "AbortError"]]
    # A run after a cancelled one is computed as ever.
    assert outcomes[2].encode() == native_table(short_text.encode())


# The large tables share one run: a long table (its result, 8 to 9 times its size, is what the
# memory holds beyond the run's own needs), the same file under a second name, a table of
# 100,000 columns and an ordinary one.
LONG_TABLE_BYTES = 20_000_000
WIDE_TABLE_COLUMNS = 100_000


@pytest.fixture(scope="module")
def large_tables(tmp_path_factory):
    folder = tmp_path_factory.mktemp("large-tables")
    tables = {"long": folder / "long.csv", "long again": folder / "long-again.csv",
              "wide": folder / "wide.csv", "short": folder / "short.csv"}
    block, repeats = storms.long_table(tables["long"], LONG_TABLE_BYTES)
    os.link(tables["long"], tables["long again"])
    storms.wide_table(tables["wide"], WIDE_TABLE_COLUMNS)
    tables["short"].write_text(storms.table_text(storms.varied_storms(1500, seed=10)))
    tables["block"], tables["repeats"] = block, repeats
    return tables


def choose(driver, path):
    driver.find_element(By.ID, "table-file").send_keys(str(path))


def results_shown(driver):
    return driver.find_element(By.ID, "table-results").get_attribute("hidden") is None


def rows_in_progress(driver):
    """Waits until the page tells of rows computed of the table it runs."""
    WebDriverWait(driver, 60, poll_frequency=0.05).until(
        lambda d: d.find_element(By.ID, "table-progress-text").text not in ("", "0 rows"))


def download(driver, folder):
    """The result table the page's link downloads, as the browser saves it into folder."""
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(folder)})
    link = driver.find_element(By.ID, "table-download")
    saved = folder / link.get_attribute("download")
    link.click()
    WebDriverWait(driver, 120, poll_frequency=0.2).until(
        lambda d: saved.exists() and not list(folder.glob("*.crdownload")))
    return saved


def test_a_long_table_runs_in_bounded_memory_and_downloads_whole(page, large_tables, tmp_path):
    native = native_table(large_tables["block"].encode())
    header, _, body = native.partition(b"\n")
    repeats = large_tables["repeats"]
    rows = 2000 * repeats
    errors = repeats * len(rows_with_error(native))
    result_bytes = len(header) + 1 + len(body) * repeats
    table_bytes = large_tables["long"].stat().st_size
    with no_console_errors(page), peak_memory(page) as memory:
        choose(page, large_tables["long"])
        WebDriverWait(page, 300, poll_frequency=0.5).until(results_shown)
    # The result is kept for the download; the run itself needs a few times the table at most.
    assert memory["peak"] - memory["before"] < result_bytes + 4 * table_bytes + 100e6
    summary = page.find_element(By.ID, "table-summary").text
    assert summary.startswith(f"{rows} rows computed in ") and f"; {errors} rows with an error;" in summary
    assert page.find_element(By.ID, "preview-note").text == (
        f"Shown: the first 20 of {rows:,} rows and all {len(header.split(b','))} columns; "
        "the download has them all.")
    expected = hashlib.sha256(header + b"\n")
    for _ in range(repeats):
        expected.update(body)
    saved = download(page, tmp_path)
    assert saved.stat().st_size == result_bytes
    assert hashlib.sha256(saved.read_bytes()).hexdigest() == expected.hexdigest()


def test_a_wide_table_keeps_the_page_responsive_with_a_short_preview(page, large_tables):
    result_columns = len(native_table(storms.table_text([storms.storm(storms.random.Random(1))]).encode())
                         .split(b"\n")[0].split(b",")) - len(storms.COLUMNS)
    slowest = 0
    with no_console_errors(page):
        choose(page, large_tables["wide"])
        deadline = time.monotonic() + 120
        while True:
            asked = time.monotonic()
            shown = results_shown(page)
            slowest = max(slowest, time.monotonic() - asked)
            if shown or time.monotonic() > deadline:
                break
            time.sleep(0.05)
    assert shown and slowest < 2
    assert len(page.find_elements(By.CSS_SELECTOR, "#table-preview thead th")) == 200
    assert page.find_element(By.ID, "preview-note").text == (
        f"Shown: all 20 rows and the first 200 of {WIDE_TABLE_COLUMNS + result_columns:,} "
        "columns; the download has them all.")


def test_a_running_table_is_cancelled_by_its_button_or_by_the_next_table(page, large_tables):
    with no_console_errors(page):
        choose(page, large_tables["long"])
        rows_in_progress(page)
        page.find_element(By.ID, "table-cancel").click()
        WebDriverWait(page, 10).until(lambda d: d.find_element(By.ID, "table-summary").text
                                      == "long.csv: cancelled; nothing was kept.")
        assert page.find_element(By.ID, "table-progress-box").get_attribute("hidden") is not None
        assert not results_shown(page)
        # A table chosen while another runs cancels that one, and its own figures are shown.
        choose(page, large_tables["long again"])
        rows_in_progress(page)
        choose(page, large_tables["short"])
        WebDriverWait(page, 60).until(results_shown)
    summary = page.find_element(By.ID, "table-summary").text
    assert summary.startswith("1500 rows computed in "), summary
    # 1,500 rows take a few hundredths of a second: the long table's time is not theirs.
    assert float(re.search(r"computed in ([0-9.]+) s", summary).group(1)) < 1, summary
    assert page.find_element(By.ID, "table-download").get_attribute("download") == "short-results.csv"


# A table with an id column: a quoted note over two lines and a blank line move the later rows'
# lines away from their row numbers; its rows have an error with its cause, warnings, both, or
# neither, in SI and US units (hs of 15 ft is 4.6 m).
NAMED_ROWS = [
    "id,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,"
    "angle_deg,settling_velocity,note",
    "a,9.81,10,50,4,20,2,5,1,1,3,30,1.5,plain",
    'b,9.81,10,50,4,20,2,5,1,1,3,-95,1.5,"over\ntwo lines"',
    "",
    "c,32.2,20,10,3,50,1,5,1.1,1,8,20,1.5,",
    "d,9.81,ten,50,4,20,2,5,1,1,3,30,1.5,",
    "e,32.2,60,60,3,90,1,10,1.1,1,20,20,1.5,",
]


def test_rows_are_named_by_their_line_and_id_with_error_cause_and_warnings(page, tmp_path):
    text = "\n".join(NAMED_ROWS) + "\n"
    lines = [1 + "\n".join(NAMED_ROWS[:i]).count("\n") + (i > 0) for i in range(len(NAMED_ROWS))]
    lines = [line for line, row in zip(lines, NAMED_ROWS) if row][1:]
    native = list(csv.DictReader(io.StringIO(native_table(text.encode()).decode())))
    assert [row["id"] for row in native] == list("abcde") and lines == [2, 3, 6, 7, 8]
    path = tmp_path / "named.csv"
    path.write_text(text)
    with no_console_errors(page):
        choose(page, path)
        WebDriverWait(page, 60).until(results_shown)
    listed = [item.text for item in page.find_elements(By.CSS_SELECTOR, "#row-errors > li")]
    flagged = [(line, row) for line, row in zip(lines, native) if row["error"] or row["warnings"]]
    assert len(listed) == len(flagged) == 4
    for item, (line, row) in zip(listed, flagged):
        assert item.startswith(f"Line {line}, id {row['id']}: {row['error']}"), item
        assert (f"(cause: {row['error_cause']})" in item) == bool(row["error_cause"]), item
        assert all(reason in item for reason in re.split(r"; (?=[a-z_-]+: )", row["warnings"]))
    summary = page.find_element(By.ID, "table-summary").text
    assert summary.endswith("; 2 rows with an error; 3 rows with warnings.")
    # One axis in metres: the US heights converted, the highest tick between the tallest storm in
    # metres and in feet.
    chart = page.find_element(By.ID, "chart-hs-ts-title").find_element(By.XPATH, "..")
    labels = [node.text for node in chart.find_elements(By.CSS_SELECTOR, "text")]
    assert "hs (m)" in labels and "US runs, ft converted to m (× 0.3048)" in labels
    computed = [row for row in native if row["hs"]]
    heights = [float(row["hs"]) * (0.3048 if row["units"] == "US" else 1) for row in computed]
    feet = max(float(row["hs"]) for row in computed)
    top = max(float(tick.text) for tick in chart.find_elements(By.CSS_SELECTOR, "text[text-anchor='end']"))
    assert max(heights) <= top < feet


def test_a_semicolon_separated_table_is_told_its_separator(page, tmp_path):
    path = tmp_path / "european.csv"
    path.write_text(NAMED_ROWS[0].replace(",", ";") + "\na;9,81;10;50;4;20;2;5;1;1;3;30;1,5;\n")
    with no_console_errors(page):
        choose(page, path)
        WebDriverWait(page, 60).until(
            lambda d: "could not be read" in d.find_element(By.ID, "table-summary").text)
    assert "separated by semicolons (;)" in page.find_element(By.ID, "table-summary").text
