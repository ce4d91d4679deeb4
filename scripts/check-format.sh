#!/usr/bin/env bash
# Checks every tracked C++ file (.cpp, .h, .inc) against the .clang-format at
# the root, changing nothing. Lists the files that are not formatted and
# exits non-zero when there is any; `clang-format -i FILE` formats one.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

command -v clang-format >/dev/null || {
  echo "check-format: clang-format not found; run scripts/install-deps.sh --native" >&2
  exit 2
}
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || {
  echo "check-format: $root is not a git checkout; the tracked files are what is checked" >&2
  exit 2
}

unformatted=()
checked=0
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h' '*.inc')

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "check-format: ${#unformatted[@]} of $checked files are not formatted:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "check-format: all $checked files are formatted"
