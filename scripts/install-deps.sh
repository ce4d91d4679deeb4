#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
#   --native   Linux build, tests, formatting check, peer plug-ins for the
#              host tool, fuzzing
#   --windows  the mingw-w64 cross build and Wine to run its tests
#   --all      both (the default)
# Quick when everything is present: one dpkg query, no network.
set -euo pipefail

native_packages=(
  # build, unit tests and the formatting check
  cmake make g++ pkg-config libgtest-dev libbenchmark-dev clang-format
  # libraries of the products and tools
  libpng-dev zlib1g-dev libsndfile1-dev libfreetype-dev
  # artwork generator
  fonts-liberation python3-cairo
  # the editor's X11 window and the window tests on a virtual display (xrdb
  # sets the desktop's size for the 200 % ones)
  libx11-dev libxext-dev libxtst-dev xvfb xauth x11-xserver-utils
  # other hosts' plug-ins, loaded by the host tool's tests
  dpf-plugins-vst lsp-plugins-vst
  # the LV2 bundles: headers and schemas, the checking tools (lv2info,
  # lv2apply, sord_validate) and the library of the tests' small host
  lv2-dev lilv-utils liblilv-dev sordi
  # a VST3 host whose plug-in scanner the VST3 bundles' tests run
  ardour
  # fuzzing and leak checks
  clang libclang-rt-14-dev
)

windows_packages=(
  cmake make
  # cross compiler; googletest ships the sources the cross build compiles
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev googletest
  # fetching and unpacking Debian's libpng source
  dpkg-dev xz-utils
  # running the Windows test programs, windows on a virtual display
  wine wine64 xvfb xauth
)

usage() {
  echo "usage: $0 [--native|--windows|--all]" >&2
  exit 2
}

wanted=()
case "${1:---all}" in
  --native) wanted=("${native_packages[@]}") ;;
  --windows) wanted=("${windows_packages[@]}") ;;
  --all) wanted=("${native_packages[@]}" "${windows_packages[@]}") ;;
  *) usage ;;
esac
[ $# -le 1 ] || usage

# Unique, in order.
declare -A seen=()
packages=()
for p in "${wanted[@]}"; do
  [ -n "${seen[$p]:-}" ] && continue
  seen[$p]=1
  packages+=("$p")
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages for ${1:---all} are installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    SUDO=sudo
  else
    echo "install-deps: missing ${missing[*]}; run as root to install them" >&2
    exit 1
  fi
else
  SUDO=
fi

echo "install-deps: installing ${#missing[@]} missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: apt-get update"
$SUDO apt-get update -q
echo "install-deps: apt-get install"
$SUDO apt-get install -y -q -o Dpkg::Use-Pty=0 --no-install-recommends "${missing[@]}"
echo "install-deps: done"
