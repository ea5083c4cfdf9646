"""Storm tables in the browser against `littoral table`: littoral.runTable and the page's table
view, byte for byte."""

import subprocess
import tempfile

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import storms
from conftest import NATIVE, no_console_errors


def native_table(text: bytes) -> bytes:
    run = subprocess.run([str(NATIVE), "table", "-j", "1", "-"], input=text, capture_output=True,
                         check=False, timeout=120)
    assert run.returncode in (0, 1), run.stderr  # 1: some row has an error
    return run.stdout


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
    lines = native.decode().splitlines()
    summary = page.find_element(By.ID, "table-summary").text
    error_rows = [i for i, line in enumerate(lines[1:], 1) if not line.endswith(",")]
    assert summary.startswith(f"{len(rows)} rows computed")
    assert f"{len(error_rows)} rows with an error" in summary
    listed = [item.text for item in page.find_elements(By.CSS_SELECTOR, "#row-errors li")]
    assert listed[0].startswith(f"Row {error_rows[0]}: ")
    # The preview shows the first rows' fields: the header and the first storm.
    header = [cell.text for cell in page.find_elements(By.CSS_SELECTOR, "#table-preview thead th")]
    assert header[:2] == ["name", "gravity"] and header[-1] == "error"
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
