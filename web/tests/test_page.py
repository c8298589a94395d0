"""The page in a real browser: headless Chromium, driven by Selenium, on the built site served
from 127.0.0.1. It types into the dialog's fields, presses 計算 and compares what the page shows
and offers with what membrane-solve writes for the same texts (--lenient: the dialog's reading):
the report list, the clipboard's table, the CSV and VTK downloads and the map's cell colours.
Needs MEMBRANE_WEB (the site) and MEMBRANE_SOLVE (the program)."""

import functools
import http.server
import io
import json
import os
import random
import re
import subprocess
import tempfile
import threading

import pytest
from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

SITE = os.environ["MEMBRANE_WEB"]
SOLVE = os.environ["MEMBRANE_SOLVE"]

# The dialog's edge cases and the project's hostile texts, then random meshes and alphas.
HOSTILE = [" 12abc", "+3", "１２", "1e400", "nan", "\t7", "0x10", "9" * 40, "-5", "3.9", " ", "２"]


def cases():
    fixed = [(" 90", " 30", " 5.0", True), ("1", "1", "5", True), ("90", "30", "2.5", False),
             ("91", "30", "5", True), ("90", "31", "5", True), ("0", "30", "5", True),
             ("", "", "", True), ("45", "15", "", False)]
    fixed += [(text, "4", "1.5", True) for text in HOSTILE[:6]]
    fixed += [("6", text, "1.5", False) for text in HOSTILE[6:]]
    fixed += [("12", "4", text, True) for text in HOSTILE]
    draw = random.Random(20261210)
    for _ in range(30):
        fixed.append((str(draw.randint(1, 90)), str(draw.randint(1, 30)),
                      f"{draw.uniform(0, 8):.{draw.randint(0, 6)}f}", draw.random() < 0.5))
    return fixed


