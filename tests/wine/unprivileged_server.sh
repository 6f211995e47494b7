#!/usr/bin/env bash
# unprivileged_server.sh start|stop <wine64> <dir>
# wine_server.sh for the Wine prefix of the permission cases, <dir>/wineprefix, with <dir>/home as
# HOME. Run as root, Wine runs as nobody, and <dir> belongs to nobody: Wine takes only a prefix
# that belongs to the user it runs as, so a <dir> left by a run as another user is given back to
# nobody on start. The script is handed over as text and run from <dir>, so nobody needs no
# access to the source or build tree. Run as anyone else, it runs as that user.
# When root cannot become nobody, it does nothing: the cases themselves then say why they
# cannot run.
set -euo pipefail
action=$1
wine=$2
dir=$3
script=$(cat "$(dirname "$0")/wine_server.sh")

if [ -L "$dir" ]; then
  echo "unprivileged_server.sh: $dir is a symbolic link; not started" >&2
  exit 1
fi
as=()
if [ "$(id -u)" = 0 ]; then
  group=$(id -g nobody 2>/dev/null) || group=""
  as=(setpriv --reuid=nobody --regid="$group" --clear-groups)
  if [ -z "$group" ] || ! command -v setpriv >/dev/null 2>&1 || ! "${as[@]}" true; then
    echo "unprivileged_server.sh: cannot run as nobody; not started" >&2
    exit 0
  fi
  if [ "$action" = start ]; then
    mkdir -p "$dir/home" "$dir/wineprefix"
    chown -R "nobody:$group" "$dir"
  fi
else
  mkdir -p "$dir/home" "$dir/wineprefix"
fi
[ -d "$dir" ] || exit 0
cd "$dir"
HOME="$dir/home" exec "${as[@]}" bash -c "$script" wine_server.sh "$action" "$wine" \
  "$dir/wineprefix"
