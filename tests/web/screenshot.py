"""Screenshots of the page for the documentation: the SI sample storm and a storm table, on a
laptop's width and on a phone's. Run after `cmake --workflow --preset web`:

    /usr/bin/python3 tests/web/screenshot.py [docs]
"""

import pathlib
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import conftest  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402


def full_page(driver, path, width):
    driver.set_window_size(width, 1000)
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(width, height + 120)
    time.sleep(0.3)
    driver.save_screenshot(str(path))


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
        table = conftest.REPO / "tests" / "web" / "sample-storms.csv"
        if table.exists():
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
