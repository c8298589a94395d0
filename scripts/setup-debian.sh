#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those still missing, through sudo
# when not run as root, and generates the German locale the locale tests run under.
# Safe to rerun: when nothing is missing it changes nothing and asks for no password.
#
#   setup-debian.sh build   what building and running the program needs
#   setup-debian.sh test    that, and what the test suite and the benchmarks need
set -euo pipefail
profile=${1:-test}

build_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev libxkbcommon-dev libxcb1-dev
  fonts-ipafont-gothic fontconfig
  python3-dev python3-numpy pybind11-dev libeigen3-dev libspectra-dev libfftw3-dev
)
test_packages=(
  libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev
  locales
  xvfb xdotool xclip weston xwayland wl-clipboard
  liblapacke-dev libopenblas-dev libeigen3-dev
  python3-vtk9 python3-pytest python3-matplotlib mypy
  python3-venv python3-pip python3-setuptools python3-wheel python3-build python3-packaging
  python3-pybind11 python3-nbclient python3-nbformat python3-ipykernel git
  emscripten node-acorn chromium chromium-driver python3-selenium python3-pil
  file man-db groff-base desktop-file-utils appstream lintian
)

case $profile in
  build) packages=("${build_packages[@]}"); why="to build and run the program" ;;
  test) packages=("${build_packages[@]}" "${test_packages[@]}"); why="to build and test the project" ;;
  *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "membrane: '$*' needs root, and sudo is not installed; run it as root, then rerun this" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "membrane: installing the Debian packages needed $why: ${missing[*]}" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The locale tests need a comma-decimal locale.
if [ "$profile" = test ] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "membrane: generating the locale de_DE.UTF-8, which the locale tests run under" >&2
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  as_root grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
