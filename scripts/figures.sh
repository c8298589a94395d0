#!/usr/bin/env bash
# Makes the README's pictures anew from the build: the dialog after a computation with its
# start-up inputs, the default solution as a figure, the twelve lowest mode shapes and a sweep
# over alpha with its resonances. Run after scripts/test.sh or scripts/run.sh has built.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j2 --target membrane-solve membrane_figures dialog_screenshot
mkdir -p docs/figures
build/tests/dialog_screenshot docs/screenshot.png
build/membrane-solve --figure docs/figures/field.png > /dev/null
build/membrane-solve --shapes 12 --figure docs/figures/shapes.png
build/membrane-solve --sweep 0:2:2000 --plot docs/figures/sweep.png > /dev/null
build/membrane-solve --study --alpha 5 --option off --scheme both \
    --ladder 90x30,180x60,360x120,720x240 --plot docs/figures/schemes.png > /dev/null
# The web page at 1920 px and at a phone's 360 px, where it is built.
if [ -e build/site/membrane.wasm ]; then
    cmake --build build -j2 --target membrane_web
    /usr/bin/python3 web/tests/screenshots.py build/site docs/figures
fi
echo "membrane: wrote docs/screenshot.png and docs/figures/{field,shapes,sweep,schemes,web-1920,web-360}.png"
