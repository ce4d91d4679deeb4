#!/usr/bin/env bash
# What the Windows build and its tests need besides Debian's packages:
# 1. A static libpng for the 64-bit cross build, from Debian's own source
#    package of libpng1.6 (its orig tarball, no Debian patches needed), using
#    the static zlib of libz-mingw-w64-dev. Installs into build/_win-deps,
#    which the mingw toolchain file searches.
# 2. The Wine prefixes the cross-built tests run in, initialised once,
#    headless and without prompts: build/wineprefix for the tests without a
#    display, build/wineprefix-window for the window tests and
#    build/wineprefix-window-200 for those at Windows' 200 % (LogPixels
#    192), each with its own
#    Wine server (one server's desktop is either on a display or on none, so
#    the two kinds must not share one).
# Each step is skipped when already done; delete its folder to redo it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix="$root/build/_win-deps"
work="$prefix/_work"
stamp="$prefix/libpng.stamp"
host=x86_64-w64-mingw32
jobs=${SORVANE_JOBS:-2}

init_wine_prefix() {
  local wine_prefix=$1 kind=$2
  if [ -f "$wine_prefix/.sorvane-ready" ]; then
    echo "build-win-deps: Wine prefix ready in $wine_prefix"
    return
  fi
  local tool
  for tool in wine wineboot wineserver; do
    command -v "$tool" >/dev/null || {
      echo "build-win-deps: $tool not found; run scripts/install-deps.sh --windows" >&2
      exit 1
    }
  done
  echo "build-win-deps: initialising the Wine prefix $wine_prefix"
  rm -rf "$wine_prefix" # a half-made one from an interrupted run
  mkdir -p "$(dirname "$wine_prefix")"
  # Same environment as the toolchain's test emulator; no DISPLAY, so no
  # window and no dialog can wait for an answer.
  local run=(env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$wine_prefix" WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=")
  local log="$wine_prefix-init.log"
  {
    "${run[@]}" wineboot -i &&
      # A crashing test prints its backtrace and fails instead of opening a dialog.
      "${run[@]}" wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
      # No window manager runs on the virtual display: a window Wine thought
      # managed would wait 2 s for one at every destruction.
      { [ "$kind" = plain ] ||
        "${run[@]}" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f; } &&
      # A desktop at 192 dots per inch: Windows' 200 % setting.
      { [ "$kind" != window-200 ] ||
        "${run[@]}" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f; } &&
      "${run[@]}" wineserver -w
  } >"$log" 2>&1 || {
    cat "$log" >&2
    echo "build-win-deps: Wine prefix initialisation failed" >&2
    exit 1
  }
  touch "$wine_prefix/.sorvane-ready"
  echo "build-win-deps: Wine prefix ready"
}

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# apt-get source needs source entries for the same mirror as the binary ones.
# Debian 12 writes deb822 files; older set-ups use one-line lists.
have_source_entries() {
  grep -hsqE '^[[:space:]]*(Types:.*deb-src|deb-src[[:space:]])' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}

add_source_entries() {
  local out=/etc/apt/sources.list.d/sorvane-deb-src
  local f
  # The release's own entries only (suite without a "-updates"/"-security"
  # suffix): the orig tarball is the same in every suite, and the security
  # mirror does not always serve the sources of its current version.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS=""; ORS="\n\n" }
         /(^|\n)Types:[^\n]*deb([ \t\n]|$)/ && !/(^|\n)Enabled:[ \t]*no/ \
           && match($0, /(^|\n)Suites:[^\n]*/) {
           n = split(substr($0, RSTART, RLENGTH), w, /[ \t\n]+/); keep = ""
           for (i = 1; i <= n; i++) if (w[i] != "" && w[i] != "Suites:" && w[i] !~ /-/) keep = keep " " w[i]
           if (keep == "") next
           sub(/(^|\n)Suites:[^\n]*/, "\nSuites:" keep)
           sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f"
  done | $SUDO tee "$out.sources" >/dev/null
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++
                       if ($(i + 1) !~ /-/) { $1 = "deb-src"; print } }' "$f"
  done | $SUDO tee "$out.list" >/dev/null
  [ -s "$out.sources" ] || $SUDO rm -f "$out.sources"
  [ -s "$out.list" ] || $SUDO rm -f "$out.list"
  echo "build-win-deps: added source entries ($out.*); apt-get update"
  $SUDO apt-get update -q
}

fetch_orig() {
  # Only the orig tarball matters; a missing .dsc or Debian diff is no failure.
  apt-get source --download-only -q libpng1.6 || true
  ls libpng1.6_*.orig.tar.* >/dev/null 2>&1
}

build_libpng() {
  if [ -f "$stamp" ] && [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ]; then
    echo "build-win-deps: $(cat "$stamp") already in $prefix"
    return
  fi

  for tool in $host-gcc-posix apt-get tar make; do
    command -v "$tool" >/dev/null || {
      echo "build-win-deps: $tool not found; run scripts/install-deps.sh --windows" >&2
      exit 1
    }
  done
  [ -f /usr/$host/lib/libz.a ] || {
    echo "build-win-deps: /usr/$host/lib/libz.a not found; run scripts/install-deps.sh --windows" >&2
    exit 1
  }

  mkdir -p "$work"
  cd "$work"

  orig=$(ls libpng1.6_*.orig.tar.* 2>/dev/null | head -1 || true)
  if [ -z "$orig" ]; then
    if ! have_source_entries; then
      add_source_entries
    fi
    echo "build-win-deps: apt-get source --download-only libpng1.6"
    if ! fetch_orig; then
      # Entries present but never fetched (a fresh machine's lists are stale or absent).
      $SUDO apt-get update -q
      fetch_orig || {
        echo "build-win-deps: could not fetch the libpng1.6 orig tarball" >&2
        exit 1
      }
    fi
    orig=$(ls libpng1.6_*.orig.tar.* | head -1)
  fi
  version=${orig#libpng1.6_}
  version=${version%.orig.tar.*}
  echo "build-win-deps: building libpng $version for $host from $orig"

  rm -rf "src-$version"
  mkdir "src-$version"
  tar -xf "$orig" -C "src-$version" --strip-components=1
  cd "src-$version"

  # Static only; zlib headers and library from libz-mingw-w64-dev.
  ./configure -q --host=$host --prefix="$prefix" \
    --disable-shared --enable-static \
    CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib \
    CFLAGS="-O2" CPPFLAGS="-I/usr/$host/include" LDFLAGS="-L/usr/$host/lib" \
    >../configure.log 2>&1 || {
    cat ../configure.log >&2
    exit 1
  }
  make -s -j"$jobs" libpng16.la >../make.log 2>&1 || {
    tail -50 ../make.log >&2
    exit 1
  }
  make -s install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS \
    install-pkgconfigDATA install-header-links install-library-links install-libpng-pc \
    >>../make.log 2>&1 || {
    tail -50 ../make.log >&2
    exit 1
  }
  cd "$work"
  rm -rf "src-$version"

  [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/include/png.h" ] || {
    echo "build-win-deps: libpng did not install into $prefix" >&2
    exit 1
  }
  echo "libpng $version" >"$stamp"
  echo "build-win-deps: installed libpng $version (static) into $prefix"
}

build_libpng
init_wine_prefix "$root/build/wineprefix" plain
init_wine_prefix "$root/build/wineprefix-window" window
init_wine_prefix "$root/build/wineprefix-window-200" window-200
