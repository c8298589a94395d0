"""Makes the self-contained page: one HTML file that opens straight from disk, offline, with the
WebAssembly inlined. The site's page, its style and scripts go inline; the module comes in the
form that carries its WebAssembly in itself (emscripten's SINGLE_FILE, a classic script that
defines MembraneModule); the sweep's worker starts from a blob made of the module's script and
the worker's own. A Content-Security-Policy names every inline part by its hash.

usage: make_single.py SOURCE_DIR SINGLE_MODULE_JS OUT_HTML
"""

import base64
import hashlib
import re
import sys

source, module_js, out = sys.argv[1:4]
read = lambda name: open(f"{source}/{name}", encoding="utf-8").read()


def without_imports(code):
    """The module's code without its imports and exports: one script of all the modules."""
    code = re.sub(r'^import [^;]*;\n', "", code, flags=re.M)
    return re.sub(r'^export ', "", code, flags=re.M)


# The page's modules, each after those it imports.
PAGE_MODULES = ["plots.js", "page.js", "sweep.js", "figures.js", "study.js", "app.js"]

module = open(module_js, encoding="utf-8").read()
worker = without_imports(read("worker.js"))
page_code = "".join(without_imports(read(name)) for name in PAGE_MODULES).replace(
    'new Worker(new URL("./worker.js", import.meta.url), { type: "module" })',
    "new Worker(URL.createObjectURL(new Blob([document.getElementById("
    "'membrane-module').textContent, document.getElementById('membrane-worker')"
    ".textContent], { type: 'text/javascript' })))")
assert "import.meta" not in page_code and "import " not in page_code.split("\n")[0]
style = read("style.css")


def sha(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


# The worker's code is read as text, never run in the page: a type no browser runs.
csp = (f"default-src 'none'; script-src {sha(module)} {sha(page_code)} 'wasm-unsafe-eval'; "
       f"worker-src blob:; connect-src data:; style-src {sha(style)}; img-src blob: data:; "
       "base-uri 'none'; form-action 'none'")
html = read("index.html")
html = re.sub(r'content="default-src[^"]*"', f'content="{csp}"', html)
html = html.replace('<link rel="stylesheet" href="style.css">', f"<style>{style}</style>")
# The scripts at the end of the body, where the page they work on is there already.
html = html.replace('<script type="module" src="app.js"></script>\n', "")
html = html.replace(
    "</body>",
    f'<script id="membrane-module">{module}</script>\n'
    f'<script id="membrane-worker" type="text/plain">{worker}</script>\n'
    f"<script>{page_code}</script>\n</body>")
open(out, "w", encoding="utf-8").write(html)
