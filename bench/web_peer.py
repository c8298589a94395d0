"""The page in headless Chromium beside the native build, in one run: a 90 x 30 computation in
the page against the compute command natively (medians of 9 rounds of 50), the time from
navigation to the first painted map, served from 127.0.0.1, and the sweep 0:10:1000 in the
page's worker against membrane-solve on one thread. Prints the processor.

Run with the build's python folder on PYTHONPATH (bench/run.sh does), by Debian's python3:
    python3 bench/web_peer.py SITE MEMBRANE_SOLVE
"""

import functools
import http.server
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

# The page's elimination is the portable form, and so is the native one it is held against: the
# form is chosen once, from the environment, before the first solve.
os.environ["MEMBRANE_ELIMINATION"] = "portable"
import membrane_timing  # noqa: E402

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

# The sweep in the page's worker, timed inside the page: until its last rows, and until the
# resonance lines of its plot; natively the same rows by --sweep, and with --plot the same rows,
# the same lines and the figure drawn.
SWEEP = """const done = arguments[0], t0 = performance.now();
    let rows = 0;
    const worker = new Worker(new URL("worker.js", location.href), { type: "module" });
    worker.onmessage = ({ data }) => {
      if (data.kind === "rows" && data.done === data.total) rows = performance.now() - t0;
      if (data.kind === "done") { worker.terminate(); done([rows / 1e3, (performance.now() - t0) / 1e3]); }
    };
    worker.postMessage({ kind: "sweep", divx: 90, divy: 30, range: "0:10:1000", option: true });"""
driver.set_script_timeout(300)
rows, plotted, tools, plots = [], [], [], []
portable = {**os.environ, "MEMBRANE_ELIMINATION": "portable"}
for _ in range(3):
    r, p = driver.execute_async_script(SWEEP)
    rows.append(r)
    plotted.append(p)
    t0 = time.perf_counter()
    subprocess.run([solve, "--sweep", "0:10:1000", "--threads", "1", "--quiet"],
                   capture_output=True, check=True, env=portable)
    tools.append(time.perf_counter() - t0)
    with tempfile.TemporaryDirectory() as folder:
        t0 = time.perf_counter()
        subprocess.run([solve, "--sweep", "0:10:1000", "--threads", "1", "--quiet", "--plot",
                        os.path.join(folder, "sweep.png")], capture_output=True, check=True,
                       env=portable)
        plots.append(time.perf_counter() - t0)
driver.quit()
server.shutdown()

p, n = statistics.median(page), statistics.median(native)
r, t = statistics.median(rows), statistics.median(tools)
q, u = statistics.median(plotted), statistics.median(plots)
print(f"{processor()}; Chromium headless, medians")
print(f"90 x 30 computation: page {p:.2f} ms, native portable elimination {n:.2f} ms, "
      f"{p / n:.2f} times")
print(f"navigation to the first painted map: {statistics.median(paints):.0f} ms")
print(f"sweep 0:10:1000 in the worker: its rows {r:.2f} s against --sweep on one thread "
      f"{t:.2f} s, {r / t:.2f} times; with its plot's resonance lines {q:.2f} s against "
      f"--sweep --plot {u:.2f} s, {q / u:.2f} times")
