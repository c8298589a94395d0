#!/usr/bin/env bash
# Builds the Debian package of a build folder into a temporary folder, checks its name, what it
# holds and what it depends on, and lets lintian judge it: no errors and no warnings.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "package check: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb=$(ls "$out"/membrane_*_"$arch".deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no membrane_<version>_$arch.deb in $(ls "$out")"
echo "built $(basename "$deb")"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for f in ./usr/bin/membrane ./usr/bin/membrane-solve ./usr/share/applications/membrane.desktop \
         ./usr/share/metainfo/org.membrane_fem.membrane.metainfo.xml \
         ./usr/share/man/man1/membrane.1.gz ./usr/share/man/man1/membrane-solve.1.gz \
         ./usr/share/icons/hicolor/32x32/apps/membrane.png ./usr/share/doc/membrane/copyright \
         ./usr/share/doc/membrane/changelog.gz; do
    grep -qx -- "$f" <<<"$contents" || fail "$f missing"
done
grep -qx '\./usr/libexec/membrane/membrane-figures\.so' <<<"$contents" || fail "drawing library missing"
grep -qx '\./usr/libexec/membrane/membrane-clipboard' <<<"$contents" || fail "clipboard holder missing"
# The web page where it was built: the site's folder as it is.
if [ -e "$build/site/membrane.wasm" ]; then
    for f in index.html app.js style.css membrane.js membrane.wasm membrane.html; do
        grep -qx -- "./usr/share/membrane/web/$f" <<<"$contents" || fail "web page: $f missing"
    done
fi
grep -q '^\./usr/share/doc/membrane/copyright$' <<<"$contents" || fail "copyright missing"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/membrane/copyright | grep -q '^License: Expat' ||
    fail "the copyright file names no licence"

depends=$(dpkg-deb -f "$deb" Depends)
for d in fonts-ipafont-gothic qt6-qpa-plugins libqt6widgets6 libqt6gui6 libstdc++6; do
    grep -q "\b$d\b" <<<"$depends" || fail "no dependency on $d: $depends"
done

# The Python module's package, where the module was built: the module where Debian's python3
# finds it, its stub, its own copyright and changelog, and the Python and NumPy ABIs.
debs=("$deb")
pydeb=$(ls "$out"/python3-membrane_*_"$arch".deb 2>/dev/null | head -n 1)
if grep -q '^MEMBRANE_PYTHON_DEPENDS:' "$build/CMakeCache.txt" 2>/dev/null ||
   [ -e "$build/python/membrane.pyi" ]; then
    [ -n "$pydeb" ] || fail "no python3-membrane_<version>_$arch.deb in $(ls "$out")"
    echo "built $(basename "$pydeb")"
    py=$(dpkg-deb -c "$pydeb" | awk '{print $NF}')
    ext=$(/usr/bin/python3 -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
    for f in "./usr/lib/python3/dist-packages/membrane$ext" ./usr/lib/python3/dist-packages/membrane.pyi \
             ./usr/share/doc/python3-membrane/copyright ./usr/share/doc/python3-membrane/changelog.gz; do
        grep -qx -- "$f" <<<"$py" || fail "python3-membrane: $f missing"
    done
    pydepends=$(dpkg-deb -f "$pydeb" Depends)
    for d in 'python3 (>= 3' 'python3 (<< 3' 'python3-numpy (>= ' python3-numpy-abi libstdc++6; do
        grep -qF "$d" <<<"$pydepends" || fail "python3-membrane: no dependency on $d: $pydepends"
    done
    debs+=("$pydeb")
fi

if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "${debs[@]}" || fail "lintian found errors or warnings"
    echo "lintian: no errors, no warnings"
else
    echo "lintian is not installed: the package was not checked by it"
fi