class Site(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


def chromium_options():
    """Debian's Chromium, headless, without its sandbox (tests may run as root), at a device
    pixel ratio of 2, its console kept."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--window-size=1280,1000", "--force-device-scale-factor=2"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return options


@pytest.fixture(scope="module")
def page():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                             functools.partial(Site, directory=SITE))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=chromium_options())
    driver.execute_cdp_cmd("Browser.grantPermissions", {
        "origin": url.rsplit("/", 1)[0],
        "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
    driver.get(url)
    WebDriverWait(driver, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    yield driver
    driver.quit()
    server.shutdown()


def tool(*args):
    """membrane-solve as the dialog reads its fields (--lenient) for a solve, as it is for the
    resonance tasks."""
    single = not any(a in ("--modes", "--sweep", "--shape") for a in args)
    extra = ["--lenient", "--quiet"] if single else []
    done = subprocess.run([SOLVE, *extra, *args], capture_output=True, check=False)
    return done.returncode, done.stdout, done.stderr


def type_into(driver, field, text):
    """Types the text as a user would; a tab, which would move the focus, is pasted instead."""
    element = driver.find_element(By.ID, field)
    element.clear()
    if "\t" in text:
        driver.execute_script("arguments[0].value = arguments[1]", element, text)
    elif text:
        element.send_keys(text)
    assert element.get_attribute("value") == text


def compute(driver, divx, divy, alpha, option, prefix="", button="compute"):
    """Types the inputs into the dialog's fields (or with prefix "finer-", the finer mesh's) and
    presses its button."""
    for field, text in (("divx", divx), ("divy", divy), ("alpha", alpha)):
        type_into(driver, prefix + field, text)
    box = driver.find_element(By.ID, prefix + "option")
    if box.is_selected() != option:
        box.click()
    driver.find_element(By.ID, button).click()


def wait_for_status(driver, status, start, seconds=60):
    """Waits until the status line starts with the text; returns the line."""
    WebDriverWait(driver, seconds).until(
        lambda d: d.find_element(By.ID, status).text.startswith(start))
    return driver.find_element(By.ID, status).text


def map_colours(driver):
    """The intensity the canvas shows at the centre of every cell, node by node."""
    return driver.execute_script("""
        const map = window.membrane.map(), canvas = document.getElementById('map');
        const scale = canvas.width / Math.max(map.width, 1);
        const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        const out = [];
        for (let k = 0; k < map.cells.length; k += 5) {
            const [x, y, w, h] = map.cells.subarray(k, k + 4);
            const px = Math.floor((x + w / 2) * scale), py = Math.floor((y + h / 2) * scale);
            const at = 4 * (py * canvas.width + px);
            out.push([x + Math.floor(w / 2), y + Math.floor(h / 2),
                      pixels.data[at], pixels.data[at + 1], pixels.data[at + 2]]);
        }
        return out;""")


@pytest.mark.parametrize("divx,divy,alpha,option", cases())
def test_the_page_shows_and_offers_what_the_tool_writes(page, divx, divy, alpha, option):
    compute(page, divx, divy, alpha, option)
    shown_raw = page.execute_script(
        "return [...document.querySelectorAll('#list > li')].map(li => li.textContent)")
    with tempfile.TemporaryDirectory() as folder:
        vtk, png = os.path.join(folder, "w.vtk"), os.path.join(folder, "m.png")
        status, listed, refused = tool("--divx", divx, "--divy", divy, "--alpha", alpha,
                                       "--option", "on" if option else "off", "--list",
                                       "--vtk", vtk, "--map", png)
        if status == 1:
            assert shown_raw == refused.decode().splitlines()
            assert page.find_element(By.ID, "downloads").get_attribute("hidden") is not None
            return
        assert shown_raw == listed.decode().splitlines()
        _, table, _ = tool("--divx", divx, "--divy", divy, "--alpha", alpha,
                           "--option", "on" if option else "off")
        _, csv, _ = tool("--divx", divx, "--divy", divy, "--alpha", alpha,
                         "--option", "on" if option else "off", "--csv", "-")
        assert page.execute_script("return window.membrane.table()") == table.decode()
        assert page.execute_script("return window.membrane.csv()") == csv.decode()
        assert bytes(page.execute_script("return Array.from(window.membrane.vtk())")) == \
            open(vtk, "rb").read()
        image = Image.open(png).convert("RGB")
        for x, y, r, g, b in map_colours(page):
            assert (r, g, b) == image.getpixel((x, y)), (x, y)


def test_enter_computes_and_the_table_reaches_the_clipboard(page):
    compute(page, "4", "2", "0.5", True)
    type_into(page, "alpha", "0.7")
    page.find_element(By.ID, "alpha").send_keys(Keys.ENTER)
    _, table, _ = tool("--divx", "4", "--divy", "2", "--alpha", "0.7")
    WebDriverWait(page, 10).until(
        lambda d: d.find_element(By.ID, "clipboard").text == "The table is on the clipboard.")
    pasted = page.execute_async_script(
        "const done = arguments[0]; navigator.clipboard.readText().then(done, e => done(String(e)))")
    assert pasted == table.decode()


def test_a_link_reproduces_the_computation_and_back_goes_back(page):
    compute(page, "6", "2", "1.25", False)
    first = page.current_url
    assert "divx=6" in first and "option=off" in first
    compute(page, "8", "3", "0.5", True)
    listed = lambda: page.execute_script(
        "return [...document.querySelectorAll('#list > li')].map(li => li.textContent)")
    _, six, _ = tool("--divx", "6", "--divy", "2", "--alpha", "1.25", "--option", "off", "--list")
    page.back()
    WebDriverWait(page, 10).until(lambda d: listed() == six.decode().splitlines())
    assert page.find_element(By.ID, "divx").get_attribute("value") == "6"
    assert not page.find_element(By.ID, "option").is_selected()
    page.forward()
    WebDriverWait(page, 10).until(
        lambda d: d.find_element(By.ID, "divx").get_attribute("value") == "8")
    page.get(first)  # a link opened afresh
    WebDriverWait(page, 20).until(lambda d: d.execute_script(
        "return document.body.dataset.ready === 'true'") and listed() == six.decode().splitlines())


def test_the_resonances_are_those_of_modes_details(page):
    compute(page, "30", "10", "2", True)
    type_into(page, "resonance-count", "8")
    page.find_element(By.ID, "list-resonances").click()
    wait_for_status(page, "resonances-status", "8 resonances of the 30 x 10 mesh")
    rows = page.execute_script("""return [...document.querySelectorAll('#resonances tbody tr')]
        .map(tr => [...tr.cells].map(td => td.textContent).join(','))""")
    _, details, _ = tool("--divx", "30", "--divy", "10", "--modes", "8", "--details")
    assert "\n".join(["index,alpha,kx,ky,participation,alpha_continuum", *rows]) + "\n" == \
        details.decode()
    # A count and a shape's number are read as --modes and --shape read them, and refused in
    # the tool's words: no number wraps or is cut to a whole one.
    for field, button, status, option, text in (
            ("resonance-count", "list-resonances", "resonances-status", "--modes", "5000"),
            ("resonance-count", "list-resonances", "resonances-status", "--modes", "2.9"),
            ("resonance-count", "list-resonances", "resonances-status", "--modes", "4294967298"),
            ("shape-k", "shape-show", "shape-status", "--shape", "1.5"),
            ("shape-k", "shape-show", "shape-status", "--shape", "4294967297")):
        type_into(page, field, text)
        page.find_element(By.ID, button).click()
        said = wait_for_status(page, status, "the ")
        _, _, tool_said = strict_tool("--divx", "30", "--divy", "10", option, text)
        name = "the count of resonances" if option == "--modes" else "the shape"
        assert said.replace(name, "membrane-solve: " + option, 1) == tool_said.decode().strip()


def sweep_as_the_tool(driver, sweep, *mesh):
    """Sweeps the mesh computed in the page, and holds its CSV against --sweep's; returns it."""
    type_into(driver, "sweep-range", sweep)
    driver.find_element(By.ID, "sweep-start").click()
    points = sweep.rsplit(":", 1)[1]
    WebDriverWait(driver, 60).until(
        lambda d: d.find_element(By.ID, "sweep-status").text.startswith(f"Swept {points} points"))
    _, swept, _ = tool(*mesh, "--sweep", sweep)
    assert driver.execute_script("return window.membrane.lastSweep") == swept.decode()
    return swept


