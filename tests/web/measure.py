"""Figures of the page on this machine: how soon it is interactive after loading, the storm
table's rate in the browser against `littoral table -j 1`, and the most rows a second that the
page's text alone (the table handed to a worker, the result taken back as a text) leaves any
calculator in its worker; or, with `large`, the time and the browser's peak memory of the
page's run of long tables of the given sizes in MB. Run after both builds:

    /usr/bin/python3 tests/web/measure.py [rows]
    /usr/bin/python3 tests/web/measure.py large 50 100
"""

import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import conftest  # noqa: E402
import storms  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

LOADS = 5
RUNS = 7


def load_times(driver, url):
    """Milliseconds from the start of navigation to the page being interactive (its DOM parsed
    and its scripts run) and to the calculator being ready, for fresh loads without a cache."""
    interactive, ready = [], []
    for _ in range(LOADS):
        driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        driver.get(url)
        WebDriverWait(driver, 30).until(
            lambda d: d.execute_script("return performance.getEntriesByName('littoral-ready').length > 0"))
        interactive.append(driver.execute_script(
            "return performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd"))
        ready.append(driver.execute_script(
            "return performance.getEntriesByName('littoral-ready')[0].startTime"))
    return statistics.median(interactive), statistics.median(ready)


def browser_seconds(driver, call):
    """Seconds from the call to the result in the page (the table is window.measuredTable)."""
    elapsed = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "const start = performance.now();"
        f"{call}.then(() => done(performance.now() - start), (e) => done(String(e)));")
    return elapsed / 1000


