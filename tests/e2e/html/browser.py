"""Headless Chromium for the page tests and the page benchmark: Debian's
chromium and chromium-driver driven by python3-selenium.

missing() says what is not installed; start() gives a driver whose browser
makes no connection of its own and keeps no state between runs.
"""
import os
import shutil
import tempfile

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"


def missing():
    """What of the browser is not installed, as a list of package names."""
    lack = []
    if not os.access(CHROMIUM, os.X_OK):
        lack.append("chromium")
    if not os.access(CHROMEDRIVER, os.X_OK):
        lack.append("chromium-driver")
    try:
        import selenium  # noqa: F401
    except ImportError:
        lack.append("python3-selenium")
    return lack


class Browser:
    """One headless Chromium with a fresh profile, removed on quit()."""

    def __init__(self, width=1280, height=900):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.mkdtemp(prefix="florrin-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        args = ["--headless", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync",
                "--no-first-run", "--no-default-browser-check",
                "--disable-dev-shm-usage", "--hide-scrollbars",
                "--user-data-dir=" + self.profile,
                "--window-size=%d,%d" % (width, height)]
        if os.geteuid() == 0:
            # Chromium's sandbox refuses to run as root.
            args.append("--no-sandbox")
        for arg in args:
            options.add_argument(arg)
        # Every request the page makes, and what its console says.
        options.set_capability("goog:loggingPrefs",
                               {"performance": "ALL", "browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER),
                                       options=options)

    def quit(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def cdp(self, command, params=None):
        return self.driver.execute_cdp_cmd(command, params or {})

    def emulate(self, width=None, height=None, dark=None, scripts=True):
        """Window size (mobile below 600 px), the colour scheme the system
        asks for, and whether scripts run, for the next page loaded."""
        if width:
            self.cdp("Emulation.setDeviceMetricsOverride",
                     {"width": width, "height": height or 900,
                      "deviceScaleFactor": 1, "mobile": width < 600})
        else:
            self.cdp("Emulation.clearDeviceMetricsOverride")
        scheme = {True: "dark", False: "light", None: ""}[dark]
        self.cdp("Emulation.setEmulatedMedia",
                 {"features": [{"name": "prefers-color-scheme",
                                "value": scheme}]})
        self.cdp("Emulation.setScriptExecutionDisabled",
                 {"value": not scripts})

    def open(self, path):
        """Loads the file `path` and waits until it and its posters are
        loaded; drops the logs of what came before."""
        self.requests()
        self.console()
        self.driver.get("file://" + os.path.abspath(path))
        self.driver.execute_async_script(
            "var done = arguments[arguments.length - 1];"
            "if (document.readyState === 'complete') done();"
            "else window.addEventListener('load', function () { done(); });")

    def requests(self):
        """The URL of every request the browser sent since the last call."""
        import json
        urls = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message.get("method") == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        return urls

    def console(self):
        """The console's messages since the last call."""
        return [e["message"] for e in self.driver.get_log("browser")]