def test_the_sweep_runs_aside_is_the_tools_and_loads_a_picked_alpha(page):
    compute(page, "12", "4", "1", False)
    # Its count of points is the tool's, refused in the tool's words.
    for points in ("1", "1000001"):
        type_into(page, "sweep-range", f"0:1:{points}")
        page.find_element(By.ID, "sweep-start").click()
        said = wait_for_status(page, "sweep-status", "the sweep takes N")
        _, _, tool_said = tool("--divx", "12", "--divy", "4", "--sweep", f"0:1:{points}")
        assert "membrane-solve: --" + said.removeprefix("the ") == tool_said.decode().strip()
    swept = sweep_as_the_tool(page, "0:2:300", "--divx", "12", "--divy", "4", "--option", "off")
    # A point under the pointer is read out; a click loads its alpha into the fields.
    plot = page.find_element(By.ID, "sweep-plot")
    webdriver.ActionChains(page).move_to_element(plot).perform()
    readout = page.find_element(By.ID, "sweep-readout").text
    assert readout.startswith("alpha ")
    webdriver.ActionChains(page).click(plot).perform()
    picked = readout.split()[1].rstrip(",")
    WebDriverWait(page, 10).until(
        lambda d: d.find_element(By.ID, "alpha").get_attribute("value") == picked)
    assert picked in swept.decode()
    # From the keyboard: the arrows step through the points, Enter loads the alpha of one.
    plot.send_keys(Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT)
    third = swept.decode().splitlines()[3].split(",")[0]
    assert page.find_element(By.ID, "sweep-readout").text.startswith(f"alpha {third},")
    plot.send_keys(Keys.ENTER)
    WebDriverWait(page, 10).until(
        lambda d: d.find_element(By.ID, "alpha").get_attribute("value") == third)
    # A click on a resonance's line shows that resonance's shape, numbered as --modes numbers it.
    lines = [[line["alpha"], line["excited"], line["index"]] for line in
             json.loads(page.execute_script("return window.membrane.lastSweepLines"))]
    _, details, _ = tool("--divx", "12", "--divy", "4", "--modes", "55", "--details")
    alphas = [float(row.split(",")[1]) for row in details.decode().splitlines()[1:]]
    for alpha, _, index in lines:
        assert abs(alphas[int(index) - 1] - float(alpha)) < 1e-3, (alpha, index)
    alpha, _, index = lines[4]
    swept_lines = lines
    page.execute_script("""const [plot, alpha] = arguments;
        const box = plot.getBoundingClientRect();
        const x = 64 + alpha / 2 * (plot.clientWidth - 64 - 16);
        plot.dispatchEvent(new MouseEvent("click", { clientX: box.left + x,
                                                     clientY: box.top + 40, bubbles: true }));""",
                        plot, float(alpha))
    wait_for_status(page, "shape-status", f"Shape {index} of the 12 x 4 mesh")
    # Across zero a line at -a' is the resonance a', numbered alike.
    sweep_as_the_tool(page, "-1.5:0.5:200", "--divx", "12", "--divy", "4", "--option", "off")
    lines = [[line["alpha"], line["excited"], line["index"]] for line in
             json.loads(page.execute_script("return window.membrane.lastSweepLines"))]
    assert {index for alpha, _, index in lines if float(alpha) > 0} <= \
        {index for alpha, _, index in swept_lines}
    for alpha, _, index in lines:
        assert abs(alphas[int(index) - 1] - abs(float(alpha))) < 1e-3, (alpha, index)


def test_a_long_sweep_leaves_the_page_responsive_and_cancels(page):
    compute(page, "90", "30", "5", True)
    type_into(page, "sweep-range", "0:10:100000")
    page.find_element(By.ID, "sweep-start").click()
    WebDriverWait(page, 30).until(
        lambda d: d.find_element(By.ID, "sweep-progress").get_attribute("value") not in ("0", None))
    # The dialog's part computes while the sweep runs.
    compute(page, "4", "2", "0.3", True)
    _, listed, _ = tool("--divx", "4", "--divy", "2", "--alpha", "0.3", "--list")
    WebDriverWait(page, 10).until(lambda d: d.execute_script(
        "return [...document.querySelectorAll('#list > li')].map(li => li.textContent)")
        == listed.decode().splitlines())
    page.find_element(By.ID, "sweep-cancel").click()
    assert page.find_element(By.ID, "sweep-status").text.startswith("Cancelled after")
    assert page.find_element(By.ID, "sweep-cancel").get_attribute("disabled") is not None
    type_into(page, "sweep-range", "0:1:1")
    page.find_element(By.ID, "sweep-start").click()
    WebDriverWait(page, 10).until(lambda d: "whole number from 2" in
                                  d.find_element(By.ID, "sweep-status").text)


def sampled(page, make):
    """Pixels of a 720 x 240 image the module makes, at a grid of points: (x, y, (r, g, b))."""
    return page.execute_script(f"""
        const image = {make};
        const out = [];
        for (let y = 3; y < 240; y += 23)
            for (let x = 5; x < 720; x += 37) {{
                const at = 4 * (y * 720 + x);
                out.push([x, y, [image.data[at], image.data[at + 1], image.data[at + 2]]]);
            }}
        return out;""")


