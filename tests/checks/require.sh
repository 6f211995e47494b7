# Sourced by the check scripts. `require NAME...` picks the first of the named programs that is
# installed, into $found. When none is, the check is skipped (exit 77) on a developer's machine,
# but fails under CI, where .ci/run installs every one of them: a check must never be skipped
# there unnoticed.
require() {
  local name
  for name in "$@"; do
    if command -v "$name" >/dev/null 2>&1; then
      found=$(command -v "$name")
      return 0
    fi
  done
  echo "$(basename "$0"): needs $1, which is not installed; .ci/run installs it with apt-get"
  if [ "${CI:-}" = true ]; then
    exit 1
  fi
  exit 77
}
