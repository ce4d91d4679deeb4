#!/usr/bin/env bash
# Hardening checks; scripts/test.sh runs them after the ordinary suites.
#   asan      the whole suite built with preset linux-asan (address and
#             undefined-behaviour sanitizers, no suppressions)
#   tsan      the two-thread stress test built with preset linux-tsan
#   fuzz      every libFuzzer target of preset linux-fuzz (clang) for
#             SORVANE_FUZZ_SECONDS (default 60) from the stored corpora,
#             two targets at a time
#   validate  sorvane-host validate --strictness 10 on both products: the
#             Linux build, the sanitizer build and, when the Windows build
#             exists (scripts/test.sh makes it), under Wine
# Usage: scripts/harden.sh [asan] [tsan] [fuzz] [validate]   (default: all)
# SORVANE_HARDEN_BUILD puts the build trees below another folder than build/.
# Every step runs even when an earlier one failed; the exit status is
# non-zero when any failed, and the last lines sum up each step.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build_root=${SORVANE_HARDEN_BUILD:-build}
fuzz_seconds=${SORVANE_FUZZ_SECONDS:-60}

started=$SECONDS
step() { printf '\n==> harden: %s (%ds)\n' "$*" $((SECONDS - started)); }

declare -A result=()
declare -A seconds=()
status=0
note() {  # step, outcome
  result[$1]=$2
  case "$2" in ok*) ;; *) status=1 ;; esac
}

