"""The page as a whole: it works under its Content-Security-Policy and breaks none of it."""

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import storms

# Installed before any of the page's own scripts: every policy violation, as the page sees it.
RECORD_VIOLATIONS = """
window.policyViolations = [];
document.addEventListener('securitypolicyviolation', (event) => {
  window.policyViolations.push(event.violatedDirective + ' ' + event.blockedURI);
});
"""


def test_the_page_works_under_its_security_policy(browser, site_url, tmp_path):
    script = browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                     {"source": RECORD_VIOLATIONS})["identifier"]
    try:
        browser.get("about:blank")
        browser.get_log("browser")
        browser.get(site_url)
        WebDriverWait(browser, 30).until(
            lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
        policy = browser.find_element(
            By.CSS_SELECTOR, "meta[http-equiv='Content-Security-Policy']").get_attribute("content")
        directives = {part.split()[0]: part.split()[1:] for part in policy.split(";") if part.strip()}
        assert directives["script-src"] == ["'self'", "'wasm-unsafe-eval'"]
        assert directives["worker-src"] == ["'self'"] and directives["default-src"] == ["'self'"]
        # The sample storm is shown on load; a table runs in its worker.
        assert browser.find_element(By.ID, "storm-summary").text.startswith("SI units")
        table = tmp_path / "storms.csv"
        table.write_text(storms.table_text(storms.varied_storms(100, seed=11)))
        browser.find_element(By.ID, "table-file").send_keys(str(table))
        WebDriverWait(browser, 60).until(
            lambda d: d.find_element(By.ID, "table-results").get_attribute("hidden") is None)
        assert browser.execute_script("return window.policyViolations") == []
        assert browser.get_log("browser") == []
        # The policy holds: an inline script and a script of another origin (the same server
        # under another name) are refused, and the refusals are seen.
        browser.execute_script(
            "const inline = document.createElement('script');"
            "inline.textContent = 'window.scriptRan = true';"
            "const foreign = document.createElement('script');"
            "foreign.src = arguments[0];"
            "document.body.append(inline, foreign);",
            site_url.replace("127.0.0.1", "localhost") + "app.js")
        WebDriverWait(browser, 5).until(
            lambda d: len(d.execute_script("return window.policyViolations")) == 2)
        violations = browser.execute_script("return window.policyViolations")
        assert all(entry.startswith("script-src") for entry in violations), violations
        assert browser.execute_script("return window.scriptRan") is None
    finally:
        browser.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": script})
        browser.get_log("browser")
