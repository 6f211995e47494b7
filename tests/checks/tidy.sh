#!/usr/bin/env bash
# clang-tidy, with the checks chosen in .clang-tidy, finds nothing in src/.
# Usage: tidy.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/require.sh"
source=$1
build=$2

require clang-tidy-14
tidy=$found

# The sources this build compiles, with its own flags: the other platform's back end is left
# out, since its system headers are not here.
mapfile -t files < <(python3 - "$build/compile_commands.json" "$source/src/" <<'PY'
import json, os, sys
entries = json.load(open(sys.argv[1]))
for path in sorted({os.path.realpath(os.path.join(e["directory"], e["file"])) for e in entries}):
    if path.startswith(os.path.realpath(sys.argv[2]) + os.sep):
        print(path)
PY
)
if [ ${#files[@]} -eq 0 ]; then
  echo "no source of src/ in $build/compile_commands.json"
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
