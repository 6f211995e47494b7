# Sourced by the format and tidy checks. `tree_files SOURCE_DIR PATTERN...` prints the files of
# the tree that match one of the patterns (`*` matches across folders too), relative to
# SOURCE_DIR, one a line.
#
# In a git checkout these are the files that git tracks (a new file counts once it is added), so
# that a build folder of any name, and the sources a build generates there, is never taken for
# part of the tree. Outside one, in an unpacked source archive say, there is no such record: the
# files under src/ and tests/ stand in for the tree, and the check says so.
tree_files() {
  local dir=$1 top file pattern
  shift
  # Only a checkout of this tree counts, not a repository that it happens to sit in.
  top=$(git -C "$dir" rev-parse --show-toplevel 2>/dev/null) || top=""
  if [ -n "$top" ] && [ "$(realpath "$top")" = "$(realpath "$dir")" ]; then
    git -C "$dir" ls-files -z -- "$@" | while IFS= read -r -d '' file; do
      # A tracked file deleted from the working tree is not there to check.
      if [ -f "$dir/$file" ]; then
        printf '%s\n' "$file"
      fi
    done
    return
  fi
  echo "$(basename "$0"): $dir is not a git checkout: looking at src/ and tests/ only" >&2
  (cd "$dir" && find src tests -type f 2>/dev/null | LC_ALL=C sort) | while IFS= read -r file; do
    for pattern in "$@"; do
      if [[ $file == $pattern ]]; then
        printf '%s\n' "$file"
        break
      fi
    done
  done
}
