#!/usr/bin/env bash
# Builds the web page (the dialog's computation as WebAssembly) and serves it on 127.0.0.1 only;
# prints the address. The built site, build/site, is a folder any static host serves.
#   bash scripts/web.sh [PORT]      (default 8090)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8090}
bash scripts/setup-debian.sh test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target membrane_web
echo "membrane: the page is at http://127.0.0.1:$port/ (Ctrl-C ends the server)"
exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory build/site
