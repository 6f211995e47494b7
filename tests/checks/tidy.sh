#!/usr/bin/env bash
# clang-tidy, with the checks chosen in .clang-tidy, finds nothing in the sources of src/ (in a
# checkout, those git tracks: see tree_files.sh).
# Usage: tidy.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/require.sh"
source "$(dirname "$0")/tree_files.sh"
source=$1
build=$2

require clang-tidy-14
tidy=$found

# The tree's sources in src/ that this build compiles, with its own flags: the other platform's
# back end is left out, since its system headers are not here, and so is any source the build
# generates.
mapfile -t tree < <(tree_files "$source" 'src/*.cpp')
mapfile -t files < <(python3 - "$build/compile_commands.json" "$source" "${tree[@]}" <<'PY'
import json, os, sys
entries = json.load(open(sys.argv[1]))
tree = {os.path.realpath(os.path.join(sys.argv[2], f)) for f in sys.argv[3:]}
for path in sorted({os.path.realpath(os.path.join(e["directory"], e["file"])) for e in entries}):
    if path in tree:
        print(path)
PY
)
if [ ${#files[@]} -eq 0 ]; then
  echo "no source of the tree's src/ in $build/compile_commands.json"
  exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "$jobs" "$tidy" -p "$build" --quiet >"$log" 2>&1 || status=$?
# A .clang-tidy that does not parse is only reported, not failed on: look for any diagnostic.
if [ $status -ne 0 ] || grep -qE '(warning|error):' "$log"; then
  cat "$log"
  exit 1
fi
echo "clang-tidy is clean on ${#files[@]} files"
