#!/usr/bin/env bash
# The rendered demo: the built-in demo signal through every factory program
# of Tessaro and Pallido with sorvane-host, into an output folder:
#   <product>/NN-<program>.wav   the rendered audio, one file per program
#   <product>/NN-<program>.png   that program's frequency response
#   <product>-programs.png/.csv  all twelve programs of the product in one plot
#   <product>-editor.png         the product's editor as a host shows it (on a
#                                virtual display that xvfb-run starts and stops)
# then a table per product: program, RMS change against the input, peak.
#
# usage: scripts/demo.sh [BUILD_DIR [OUTPUT_DIR]]
#   BUILD_DIR   a configured and built CMake build folder (default build/linux)
#   OUTPUT_DIR  where the files go (default BUILD_DIR/demo)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${1:-build/linux}
out=${2:-$build/demo}
rate=48000

fail() {
  echo "demo: $*" >&2
  exit 1
}

[ -d "$build" ] || fail "no build folder '$build' (build first, e.g. cmake --preset linux && cmake --build --preset linux)"

# What the build made: sorvane-products.txt lists it; the default layout
# serves when the list is missing.
products_list="$build/sorvane-products.txt"
host=""
plugins=()
if [ -f "$products_list" ]; then
  host=$(awk '$1 == "host" { sub(/^[^ ]+ /, ""); print }' "$products_list")
  while IFS= read -r line; do plugins+=("$line"); done < <(awk '$1 == "plugin" { sub(/^[^ ]+ /, ""); print }' "$products_list")
fi
[ -n "$host" ] || host="$build/tools/sorvane-host/sorvane-host"
if [ ${#plugins[@]} -eq 0 ]; then
  for product in Tessaro Pallido; do plugins+=("$build/plugins/$product.so"); done
fi
[ -x "$host" ] || fail "sorvane-host is not built in '$build' (target sorvane-host)"
for plugin in "${plugins[@]}"; do
  [ -f "$plugin" ] || fail "the plug-in '$plugin' is not built"
  case "$plugin" in
  *.so) ;;
  *) fail "'$plugin' is no Linux plug-in; give a native build folder" ;;
  esac
done

mkdir -p "$out"
started=$SECONDS

# Program names from `info`: the lines after "programs N", "  index  name".
program_names() {
  "$host" info "$1" | awk '/^programs/ { listing = 1; next } listing && /^  [0-9]/ { sub(/^  [0-9]+ +/, ""); print; next } listing { exit }'
}

slug() { printf '%s' "$1" | tr '[:upper:]' '[:lower:]' | tr -c 'a-z0-9' '-' | sed 's/--*/-/g; s/^-//; s/-$//'; }

total=0
declare -A names_of
for plugin in "${plugins[@]}"; do
  product=$(basename "$plugin" .so)
  names_of[$product]=$(program_names "$plugin")
  [ -n "${names_of[$product]}" ] || fail "'$plugin' lists no programs"
  total=$((total + $(printf '%s\n' "${names_of[$product]}" | wc -l)))
done

echo "demo: $total programs through the demo signal (9 s at $rate Hz) into $out"
done_count=0
tables=""
for plugin in "${plugins[@]}"; do
  product=$(basename "$plugin" .so)
  mkdir -p "$out/$product"
  table=$(printf '\n%s\n%-4s %-24s %12s %12s\n' "$product" "#" "program" "RMS change" "peak")
  index=0
  while IFS= read -r name; do
    done_count=$((done_count + 1))
    file=$(printf '%02d-%s' "$index" "$(slug "$name")")
    printf '[%2d/%d] %-8s %2d %-24s ' "$done_count" "$total" "$product" "$index" "$name"
    report=$("$host" render "$plugin" "$out/$product/$file.wav" --program "$index" --rate "$rate") ||
      fail "render of $product program $index failed"
    "$host" response "$plugin" --program "$index" --rate "$rate" --png "$out/$product/$file.png" \
      --title "$product $index: $name" >/dev/null || fail "response of $product program $index failed"
    # "RMS -23.13 -> -21.40 dBFS (change +1.73 dB), peak -4.20 dBFS"
    change=$(printf '%s\n' "$report" | sed -n 's/.*(change \([^)]*\)).*/\1/p')
    peak=$(printf '%s\n' "$report" | sed -n 's/.*peak \(.*\)$/\1/p')
    printf '%10s  peak %s\n' "$change" "$peak"
    table+=$(printf '\n%-4s %-24s %12s %12s' "$index" "$name" "$change" "$peak")
    index=$((index + 1))
  done < <(printf '%s\n' "${names_of[$product]}")
  printf '[all ] %-8s all programs in one plot\n' "$product"
  "$host" response "$plugin" --all-programs --rate "$rate" --png "$out/$product-programs.png" \
    --csv "$out/$product-programs.csv" --title "$product: the 12 factory programs at $rate Hz" >/dev/null ||
    fail "response of every $product program failed"
  tables+="$table"$'\n'
done

printf '%s\n' "$tables"

# The editors, as a user first sees them: opened by the host tool in a window
# of its own on a virtual display that lives only for this command.
command -v xvfb-run >/dev/null || fail "xvfb-run is missing (Debian package xvfb; scripts/install-deps.sh installs it)"
editors=()
for plugin in "${plugins[@]}"; do
  product=$(basename "$plugin" .so)
  xvfb-run -a -s "-screen 0 1280x1024x24" "$host" editor "$plugin" --png "$out/$product-editor.png" >/dev/null ||
    fail "the editor of $product could not be shown"
  editors+=("$out/$product-editor.png")
done
echo "demo: the editors: ${editors[*]}"
echo "demo: wrote $out (WAV and PNG per program, $(basename "${plugins[0]}" .so)-programs.png and the like) in $((SECONDS - started)) s"
