"""The page in a real browser: the built site served on 127.0.0.1 and headless Chromium driven
through chromedriver. Run with /usr/bin/python3 -m pytest tests/web after
`cmake --workflow --preset web` and `cmake --build --preset default`."""

import contextlib
import functools
import http.server
import os
import pathlib
import shutil
import subprocess
import tempfile
import threading
import time

import pytest
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

REPO = pathlib.Path(__file__).resolve().parents[2]
SITE = pathlib.Path(os.environ.get("LITTORAL_SITE", REPO / "build" / "web" / "site"))
NATIVE = pathlib.Path(os.environ.get("LITTORAL_NATIVE", REPO / "build" / "default" / "littoral"))

CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--window-size=1280,1800",
]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """The server of `python3 -m http.server`, without its log of requests."""

    def log_message(self, *args):
        pass


@contextlib.contextmanager
def served(directory):
    """The files of `directory` on a free port of 127.0.0.1, within the block: its address."""
    handler = functools.partial(QuietHandler, directory=str(directory))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()
        thread.join()


@pytest.fixture(scope="session")
def site_url():
    """The site on a free port of 127.0.0.1, for the whole session."""
    if not (SITE / "index.html").exists() or not (SITE / "littoral-wasm.wasm").exists():
        pytest.fail(f"no built site in {SITE}: run cmake --workflow --preset web")
    with served(SITE) as url:
        yield url


@pytest.fixture(scope="session")
def browser():
    """Headless Chromium with a fresh profile, whose console log the tests read."""
    profile = tempfile.mkdtemp(prefix="littoral-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in CHROMIUM_FLAGS + [f"--user-data-dir={profile}"]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_script_timeout(300)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


@pytest.fixture
def page(browser, site_url):
    """The page loaded afresh and ready, with the console log read so far cleared."""
    browser.get(site_url)
    WebDriverWait(browser, 30).until(
        lambda driver: driver.execute_script("return document.body.dataset.ready === 'true'"))
    browser.get_log("browser")
    return browser


def run_native(answers: str) -> str:
    """The native program's console for the answers, run in a scratch directory."""
    if not NATIVE.exists():
        pytest.fail(f"no native program {NATIVE}: run cmake --build --preset default")
    with tempfile.TemporaryDirectory(prefix="littoral-native-") as scratch:
        run = subprocess.run([str(NATIVE)], input=answers.encode(), cwd=scratch,
                             capture_output=True, check=False, timeout=60)
    return run.stdout.decode()


def native_table(text: bytes) -> bytes:
    """The result table of `littoral table` for the table's bytes."""
    run = subprocess.run([str(NATIVE), "table", "-j", "1", "-"], input=text, capture_output=True,
                         check=False, timeout=120)
    assert run.returncode in (0, 1), run.stderr  # 1: some row has an error
    return run.stdout


@contextlib.contextmanager
def no_console_errors(driver):
    """Fails when the browser's console logged an error or a warning inside the block."""
    driver.get_log("browser")
    yield
    problems = [entry for entry in driver.get_log("browser") if entry["level"] in ("SEVERE", "WARNING")]
    assert problems == []


def browser_processes(driver):
    """The ids of the browser's processes: every descendant of chromedriver."""
    parents = {}
    for stat in pathlib.Path("/proc").glob("[0-9]*/stat"):
        with contextlib.suppress(OSError):
            fields = stat.read_text().rsplit(")", 1)[1].split()
            parents.setdefault(int(fields[1]), []).append(int(stat.parent.name))
    found, pending = [], [driver.service.process.pid]
    while pending:
        children = parents.get(pending.pop(), [])
        found += children
        pending += children
    return found


def browser_memory(driver):
    """The browser's memory in bytes: the proportional set size of its processes, added up."""
    total = 0
    for pid in browser_processes(driver):
        with contextlib.suppress(OSError):
            for line in pathlib.Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
                if line.startswith("Pss:"):
                    total += int(line.split()[1]) * 1024
    return total


@contextlib.contextmanager
def peak_memory(driver, every=0.1):
    """Samples the browser's memory in the background during the block; the yielded dict holds
    the memory before the block ("before") and, after it, the highest sample ("peak")."""
    figures = {"before": browser_memory(driver), "peak": 0}
    stop = threading.Event()

    def sample():
        while not stop.is_set():
            figures["peak"] = max(figures["peak"], browser_memory(driver))
            time.sleep(every)

    thread = threading.Thread(target=sample, daemon=True)
    thread.start()
    try:
        yield figures
    finally:
        stop.set()
        thread.join()
