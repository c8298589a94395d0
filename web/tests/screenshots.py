"""The page's pictures for the README: at 1920 px and at a phone's 360 px, after a computation
and a sweep. usage: screenshots.py SITE OUT_FOLDER"""

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
    driver.get(f"http://127.0.0.1:{server.server_address[1]}/index.html?divx=90&divy=30&alpha=5.0&option=on")
    WebDriverWait(driver, 20).until(lambda d: d.find_elements(By.CSS_SELECTOR, "#list > li"))
    driver.find_element(By.ID, "list-resonances").click()
    driver.find_element(By.ID, "shape-k").clear()
    driver.find_element(By.ID, "shape-k").send_keys("14")
    driver.find_element(By.ID, "shape-show").click()
    driver.find_element(By.ID, "gallery-show").click()
    driver.find_element(By.ID, "sweep-range").clear()
    driver.find_element(By.ID, "sweep-range").send_keys("0:2:1000")
    driver.find_element(By.ID, "sweep-start").click()
    WebDriverWait(driver, 120).until(
        lambda d: d.find_element(By.ID, "sweep-status").text.startswith("Swept"))
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(width, height + 100)
    driver.save_screenshot(f"{out}/{name}")
    driver.quit()
server.shutdown()
print(f"wrote {out}/web-1920.png and {out}/web-360.png")
