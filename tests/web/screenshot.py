"""Screenshots of the page for the documentation: the SI sample storm and a storm table, on a
laptop's width and on a phone's. Run after `cmake --workflow --preset web`:

    /usr/bin/python3 tests/web/screenshot.py [docs]
"""

import pathlib
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import conftest  # noqa: E402
import storms  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402


def full_page(driver, path, width):
    driver.set_window_size(width, 1000)
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(width, height + 120)
    time.sleep(0.3)
    driver.save_screenshot(str(path))
    try:  # a palette of 256 colours keeps the file small; the page has few more
        from PIL import Image
    except ImportError:
        return
    with Image.open(path) as image:
        small = image.convert("RGB").quantize(256, dither=Image.Dither.NONE)
    small.save(path, optimize=True)


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else conftest.REPO / "docs")
    site = conftest.site_url.__wrapped__()
    url = next(site)
    browser = conftest.browser.__wrapped__()
    driver = next(browser)
    try:
        driver.get(url)
        WebDriverWait(driver, 30).until(
            lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
        with tempfile.TemporaryDirectory() as scratch:
            table = pathlib.Path(scratch) / "storms.csv"
            table.write_text(storms.table_text(storms.varied_storms(500, seed=5)))
            driver.find_element(By.ID, "table-file").send_keys(str(table))
            WebDriverWait(driver, 60).until(
                lambda d: d.find_element(By.ID, "table-results").get_attribute("hidden") is None)
        full_page(driver, out / "web-page.png", 1280)
        full_page(driver, out / "web-page-phone.png", 400)
    finally:
        for generator in (browser, site):
            next(generator, None)


if __name__ == "__main__":
    main()