def native_seconds(table):
    start = time.perf_counter()
    subprocess.run([str(conftest.NATIVE), "table", "-j", "1", str(table)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start


def rates(driver, csv_text, rows):
    """Rows a second, the best of RUNS runs each: the native command, littoral.runTable (text
    in, result text out) and the page's run (with the preview, errors and charts it shows). The
    three take turns, so that a busy moment of the machine falls on all of them alike."""
    driver.execute_script("window.measuredTable = arguments[0];", csv_text)
    seconds = {"native": [], "api": [], "page": []}
    with tempfile.TemporaryDirectory() as scratch:
        table = pathlib.Path(scratch) / "storms.csv"
        table.write_text(csv_text)
        for _ in range(RUNS):
            seconds["native"].append(native_seconds(table))
            seconds["api"].append(browser_seconds(driver, "littoral.runTable(window.measuredTable)"))
            seconds["page"].append(browser_seconds(
                driver, "littoral.runTableBlob(window.measuredTable, {summary: true})"))
    return {name: rows / min(times) for name, times in seconds.items()}


# A worker that takes a text table as littoral-worker.js takes one, encoding it in pieces of
# 256 Ki UTF-16 units, and hands the page `length` bytes as it hands a result: pieces of 4 MB
# (kPieceBytes in littoral_web.cpp) copied out of one buffer, kept as the calculator keeps its
# memory, and transferred one by one, then 'end'. It computes nothing.
MOVING_WORKER = """const units = 256 << 10;
const encoded = new Uint8Array(3 * units);
const source = new Uint8Array(4 << 20).fill(65);
onmessage = (event) => {
  const { table, length } = event.data;
  const encoder = new TextEncoder();
  for (let at = 0; at < table.length; at += units) {
    encoder.encodeInto(table.substring(at, at + units), encoded);
  }
  for (let at = 0; at < length; at += source.length) {
    const piece = source.slice(0, Math.min(source.length, length - at)).buffer;
    postMessage(piece, [piece]);
  }
  postMessage('end');
};"""

# Milliseconds from handing the worker the table to the result being one text, taken in as
# runTable takes it: each piece decoded as it comes, the texts joined at the end. The worker is
# kept for the next run, as the page keeps its idle worker.
MOVING_RUN = """const [table, length, done] = arguments;
window.movingWorker = window.movingWorker || new Worker('moving-worker.js');
const decoder = new TextDecoder();
const texts = [];
const start = performance.now();
movingWorker.onmessage = (event) => {
  if (event.data !== 'end') { texts.push(decoder.decode(event.data)); return; }
  texts.join('').charCodeAt(0);
  done(performance.now() - start);
};
movingWorker.postMessage({ table, length });"""


def moving_seconds(driver, csv_text, result_bytes):
    """The least time, in seconds, that any calculator in the page's worker leaves runTable for the
    table: handing its text to a worker and taking a result of `result_bytes` bytes back as a
    text, with no computing at all. Served from a scratch directory, since the site lets no other
    worker run."""
    with tempfile.TemporaryDirectory() as scratch:
        (pathlib.Path(scratch) / "index.html").write_text("<!doctype html><title>moving</title>")
        (pathlib.Path(scratch) / "moving-worker.js").write_text(MOVING_WORKER)
        with conftest.served(scratch) as url:
            driver.get(url)
            return min(driver.execute_async_script(MOVING_RUN, csv_text, result_bytes)
                       for _ in range(RUNS)) / 1000


def large_run(driver, url, megabytes, scratch):
    """Chooses a long table of that size on a freshly loaded page and prints how long the page
    took to show its results, the computing time it states, and the browser's memory."""
    table = pathlib.Path(scratch) / f"long-{megabytes}.csv"
    block, repeats = storms.long_table(table, megabytes * 1_000_000)
    result = subprocess.run([str(conftest.NATIVE), "table", "-"], input=block.encode(),
                            capture_output=True, check=False).stdout
    header, _, body = result.partition(b"\n")
    result_bytes = len(header) + 1 + len(body) * repeats
    driver.get(url)
    WebDriverWait(driver, 30).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    time.sleep(2)
    start = time.perf_counter()
    with conftest.peak_memory(driver) as memory:
        driver.find_element(By.ID, "table-file").send_keys(str(table))
        WebDriverWait(driver, 1200, poll_frequency=0.5).until(
            lambda d: d.find_element(By.ID, "table-progress-box").get_attribute("hidden") is not None)
    seconds = time.perf_counter() - start
    table_bytes = table.stat().st_size
    table.unlink()
    growth = memory["peak"] - memory["before"]
    print(f"{table_bytes / 1e6:.0f} MB table, {result_bytes / 1e6:.0f} MB result: shown after "
          f"{seconds:.1f} s; the browser {memory['before'] / 1e6:.0f} MB before, "
          f"{memory['peak'] / 1e6:.0f} MB at the peak (+{growth / 1e6:.0f} MB: the result and "
          f"{(growth - result_bytes) / table_bytes:.1f} times the table); "
          f"{driver.find_element(By.ID, 'table-summary').text}")


def main():
    site = conftest.site_url.__wrapped__()
    url = next(site)
    browser = conftest.browser.__wrapped__()
    driver = next(browser)
    try:
        if sys.argv[1:2] == ["large"]:
            with tempfile.TemporaryDirectory() as scratch:
                for megabytes in sys.argv[2:]:
                    large_run(driver, url, int(megabytes), scratch)
            return
        rows = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
        interactive, ready = load_times(driver, url)
        print(f"interactive after {interactive:.0f} ms, calculator ready after {ready:.0f} ms "
              f"(median of {LOADS} loads without a cache)")
        csv_text = storms.table_text(storms.varied_storms(rows, seed=7))
        rate = rates(driver, csv_text, rows)
        print(f"{rows} rows, best of {RUNS}: native -j 1 {rate['native']:,.0f} rows/s; "
              f"littoral.runTable {rate['api']:,.0f} rows/s ({rate['api'] / rate['native']:.2f} "
              f"of native); the page with its preview, errors and charts {rate['page']:,.0f} "
              f"rows/s ({rate['page'] / rate['native']:.2f})")
        result_bytes = len(subprocess.run([str(conftest.NATIVE), "table", "-j", "1", "-"],
                                          input=csv_text.encode(), capture_output=True,
                                          check=False).stdout)
        moving = moving_seconds(driver, csv_text, result_bytes)
        ceiling = rows / moving
        print(f"with no computing at all: handing the table to a worker and taking a "
              f"{result_bytes / 1e6:.0f} MB result back as one text {moving * 1000:.0f} ms; no "
              f"calculator in the page's worker could run this table faster than "
              f"{ceiling:,.0f} rows/s ({ceiling / rate['native']:.2f} of native)")
    finally:
        for generator in (browser, site):
            next(generator, None)


if __name__ == "__main__":
    main()
