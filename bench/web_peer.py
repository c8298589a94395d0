"""The page in headless Chromium beside the native build, in one run: a 90 x 30 computation in
the page against the compute command natively (medians of 9 rounds of 50), the time from
navigation to the first painted map, served from 127.0.0.1, and the sweep 0:10:1000 in the
page's worker against membrane-solve on one thread. Prints the processor.

Run with the build's python folder on PYTHONPATH (bench/run.sh does), by Debian's python3:
    python3 bench/web_peer.py SITE MEMBRANE_SOLVE
"""

import functools
import http.server
import platform
import statistics
import subprocess
import sys
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

import membrane_timing

site, solve = sys.argv[1], sys.argv[2]


def processor():
    for line in open("/proc/cpuinfo", encoding="utf-8"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for argument in ("--headless=new", "--no-sandbox", "--disable-gpu"):
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

# From navigation to the first painted map: the page with its inputs in the address computes at
# once; the time of the map's first paint, from the navigation's start.
paints = []
for _ in range(9):
    driver.get(url + "?divx=90&divy=30&alpha=5.0&option=on")
    WebDriverWait(driver, 20).until(lambda d: d.execute_script("return document.body.dataset.ready"))
    paints.append(driver.execute_script("""return new Promise(done => requestAnimationFrame(() =>
        done(performance.now())))"""))

page, native = [], []
for _ in range(9):
    page.append(driver.execute_script("""const t0 = performance.now();
        for (let k = 0; k < 50; ++k) window.membrane.compute(' 90', ' 30', ' 5.0', true);
        return (performance.now() - t0) / 50;"""))
    native.append(membrane_timing.native_solve_seconds(90, 30, 5.0, True, 50) * 1e3)

sweeps, tools = [], []
for _ in range(3):
    driver.find_element(By.ID, "sweep-range").clear()
    driver.find_element(By.ID, "sweep-range").send_keys("0:10:1000")
    t0 = time.perf_counter()
    driver.find_element(By.ID, "sweep-start").click()
    WebDriverWait(driver, 300, poll_frequency=0.01).until(
        lambda d: d.find_element(By.ID, "sweep-status").text.startswith("Swept"))
    sweeps.append(time.perf_counter() - t0)
    t0 = time.perf_counter()
    subprocess.run([solve, "--sweep", "0:10:1000", "--threads", "1"], capture_output=True, check=True)
    tools.append(time.perf_counter() - t0)
driver.quit()
server.shutdown()

p, n = statistics.median(page), statistics.median(native)
s, t = statistics.median(sweeps), statistics.median(tools)
print(f"{processor()}; Chromium headless, medians")
print(f"90 x 30 computation: page {p:.2f} ms, native {n:.2f} ms, {p / n:.2f} times")
print(f"navigation to the first painted map: {statistics.median(paints):.0f} ms")
print(f"sweep 0:10:1000: page's worker {s:.2f} s, membrane-solve on one thread {t:.2f} s, "
      f"{s / t:.2f} times")
