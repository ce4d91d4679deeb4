#!/usr/bin/env bash
# The main job: builds Tessaro and Pallido for Linux (.so) and 64-bit Windows
# (.dll), then shows what a host sees in each with `sorvane-host info`: the
# Linux build natively, the Windows build under Wine. Installs missing Debian
# packages first.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

started=$SECONDS
step() { printf '\n==> main: %s (%ds)\n' "$*" $((SECONDS - started)); }

# The same headless environment the Windows tests run in.
wine_env=(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all
  "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")

step "Debian packages"
bash scripts/install-deps.sh --all

step "linux: configure and build the plug-ins and the host tool"
cmake --preset linux >/dev/null
cmake --build --preset linux --target sorvane_products

step "mingw: libpng for Windows and the Wine prefix"
bash scripts/build-win-deps.sh

step "mingw: configure and build the plug-ins and the host tool"
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target sorvane_products

# build/<preset>/sorvane-products.txt, written by CMake: "plugin PATH" and
# "host PATH" lines for what was built.
listed() { awk -v kind="$1" '$1 == kind { sub(/^[^ ]+ /, ""); print }' "build/$2/sorvane-products.txt"; }

show() {
  local preset=$1
  local host
  host=$(listed host "$preset")
  local plugin
  while IFS= read -r plugin; do
    step "$preset: sorvane-host info $(basename "$plugin")"
    if [ -z "$host" ]; then
      # >>> sorvane-host is not built yet; until it is, only the files are listed.
      ls -l "$plugin"
      continue
    fi
    if [ "$preset" = mingw ]; then
      "${wine_env[@]}" wine "$host" info "$("${wine_env[@]}" winepath -w "$plugin")"
    else
      "$host" info "$plugin"
    fi
  done < <(listed plugin "$preset")
}

show linux
show mingw
"${wine_env[@]}" wineserver -k 2>/dev/null || true

# >>> The rendered demo (scripts/demo.sh, from the host tool's work) takes over here.
if [ -f scripts/demo.sh ]; then
  step "demo"
  bash scripts/demo.sh
fi

step "done"
