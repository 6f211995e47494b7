#!/usr/bin/env bash
# The fault shim stands in for every name under which the tool imports a call that the shim
# fails: a 64-bit name (open64) or a FORTIFY entry point (__open_2, __read_chk) that it lacked
# would take the call straight to the C library, and the fault meant for it would never come.
# Usage: fault_shim.sh ULMOR SHIM
set -euo pipefail
source "$(dirname "$0")/require.sh"
tool=$1
shim=$2

require nm
nm=$found

faked=" $("$nm" -D --defined-only "$shim" | awk '{ print $3 }' | tr '\n' ' ') "
status=0
for symbol in $("$nm" -D --undefined-only "$tool" | awk '{ print $2 }' | sed 's/@.*//'); do
  # open64, __open_2, __open64_2 and __read_chk are forms of open and read.
  stem=${symbol#__}
  stem=${stem%_chk}
  stem=${stem%_2}
  stem=${stem%64}
  if [[ $faked == *" $stem "* && $faked != *" $symbol "* ]]; then
    echo "the tool imports $symbol, a form of $stem, which $(basename "$shim") does not stand in for"
    status=1
  fi
done
exit $status