def assert_same_pixels(page, make, png, tolerance=0):
    """The image the module makes against the domain of a figure membrane-solve drew, to within
    `tolerance` levels in each channel."""
    image = Image.open(png).convert("RGB")
    for x, y, rgb in sampled(page, make):
        drawn = image.getpixel((72 + x, 64 + y))
        assert max(abs(a - b) for a, b in zip(rgb, drawn)) <= tolerance, (x, y, rgb, drawn)


def test_the_figures_are_those_of_figure_and_shape(page):
    """The page's field and shape are the pixels of membrane-solve's figures, whose domain is
    720 x 240 pixels from (72, 64)."""
    compute(page, "30", "10", "3.3", True)
    with tempfile.TemporaryDirectory() as folder:
        field, shape = os.path.join(folder, "f.png"), os.path.join(folder, "s.png")
        tool("--divx", "30", "--divy", "10", "--alpha", "3.3", "--figure", field)
        subprocess.run([SOLVE, "--divx", "30", "--divy", "10", "--shape", "7", "--figure", shape,
                        "--quiet"], capture_output=True, check=True)
        assert_same_pixels(page, "window.membrane.fieldImage(720, 240)", field)
        found = json.loads(page.execute_script("return window.membrane.findShapes(7, 7, true)"))
        assert [shape["index"] for shape in found] == [7]
        assert_same_pixels(page, "window.membrane.shapeImage(0, 720, 240, 1, false)", shape)
    # The gallery labels its shapes as --modes --details does.
    type_into(page, "gallery-n", "6")
    page.find_element(By.ID, "gallery-show").click()
    wait_for_status(page, "shape-status", "The 6 lowest shapes")
    captions = [c.text for c in page.find_elements(By.CSS_SELECTOR, "#gallery figcaption")]
    _, details, _ = tool("--divx", "30", "--divy", "10", "--modes", "6", "--details")
    rows = [line.split(",") for line in details.decode().splitlines()[1:]]
    assert [c.split()[:3] for c in captions] == [[r[0], f"({r[2]},", f"{r[3]})"] for r in rows]
    # Its count is read as --shapes reads it, and refused in the tool's words, not clamped.
    for count in ("37", "1.5"):
        type_into(page, "gallery-n", count)
        page.find_element(By.ID, "gallery-show").click()
        said = wait_for_status(page, "shape-status", "the gallery takes")
        _, _, tool_said = strict_tool("--divx", "30", "--divy", "10", "--shapes", count,
                                      "--figure", os.devnull + ".png")
        assert said.replace("the gallery", "membrane-solve: --shapes", 1) == \
            tool_said.decode().strip()
    type_into(page, "shape-k", "1")
    page.find_element(By.ID, "shape-show").click()
    wait_for_status(page, "shape-status", "Shape 1 of the 30 x 10 mesh")
    page.find_element(By.ID, "shape-play").click()
    assert page.find_element(By.ID, "shape-play").get_attribute("aria-pressed") == "true"
    page.find_element(By.ID, "shape-play").click()
    assert page.find_element(By.ID, "shape-play").get_attribute("aria-pressed") == "false"


def strict_tool(*args):
    """membrane-solve as it reads its numbers by default: any mesh that fits in memory."""
    done = subprocess.run([SOLVE, *args], capture_output=True, check=False)
    return done.returncode, done.stdout, done.stderr


def solve_finer(driver, divx, divy, alpha, option):
    compute(driver, divx, divy, alpha, option, prefix="finer-", button="finer-solve")


def test_a_finer_mesh_is_solved_and_shown_as_the_tool_solves_it(page):
    """200 x 100 lies beyond the dialog, where both take the sparse LDL^T: the files, the notes,
    the figure, the resonances and a shape are those of membrane-solve."""
    mesh = ("--divx", "200", "--divy", "100", "--option", "off")
    solve_finer(page, "200", " 100", "9.5", False)
    said = wait_for_status(page, "finer-status", "Solved the 200 x 100 mesh at alpha 9.5 by the "
                                                "sparse LDL^T.")
    _, csv, notes = strict_tool(*mesh, "--alpha", "9.5", "--csv", "-")
    assert notes  # 9 points a wavelength: the mesh is too coarse, and both say so
    assert csv.decode() == page.execute_script("return window.membrane.csv(true)")
    assert said.splitlines()[1:-1] == [line.removeprefix("membrane-solve: ")
                                       for line in notes.decode().splitlines()]
    assert said.splitlines()[-1].endswith("ms on this browser.")
    with tempfile.TemporaryDirectory() as folder:
        vtk, field, shape = (os.path.join(folder, name) for name in ("w.vtk", "f.png", "s.png"))
        strict_tool(*mesh, "--alpha", "9.5", "--vtk", vtk, "--figure", field, "--quiet")
        assert bytes(page.execute_script("return Array.from(window.membrane.vtk(true))")) == \
            open(vtk, "rb").read()
        assert_same_pixels(page, "window.membrane.fieldImage(720, 240)", field)
        type_into(page, "resonance-count", "6")
        page.find_element(By.ID, "list-resonances").click()
        wait_for_status(page, "resonances-status", "6 resonances of the 200 x 100 mesh")
        rows = page.execute_script("""return [...document.querySelectorAll('#resonances tbody tr')]
            .map(tr => [...tr.cells].map(td => td.textContent).join(','))""")
        # Beyond the dialog's limits they come from Lanczos, whose sums run inside Eigen and
        # Spectra: natively and as WebAssembly they may differ in the last bits, and a shape
        # whose largest magnitude is a tie, as (4, 0)'s is, may take either sign.
        _, details, _ = strict_tool(*mesh, "--modes", "6", "--details")
        assert len(rows) == 6
        for ours, theirs in zip(rows, details.decode().splitlines()[1:]):
            ours, theirs = ours.split(","), theirs.split(",")
            assert ours[0] == theirs[0] and ours[2:4] == theirs[2:4] and ours[5] == theirs[5]
            assert float(ours[1]) == pytest.approx(float(theirs[1]), rel=1e-12)
            assert abs(float(ours[4])) == pytest.approx(abs(float(theirs[4])), rel=1e-9, abs=1e-12)
        # A row picked shows its shape, the pixels of --shape --figure to within a level.
        page.find_elements(By.CSS_SELECTOR, "#resonances tbody tr")[2].click()
        wait_for_status(page, "shape-status", "Shape 3 of the 200 x 100 mesh")
        strict_tool(*mesh, "--shape", "3", "--figure", shape)
        assert_same_pixels(page, "window.membrane.shapeImage(0, 720, 240, 1, false)", shape,
                           tolerance=1)
    # The dialog's part computes again: the parts below show its mesh.
    compute(page, "12", "4", "1", True)
    assert page.execute_script("return window.membrane.mesh()") == [12, 4]


