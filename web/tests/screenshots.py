"""The page's pictures for the README: at 1920 px and at a phone's 360 px, after a computation,
a shape, a sweep and a study. usage: screenshots.py SITE OUT_FOLDER"""

import functools
import http.server
import sys
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

site, out = sys.argv[1], sys.argv[2]
server = http.server.ThreadingHTTPServer(
    ("127.0.0.1", 0), functools.partial(http.server.SimpleHTTPRequestHandler, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
for width, name in ((1920, "web-1920.png"), (360, "web-360.png")):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     f"--window-size={width},{1400 if width > 1000 else 2400}"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # A link with a view: the dialog's default computation, its resonances, a shape, a sweep
    # and a study of the solution.
    view = ("divx=90&divy=30&alpha=5.0&option=on&modes=10&shape=14&sweep=0%3A2%3A1000"
            "&study=solution&study-ladder=15x5%2C30x10%2C60x20%2C120x40&study-alpha=2.0")
    driver.get(f"http://127.0.0.1:{server.server_address[1]}/index.html?{view}")
    WebDriverWait(driver, 120).until(
        lambda d: d.find_element(By.ID, "sweep-status").text.startswith("Swept")
        and d.find_element(By.ID, "study-status").text.startswith("The solution"))
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(width, height + 100)
    driver.save_screenshot(f"{out}/{name}")
    driver.quit()
server.shutdown()
print(f"wrote {out}/web-1920.png and {out}/web-360.png")
