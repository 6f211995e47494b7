#!/usr/bin/env bash
# Every C++ file of the tree follows .clang-format.
# Usage: format.sh SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/require.sh"
cd "$1"

# clang-format 14 only: another version formats the same code differently.
require clang-format-14
format=$found

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # Untracked files too, so that a new file is checked before it is committed.
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "no C++ files found in $1"
  exit 1
fi

"$format" --dry-run -Werror "${files[@]}"
echo "${#files[@]} files follow .clang-format"