def test_a_finer_mesh_refuses_in_one_line(page):
    for divx, divy, alpha, said in (
            ("2.5", "10", "1", "divx takes a whole number from 1 up, not '2.5'"),
            ("10", "0", "1", "divy takes a whole number from 1 up, not '0'"),
            ("2147483648", "1", "1",
             "divx takes a whole number from 1 to 2147483647, not '2147483648'"),
            ("10", "10", "2,5", "alpha takes a finite decimal number, not '2,5' (the decimal mark "
                                "is a point: 2.5)"),
            ("20000", "20000", "1", "a 20000 x 20000 mesh needs 64 TB, more than the 512 MB a "
                                    "page may take")):
        solve_finer(page, divx, divy, alpha, True)
        assert wait_for_status(page, "finer-status", said) == said
    solve_finer(page, "300", "120", "1", True)
    wait_for_status(page, "finer-status", "Solved the 300 x 120 mesh")
    type_into(page, "resonance-count", "401")
    page.find_element(By.ID, "list-resonances").click()
    wait_for_status(page, "resonances-status", "on the 300 x 120 mesh the page finds the lowest "
                                               "400 resonances; ask for 1 to 400")


def downloaded(driver, link, folder):
    """Clicks the link as a user does and returns the bytes of the file the browser saves."""
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    driver.find_element(By.ID, link).click()
    saved = lambda d: [n for n in os.listdir(folder) if not n.endswith(".crdownload")]
    WebDriverWait(driver, 20).until(saved)
    with open(os.path.join(folder, saved(driver)[0]), "rb") as f:
        return f.read()


def test_each_finer_mesh_downloads_its_own_files(page):
    """The finer mesh's links, clicked, save the CSV and VTK of membrane-solve for the mesh solved
    last, not those of the one before."""
    with tempfile.TemporaryDirectory() as folder:
        page.execute_cdp_cmd("Browser.setDownloadBehavior",
                             {"behavior": "allow", "downloadPath": folder})
        for divx, divy, alpha in (("30", "10", "1.5"), ("40", "12", "2")):
            solve_finer(page, divx, divy, alpha, False)
            wait_for_status(page, "finer-status", f"Solved the {divx} x {divy} mesh")
            mesh = ("--divx", divx, "--divy", divy, "--alpha", alpha, "--option", "off", "--quiet")
            _, csv, _ = strict_tool(*mesh, "--csv", "-")
            assert downloaded(page, "finer-csv", folder) == csv
            vtk = os.path.join(folder, "tool.vtk")
            strict_tool(*mesh, "--vtk", vtk)
            expected = open(vtk, "rb").read()
            assert downloaded(page, "finer-vtk", folder) == expected
        compute(page, "6", "2", "1", True)
        _, table, _ = tool("--divx", "6", "--divy", "2", "--alpha", "1", "--csv", "-")
        assert downloaded(page, "download-csv", folder) == table


def test_memory_that_cannot_be_had_leaves_the_page_working(page):
    """A figure of 2 GB of pixels cannot be allocated: the module says so and goes on, and one
    beyond the pixels a page draws is refused before anything is allocated."""
    compute(page, "6", "2", "1", True)
    assert page.execute_script("return window.membrane.fieldImage(23170, 23170)") is None
    assert page.execute_script("return window.membrane.fieldImage(70000, 70000)") is None
    assert page.execute_script("return window.membrane.fieldImage(72, 24).width") == 72
    compute(page, "8", "2", "1", True)
    assert page.execute_script("return window.membrane.mesh()") == [8, 2]


