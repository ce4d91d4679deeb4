#!/usr/bin/env bash
# Builds and runs every test: first the formatting check of every C++ file
# (scripts/check-format.sh), then the native suite (preset linux), then the
# 64-bit Windows build's suite under Wine (preset mingw), then the hardening
# checks (scripts/harden.sh: sanitizers, thread stress, fuzzing, validate;
# SORVANE_HARDEN=0 leaves them out). Installs missing Debian packages first.
# Every part always runs; the exit status is non-zero when anything failed,
# and the last lines sum up each part.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

started=$SECONDS
step() { printf '\n==> test: %s (%ds)\n' "$*" $((SECONDS - started)); }

declare -A summary=()
passed_total=0
failed_total=0
status=0

# Runs one preset's ctest, keeping its closing line and adding up the counts.
run_ctest() {
  local preset=$1
  local log="build/$preset/ctest.log"
  ctest --preset "$preset" --no-tests=error 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    local failed total
    failed=$(sed -E 's/^.* ([0-9]+) tests? failed out of ([0-9]+).*$/\1/' <<<"$line")
    total=$(sed -E 's/^.* failed out of ([0-9]+).*$/\1/' <<<"$line")
    passed_total=$((passed_total + total - failed))
    failed_total=$((failed_total + failed))
    summary[$preset]=$line
  else
    summary[$preset]="ctest ran no test (exit $rc)"
  fi
  [ "$rc" -eq 0 ] || fail "$preset" "ctest exited with $rc"
}

fail() {
  local preset=$1
  shift
  echo "test: $preset: $*" >&2
  [ -n "${summary[$preset]:-}" ] || summary[$preset]="not run: $*"
  status=1
}

# Configure and build one preset; returns non-zero (after reporting) on failure.
build_preset() {
  local preset=$1
  step "$preset: configure"
  cmake --preset "$preset" || { fail "$preset" "configure failed"; return 1; }
  step "$preset: build (2 jobs)"
  cmake --build --preset "$preset" || { fail "$preset" "build failed"; return 1; }
}

step "Debian packages"
bash scripts/install-deps.sh --all || {
  echo "test: installing the Debian packages failed" >&2
  exit 1
}

step "format: every C++ file against .clang-format"
if bash scripts/check-format.sh; then
  summary[format]="every file is formatted"
else
  summary[format]="unformatted files (listed above)"
  status=1
fi

if build_preset linux; then
  step "linux: ctest"
  run_ctest linux
fi

step "mingw: libpng for Windows and the Wine prefix"
if bash scripts/build-win-deps.sh; then
  if build_preset mingw; then
    step "mingw: ctest under Wine"
    run_ctest mingw
    # Leave no Wine server behind in our prefixes.
    for prefix in wineprefix wineprefix-window wineprefix-window-200; do
      WINEPREFIX="$root/build/$prefix" wineserver -k 2>/dev/null || true
    done
  fi
else
  fail mingw "scripts/build-win-deps.sh failed"
fi

if [ "${SORVANE_HARDEN:-1}" != 0 ]; then
  step "harden: sanitizers, thread stress, fuzzing, validate"
  if bash scripts/harden.sh; then
    summary[harden]="every step passed"
  else
    summary[harden]="failed (the harden: lines above say which step)"
    fail harden "scripts/harden.sh failed"
  fi
else
  summary[harden]="left out (SORVANE_HARDEN=0)"
fi

step "done"
echo "test: format: ${summary[format]}"
echo "test: linux: ${summary[linux]}"
echo "test: mingw: ${summary[mingw]}"
echo "test: harden: ${summary[harden]}"
echo "test: took $((SECONDS - started)) s"
echo "total: $passed_total passed, $failed_total failed"
exit $status
