#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands where.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install check: $*"; exit 1; }
for f in bin/membrane bin/membrane-solve; do
    [ -x "$prefix/$f" ] || fail "$f missing or not executable"
done
desktop=$prefix/share/applications/membrane.desktop
[ -f "$desktop" ] || fail "desktop entry missing"
grep -qx 'Name=2次元有限要素法－膜振動' "$desktop" || fail "Name"
grep -qx 'Name\[ja\]=2次元有限要素法－膜振動' "$desktop" || fail "Name[ja]"
grep -qx 'Icon=membrane' "$desktop" || fail "Icon"
grep -qx 'Exec=membrane' "$desktop" || fail "Exec"
grep -qx 'Categories=Science;Physics;' "$desktop" || fail "Categories"
grep -qx 'Keywords=.*Helmholtz;.*' "$desktop" || fail "Keywords"
# The validators say nothing at all: no errors, no warnings, no hints.
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
fi
metainfo=$prefix/share/metainfo/org.membrane_fem.membrane.metainfo.xml
[ -f "$metainfo" ] || fail "AppStream metainfo missing"
grep -q '<name xml:lang="ja">2次元有限要素法－膜振動</name>' "$metainfo" || fail "Japanese name"
grep -q '<caption>' "$metainfo" || fail "screenshot caption"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate failed"
fi

# The manual pages render without a warning.
for page in membrane membrane-solve; do
    file=$prefix/share/man/man1/$page.1.gz
    [ -f "$file" ] || fail "$file missing"
    if command -v man >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man -l $page: $warnings"
        LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file" 2>/dev/null | grep -q "^NAME" || fail "man -l $page"
    fi
done
[ -f "$prefix/share/doc/membrane/copyright" ] || fail "copyright missing"

# PNG signature, then width and height as big-endian 32-bit numbers at bytes 16..23.
for size in 16 32; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/membrane.png
    [ -f "$png" ] || fail "$png missing"
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$dims" = "$size $size" ] || fail "$png is $dims, not $size x $size"
done

# The installed batch tool runs from its new place, and finds its drawing library there.
[ "$("$prefix/bin/membrane-solve" --divx 1 --divy 1 --option off | wc -c)" -eq 43 ] || fail "membrane-solve"
[ -f "$prefix/libexec/membrane/membrane-figures.so" ] || fail "drawing library missing"
"$prefix/bin/membrane-solve" --divx 2 --divy 1 --map "$prefix/map.png" >/dev/null ||
    fail "the installed membrane-solve cannot draw"
[ "$(od -An -tx1 -N8 "$prefix/map.png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "map is not a PNG"
"$prefix/bin/membrane-solve" --version | grep -qx "membrane-solve [0-9.]*" || fail "--version"
grep -q '^\.TH MEMBRANE-SOLVE 1 "[^"]*" "membrane [0-9.]*"' \
    <(gzip -dc "$prefix/share/man/man1/membrane-solve.1.gz") || fail "version of the manual page"
# The Python module, where the prefix's Python looks: site-packages of its version.
if [ -e "$build/python/membrane.pyi" ]; then
    site=$(ls -d "$prefix"/lib/python3.*/site-packages 2>/dev/null | head -n 1)
    [ -n "$site" ] && [ -f "$site/membrane.pyi" ] || fail "the Python module is not in site-packages"
    shape=$(cd / && PYTHONPATH=$site /usr/bin/python3 -c 'import membrane; print(membrane.solve().w.shape)') ||
        fail "the installed module does not import"
    [ "$shape" = "(91, 31)" ] || fail "membrane.solve().w.shape is $shape"
fi
echo "installed into $prefix: 2 programs, the drawing library, desktop entry, metainfo, 2 manual pages, 2 icons"