def test_the_edges_reach_the_page_as_the_tool_says_them(page):
    """Counts above alpha^2's overflow, a study with nothing finite, one whose meshes lack some
    resonances, and a refused value too long to echo."""
    compute(page, "10", "5", "1", False)
    type_into(page, "sweep-range", "0:1e160:3")
    page.find_element(By.ID, "sweep-start").click()
    wait_for_status(page, "sweep-status", "Swept 3 points of the 10 x 5 mesh; ")
    assert page.find_element(By.ID, "sweep-status").text.endswith(" of 54 resonances excited.")
    _, sweep, _ = tool("--divx", "10", "--divy", "5", "--option", "off", "--sweep", "0:1e160:3")
    assert page.execute_script("return window.membrane.lastSweep") == sweep.decode()

    type_into(page, "study-ladder", "15x5,30x10")
    type_into(page, "study-alpha", "1e308")
    page.find_element(By.ID, "study-solution").click()
    said = wait_for_status(page, "study-status", "The solution at alpha 1e308")
    _, _, tool_said = strict_tool("--study", "--ladder", "15x5,30x10", "--option", "off",
                                  "--alpha", "1e308")
    assert said.endswith(" Note: " + tool_said.decode().strip().removeprefix("membrane-solve: ")
                         + ".")
    type_into(page, "study-modes", "1000")
    page.find_element(By.ID, "study-resonances").click()
    said = wait_for_status(page, "study-status", "The lowest resonances")
    assert said.endswith("the 15 x 5 mesh has 84 and the 30 x 10 mesh 319; the table lists those.")

    solve_finer(page, "1" * 1000, "10", "1", True)
    said = wait_for_status(page, "finer-status", "divx takes a whole number")
    assert said.endswith("...' (1000 bytes in all)") and len(said) < 300


@pytest.mark.parametrize("ask,args", [
    ("solution", ["--alpha", "2.5", "--option", "off"]), ("resonances", ["--modes", "4"])])
def test_the_study_is_the_tools(page, ask, args):
    ladder = "6x2,12x4,24x8"
    type_into(page, "study-ladder", ladder)
    type_into(page, "study-alpha", "2.5")
    type_into(page, "study-modes", "4")
    page.find_element(By.ID, f"study-{ask}").click()
    wait_for_status(page, "study-status", "The ")
    _, study, _ = strict_tool("--study", "--ladder", ladder, *args)
    assert page.execute_script("return window.membrane.lastStudy") == study.decode()
    assert len(page.find_elements(By.CSS_SELECTOR, "#study-table tbody tr")) == \
        len(study.decode().splitlines()) - 1


def test_a_study_refuses_as_the_tool_does(page):
    type_into(page, "study-ladder", "6x2,12x4")
    type_into(page, "study-alpha", "0.20943951023931953")  # pi / 15: the continuum resonates
    page.find_element(By.ID, "study-solution").click()
    said = wait_for_status(page, "study-status", "alpha 0.20943951023931953 lies within 1e-6")
    _, _, tool_said = strict_tool("--study", "--ladder", "6x2,12x4", "--option", "off",
                                  "--alpha", "0.20943951023931953")
    assert tool_said.decode().strip() == "membrane-solve: " + said
    type_into(page, "study-ladder", "6x2,3x1")
    page.find_element(By.ID, "study-solution").click()
    assert wait_for_status(page, "study-status", "the ladder: ")
    type_into(page, "study-ladder", "6x2,12x4")
    type_into(page, "study-modes", "")
    page.find_element(By.ID, "study-resonances").click()
    assert wait_for_status(page, "study-status",
                           "the count of resonances takes a whole number from 1 to 1000, not ''")


def test_the_view_is_in_the_address_and_every_figure_downloads_as_png(page):
    """A finer mesh, its resonances and a shape, and the gallery: a link opened afresh shows
    them again, and back goes back to what was shown before. Every figure downloads as PNG."""
    compute(page, "6", "2", "1.25", False)
    solve_finer(page, "100", "40", "1.5", True)
    wait_for_status(page, "finer-status", "Solved the 100 x 40 mesh")
    type_into(page, "resonance-count", "5")
    page.find_element(By.ID, "list-resonances").click()
    wait_for_status(page, "resonances-status", "5 resonances")
    type_into(page, "shape-k", "4")
    page.find_element(By.ID, "shape-show").click()
    wait_for_status(page, "shape-status", "Shape 4 of the 100 x 40 mesh")
    link = page.current_url
    for key in ("divx=6", "finer-divx=100", "shown=finer", "modes=5", "shape=4"):
        assert key in link
    shown = lambda d: (d.find_element(By.ID, "finer-status").text.splitlines()[0],
                       d.find_element(By.ID, "resonances-status").text,
                       d.find_element(By.ID, "shape-status").text,
                       d.execute_script("return window.membrane.mesh()"))
    before = shown(page)
    page.back()  # to the dialog's 6 x 2, before the finer mesh
    WebDriverWait(page, 20).until(
        lambda d: d.execute_script("return window.membrane.mesh()") == [6, 2])
    page.get(link)
    WebDriverWait(page, 60).until(lambda d: d.execute_script(
        "return document.body.dataset.ready === 'true'") and shown(d) == before)
    assert page.current_url == link

    page.find_element(By.ID, "gallery-show").click()
    wait_for_status(page, "shape-status", "The 12 lowest shapes")
    page.execute_script("""window.offered = [];
        const make = URL.createObjectURL;
        URL.createObjectURL = (blob) => { window.offered.push([blob.type, blob.size]); return make(blob); };""")
    figures = ("download-map", "download-field", "download-gallery", "download-sweep-plot",
               "download-study-plot", "download-shape")
    for link_id in figures:  # hidden ones too: they wait for a sweep or a study to show
        page.execute_script(f"document.getElementById('{link_id}').click()")
    WebDriverWait(page, 10).until(
        lambda d: len(d.execute_script("return window.offered")) == len(figures))
    assert all(kind == "image/png" and size > 100
               for kind, size in page.execute_script("return window.offered"))



