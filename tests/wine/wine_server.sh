#!/usr/bin/env bash
# wine_server.sh start|stop <wine64> <prefix>
# start: makes the Wine prefix if it is missing, and keeps a Wine server running for it, so that
#        each case starts in a fraction of a second instead of several.
# stop:  ends that server.
set -euo pipefail
action=$1
wine=$2
export WINEPREFIX=$3
export WINEDEBUG=-all
server="$(dirname "$wine")/wineserver64"

case $action in
  start)
    # A server left from an earlier run may be on its way out: start from a fresh one.
    "$server" --kill </dev/null >/dev/null 2>&1 && "$server" --wait || true
    mkdir -p "$WINEPREFIX"
    # Stays up between the cases, and for a minute after the last one should stop go missing.
    "$server" --persistent=60 </dev/null >/dev/null 2>&1
    # Makes the prefix when it is new, and starts Wine's services either way. Started here, away
    # from the output of any case, they stay up with the server instead of holding the first
    # case's standard error open for as long. No Mono, Gecko or menu entries: the prefix only
    # runs console programs, and an offer to install would wait for an answer.
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$wine" wineboot --init \
      </dev/null >/dev/null 2>&1
    ;;
  stop)
    "$server" --kill </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    echo "usage: $0 start|stop <wine64> <prefix>" >&2
    exit 2
    ;;
esac