# Configure a preset into its build tree and build the given targets.
build() {
  local preset=$1
  shift
  local dir="$build_root/$preset"
  step "$preset: configure"
  cmake --preset "$preset" -B "$dir" || return 1
  step "$preset: build ${*:-everything} (2 jobs)"
  if [ $# -gt 0 ]; then
    cmake --build "$dir" -j2 --target "$@"
  else
    cmake --build "$dir" -j2
  fi
}

run_asan() {
  local dir="$build_root/linux-asan"
  build linux-asan || { note asan "failed: configure or build"; return; }
  step "linux-asan: ctest"
  if ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" -j2 --output-on-failure --timeout 900 --no-tests=error 2>&1 | tee "$dir/ctest.log"; then
    note asan "ok: $(grep -E '^[0-9]+% tests passed' "$dir/ctest.log" | tail -1)"
  else
    note asan "failed: $(grep -E '^[0-9]+% tests passed' "$dir/ctest.log" | tail -1)"
  fi
}

run_tsan() {
  local dir="$build_root/linux-tsan"
  build linux-tsan stress_tests || { note tsan "failed: configure or build"; return; }
  step "linux-tsan: two threads on one instance"
  # A report makes the program exit with 66 at the end.
  if TSAN_OPTIONS=second_deadlock_stack=1 "$dir/tests/stress/stress_tests" 2>&1 | tee "$dir/stress.log"; then
    note tsan "ok: $(grep -c 'WARNING: ThreadSanitizer' "$dir/stress.log") reports"
  else
    note tsan "failed: $(grep -c 'WARNING: ThreadSanitizer' "$dir/stress.log") reports, see $dir/stress.log"
  fi
}

# One target: a scratch corpus grown from the stored one, findings kept as
# artifacts. Prints one summary line.
fuzz_one() {
  local dir=$1 target=$2
  local work="$dir/fuzz-work/$target" found="$dir/fuzz-findings/$target"
  mkdir -p "$work" "$found"
  local inputs=("$work" "tests/fuzz/corpus/$target")
  [ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target")
  local log="$dir/fuzz-$target.log"
  # The file targets write a file per input: keep that in memory where possible.
  local scratch=/tmp
  [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
  TMPDIR=$scratch timeout $((fuzz_seconds + 300)) "$dir/tests/fuzz/fuzz_$target" \
    -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 -max_len=9000 \
    -dict=tests/fuzz/sorvane.dict -print_final_stats=1 -artifact_prefix="$found/" "${inputs[@]}" >"$log" 2>&1
  local rc=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ $rc -eq 0 ]; then
    echo "fuzz $target: ok, ${runs:-?} inputs in ${fuzz_seconds} s"
  else
    echo "fuzz $target: FAILED (exit $rc) after ${runs:-?} inputs; findings in $found, log $log"
    echo "  a finding becomes a regression test: copy it to tests/fuzz/regressions/$target/"
    grep -m 20 -E 'ERROR|SUMMARY|^[a-z_]+: ' "$log" | sed 's/^/  /'
  fi
  return $rc
}

run_fuzz() {
  local dir="$build_root/linux-fuzz"
  build linux-fuzz sorvane_fuzzers || { note fuzz "failed: configure or build"; return; }
  step "linux-fuzz: each target for $fuzz_seconds s, two at a time"
  local targets=()
  for program in "$dir"/tests/fuzz/fuzz_*; do
    [ -x "$program" ] && targets+=("${program##*/fuzz_}")
  done
  [ ${#targets[@]} -gt 0 ] || { note fuzz "failed: no fuzz programs in $dir/tests/fuzz"; return; }
  local failed=0 summary="$dir/fuzz-summary.txt"
  : >"$summary"
  for ((i = 0; i < ${#targets[@]}; i += 2)); do
    local pids=()
    for target in "${targets[@]:i:2}"; do
      fuzz_one "$dir" "$target" >>"$summary" &
      pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
  done
  cat "$summary"
  if [ $failed -eq 0 ]; then
    note fuzz "ok: ${#targets[@]} targets, $fuzz_seconds s each, no finding"
  else
    note fuzz "failed: $failed of ${#targets[@]} targets found something"
  fi
}

# validate on each plug-in listed in a build tree's products file.
validate_tree() {
  local dir=$1 label=$2
  shift 2
  local products="$dir/sorvane-products.txt"
  local host plugins=() failed=0
  host=$(sed -n 's/^host //p' "$products")
  mapfile -t plugins < <(sed -n 's/^plugin //p' "$products")
  [ -n "$host" ] && [ ${#plugins[@]} -gt 0 ] || { echo "validate $label: no host or plug-ins in $products"; return 1; }
  for plugin in "${plugins[@]}"; do
    local path=$plugin
    # Wine sees the file system through its Z: drive.
    [ $# -gt 0 ] && path="Z:${plugin//\//\\}"
    echo "--- validate $label: ${plugin##*/}"
    timeout 900 "$@" "$host" validate "$path" --strictness 10 || failed=$((failed + 1))
  done
  return $failed
}

run_validate() {
  local failed=0 ran=()
  local native="$build_root/linux"
  if [ ! -f "$native/sorvane-products.txt" ]; then
    build linux sorvane_products || { note validate "failed: the linux build"; return; }
  fi
  step "validate: Linux"
  validate_tree "$native" linux || failed=$((failed + 1))
  ran+=(linux)

  if [ -f "$build_root/linux-asan/sorvane-products.txt" ]; then
    step "validate: Linux with sanitizers"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      validate_tree "$build_root/linux-asan" linux-asan || failed=$((failed + 1))
    ran+=(linux-asan)
  fi

  if [ -f "$build_root/mingw/sorvane-products.txt" ]; then
    step "validate: Windows under Wine"
    local prefix="$root/build/wineprefix"
    validate_tree "$build_root/mingw" wine env -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all WINEPREFIX="$prefix" \
      "WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=" wine || failed=$((failed + 1))
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    ran+=(wine)
  else
    echo "harden: no Windows build in $build_root/mingw (scripts/test.sh makes it); validate under Wine skipped"
  fi
  if [ $failed -eq 0 ]; then
    note validate "ok: ${ran[*]}"
  else
    note validate "failed: $failed of ${#ran[@]} builds (${ran[*]}) had failing checks"
  fi
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(asan tsan fuzz validate)
for s in "${steps[@]}"; do
  case "$s" in
    asan | tsan | fuzz | validate) ;;
    *)
      echo "usage: $0 [asan] [tsan] [fuzz] [validate]" >&2
      exit 2
      ;;
  esac
done
mkdir -p "$build_root"
for s in "${steps[@]}"; do
  begin=$SECONDS
  "run_$s"
  seconds[$s]=$((SECONDS - begin))
done

step "done"
for s in "${steps[@]}"; do
  printf 'harden: %-8s %5d s  %s\n' "$s" "${seconds[$s]}" "${result[$s]:-not run}"
done
echo "harden: took $((SECONDS - started)) s"
exit $status