def test_a_link_of_the_earlier_keys_still_opens_the_finer_mesh(page):
    page.get(page.current_url.split("?")[0] + "?fine-divx=20&fine-divy=10&fine-alpha=1.5"
             "&fine-option=off&shown=fine")
    wait_for_status(page, "finer-status", "Solved the 20 x 10 mesh at alpha 1.5")
    assert page.execute_script("return window.membrane.mesh()") == [20, 10]

def test_the_pages_defaults_and_limits_are_the_tools():
    """The fields start from the dialog's texts and the tool's defaults, and their limits are
    the tool's, as its help states them."""
    html = open(os.path.join(SITE, "index.html"), encoding="utf-8").read()
    field = lambda name: re.search(rf'<input id="{name}"[^>]*>', html).group(0)
    value = lambda name: re.search(r'value="([^"]*)"', field(name)).group(1)
    _, helped, _ = strict_tool("--help")
    helped = " ".join(helped.decode().split())
    for name in ("divx", "divy", "alpha"):
        assert f"--{name}" in helped and f"(default {value(name).strip()})" in helped
    assert f"(default {value('study-ladder')})" in helped
    assert 'max="36"' in field("gallery-n") and "(1 <= N <= 36)" in helped
    assert 'max="1000"' in field("study-modes")
    _, _, refused = strict_tool("--study", "--modes", "1001")
    assert "from 1 to 1000" in refused.decode()


def test_every_control_is_labelled_and_nothing_leaves_the_machine(page):
    unlabelled = page.execute_script("""
        return [...document.querySelectorAll('input, button, canvas, ol')]
            .filter(e => !e.hidden && !(e.labels && e.labels.length) && !e.getAttribute('aria-label')
                         && !e.textContent.trim())
            .map(e => e.id)""")
    assert unlabelled == []
    origins = page.execute_script(
        "return performance.getEntriesByType('resource').map(r => new URL(r.name).origin)")
    assert set(origins) <= {page.execute_script("return location.origin")}
    assert "default-src 'none'" in page.find_element(
        By.CSS_SELECTOR, "meta[http-equiv='Content-Security-Policy']").get_attribute("content")


def test_the_whole_site_weighs_at_most_500_kb():
    """The site, and apart from it the self-contained page, which is the same in one file."""
    names = [name for name in os.listdir(SITE) if name != "membrane.html"]
    size = sum(os.path.getsize(os.path.join(SITE, name)) for name in names)
    assert size <= 500_000, size
    assert os.path.getsize(os.path.join(SITE, "membrane.html")) <= 500_000


