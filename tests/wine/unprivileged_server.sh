#!/usr/bin/env bash
# unprivileged_server.sh start|stop <wine64> <dir>
# wine_server.sh for the Wine prefix of the permission cases, <dir>/wineprefix, with <dir>/home as
# HOME. Run as root, Wine runs as nobody, and both directories belong to nobody: Wine takes only
# a prefix that belongs to the user it runs as. Run as anyone else, it runs as that user.
# When root cannot become nobody, it does nothing: the cases themselves then say why they
# cannot run.
set -euo pipefail
action=$1
wine=$2
dir=$3
here=$(cd "$(dirname "$0")" && pwd)

as=()
if [ "$(id -u)" = 0 ]; then
  group=$(id -g nobody 2>/dev/null) || group=""
  as=(setpriv --reuid=nobody --regid="$group" --clear-groups)
  if [ -z "$group" ] || ! command -v setpriv >/dev/null 2>&1 ||
    ! "${as[@]}" test -x "$here/wine_server.sh"; then
    echo "unprivileged_server.sh: cannot run $here/wine_server.sh as nobody; not started" >&2
    exit 0
  fi
  if [ "$action" = start ]; then
    mkdir -p "$dir/home" "$dir/wineprefix"
    chown -R "nobody:$group" "$dir"
  fi
else
  mkdir -p "$dir/home" "$dir/wineprefix"
fi
HOME="$dir/home" exec "${as[@]}" "$here/wine_server.sh" "$action" "$wine" "$dir/wineprefix"
