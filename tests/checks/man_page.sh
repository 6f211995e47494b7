#!/usr/bin/env bash
# The man page, as the build makes it of doc/ulmor.1.in, passes groff's checks without a warning,
# carries the version and a date, and states the tool's texts byte for byte.
# Usage: man_page.sh MAN_PAGE VERSION
set -euo pipefail
source "$(dirname "$0")/require.sh"
page=$1
version=$2

th=$(grep '^\.TH ' "$page")
date='[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'
if [[ "$th" != '.TH ULMOR 1 "'$date'" "ulmor '"$version"'" '* ]]; then
  echo "the title line does not carry a date and version $version: $th"
  exit 1
fi
if grep -n '@[A-Za-z_]*@' "$page"; then
  echo "the lines above were not filled in"
  exit 1
fi

require groff
groff=$found

warnings=$("$groff" -man -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
  echo "$warnings"
  exit 1
fi

# The page as a reader sees it, plain text on one line, so that a message broken across two
# output lines still matches.
text=$("$groff" -man -Tascii -P-cbou "$page" | tr -s ' \n' '  ')

# What the tool prints: its usage line, progress line, fatal messages and I/O failure report.
texts=(
  'skladnia: ulmor <uq_file> <out_dir>'
  'znalazlem NNN.bin'
  'Blad: nie znalazlem uq_file.'
  'Blad: sygnatura jest nieprawidlowa.'
  'Blad: nieoczekiwany koniec pliku.'
  'Exception EInOutError in module module at XXXXXXXX.'
  'File not found'
  'Invalid filename'
  'Too many open files'
  'File access denied'
  'Read beyond end of file'
  'Disk full'
  'Invalid numeric input'
  'I/O error N'
)
missing=0
for expected in "${texts[@]}"; do
  if [[ "$text" != *"$expected"* ]]; then
    echo "the man page does not state: $expected"
    missing=1
  fi
done
exit $missing
