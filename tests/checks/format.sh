#!/usr/bin/env bash
# Every C++ file of the tree follows .clang-format: those git tracks in a checkout (see
# tree_files.sh).
# Usage: format.sh SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/require.sh"
source "$(dirname "$0")/tree_files.sh"
cd "$1"

# clang-format 14 only: another version formats the same code differently.
require clang-format-14
format=$found

mapfile -t files < <(tree_files . '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "no C++ files found in $1"
  exit 1
fi

"$format" --dry-run -Werror "${files[@]}"
echo "${#files[@]} files follow .clang-format"