def test_the_self_contained_page_works_from_disk():
    """membrane.html opened from the file system, offline: the computation, and a sweep in its
    worker, as the served site has them."""
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=chromium_options())
    try:
        driver.get("file://" + os.path.join(SITE, "membrane.html"))
        WebDriverWait(driver, 20).until(
            lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
        compute(driver, "12", "4", "2.5", False)
        _, listed, _ = tool("--divx", "12", "--divy", "4", "--alpha", "2.5", "--option", "off",
                            "--list")
        assert driver.execute_script(
            "return [...document.querySelectorAll('#list > li')].map(li => li.textContent)") \
            == listed.decode().splitlines()
        sweep_as_the_tool(driver, "0:1:50", "--divx", "12", "--divy", "4", "--option", "off")
        severe = [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        assert severe == []
    finally:
        driver.quit()


def test_no_error_in_the_console(page):
    errors = [entry for entry in page.get_log("browser") if entry["level"] == "SEVERE"]
    assert errors == []


def select(driver, control, value):
    from selenium.webdriver.support.ui import Select
    Select(driver.find_element(By.ID, control)).select_by_value(value)


@pytest.mark.parametrize("divx,divy", [("60", "20"), ("30", "101")])
def test_either_scheme_is_the_tools_on_the_finer_mesh(page, divx, divy):
    """Within the dialog's limits and beyond 100 divisions along y: the values, the files and
    the notes of membrane-solve --scheme, and the parts below take the scheme of the mesh."""
    mesh = ("--divx", divx, "--divy", divy, "--alpha", "2.5")
    for scheme in ("low-dispersion", "standard"):
        select(page, "scheme", scheme)
        solve_finer(page, divx, divy, "2.5", True)
        said = wait_for_status(page, "finer-status", f"Solved the {divx} x {divy} mesh")
        assert ("with the low-dispersion scheme" in said) == (scheme != "standard")
        assert page.execute_script("return window.membrane.scheme()") == scheme
        _, csv, notes = strict_tool(*mesh, "--scheme", scheme, "--csv", "-")
        assert csv.decode() == page.execute_script("return window.membrane.csv(true)")
        assert said.splitlines()[1:-1] == [line.removeprefix("membrane-solve: ")
                                           for line in notes.decode().splitlines()]
        with tempfile.TemporaryDirectory() as folder:
            vtk = os.path.join(folder, "w.vtk")
            strict_tool(*mesh, "--scheme", scheme, "--vtk", vtk, "--quiet")
            assert bytes(page.execute_script("return Array.from(window.membrane.vtk(true))")) \
                == open(vtk, "rb").read()
        title = json.loads(page.execute_script("return window.membrane.fieldFigure()"))["title"]
        assert title.endswith(", low-dispersion scheme, alpha 2.5, option on") == \
            (scheme != "standard")
    select(page, "scheme", "low-dispersion")
    solve_finer(page, divx, divy, "2.5", True)
    wait_for_status(page, "finer-status", f"Solved the {divx} x {divy} mesh")
    type_into(page, "resonance-count", "3")
    page.find_element(By.ID, "list-resonances").click()
    wait_for_status(page, "resonances-status", f"3 resonances of the {divx} x {divy} mesh")
    rows = page.execute_script("""return [...document.querySelectorAll('#resonances tbody tr')]
        .map(tr => tr.cells[1].textContent)""")
    _, modes, _ = strict_tool(*mesh[:4], "--modes", "3", "--scheme", "low-dispersion")
    theirs = [float(line.split("\t")[1]) for line in modes.decode().splitlines()]
    # Beyond the dialog's limits Lanczos' sums run inside Eigen: the last bits may differ.
    assert [float(r) for r in rows] == pytest.approx(theirs, rel=0 if divy == "20" else 1e-12)
    if divy == "20":
        sweep_as_the_tool(page, "0:1:20", *mesh[:4], "--scheme", "low-dispersion")
    # The address holds the scheme, and a link opened afresh solves with it again.
    assert "finer-scheme=low-dispersion" in page.current_url
    page.get(page.current_url)
    WebDriverWait(page, 20).until(
        lambda d: d.execute_script("return document.body.dataset.ready === 'true'"))
    assert page.execute_script("return window.membrane.scheme()") == "low-dispersion"
    assert page.find_element(By.ID, "scheme").get_attribute("value") == "low-dispersion"
    select(page, "scheme", "standard")


def test_the_study_compares_the_schemes_as_the_tool_does(page):
    type_into(page, "study-ladder", "15x5,30x10,60x20")
    type_into(page, "study-alpha", "2")
    select(page, "study-scheme", "both")
    page.find_element(By.ID, "study-solution").click()
    said = wait_for_status(page, "study-status", "The solution at alpha 2")
    assert said.startswith("The solution at alpha 2 against the continuum's, the standard and "
                           "the low-dispersion schemes.")
    _, study, _ = strict_tool("--study", "--ladder", "15x5,30x10,60x20", "--alpha", "2",
                              "--option", "off", "--scheme", "both")
    # The errors against the continuum take its sines, which WebAssembly's libm and the
    # machine's may round apart in the last bit: the same table to 1e-12.
    ours = [line.split(",") for line in
            page.execute_script("return window.membrane.lastStudy").splitlines()]
    theirs = [line.split(",") for line in study.decode().splitlines()]
    assert ours[0] == theirs[0] and ours[0][-1] == "scheme" and len(ours) == len(theirs) == 7
    for mine, its in zip(ours[1:], theirs[1:]):
        assert mine[:2] == its[:2] and mine[-1] == its[-1]
        assert [float(c or "nan") for c in mine[2:-1]] == pytest.approx(
            [float(c or "nan") for c in its[2:-1]], rel=1e-12, nan_ok=True)
    assert page.find_element(By.CSS_SELECTOR, "#study-table thead th:last-child").text == "scheme"
    select(page, "study-scheme", "standard")


def test_the_dialogs_note_and_figure_are_the_tools(page):
    """Below the dialog's map, the tool's note of its inputs; the figure's title, axes and
    colour bar as membrane-solve --figure draws them."""
    compute(page, " 90", " 30", " 5.0", True)
    _, _, notes = strict_tool()
    assert page.find_element(By.ID, "note").text == \
        notes.decode().strip().removeprefix("membrane-solve: ")
    assert "the low-dispersion scheme's is off by" in page.find_element(By.ID, "note").text
    with tempfile.TemporaryDirectory() as folder:
        svg = os.path.join(folder, "f.svg")
        strict_tool("--figure", svg, "--quiet")
        texts = set(re.findall(r">([^<>]+)</text>", open(svg, encoding="utf-8").read()))
    figure = json.loads(page.execute_script("return window.membrane.fieldFigure()"))
    top, height = figure["bar"][1], figure["bar"][3]
    shown = {figure["title"], figure["lowest"], figure["highest"], figure["name"], "x", "y"}
    shown |= {label["text"] for label in figure["x"] + figure["y"]}
    shown |= {t["text"] for t in figure["ticks"]
              if 17 <= t["at"] - top and t["at"] - top <= height - 1 - 17}
    assert shown <= texts, shown - texts
    compute(page, " 90", " 30", " 2.0", True)
    assert page.find_element(By.ID, "note").text == ""
