#!/usr/bin/env bash
# Starts the program. Without a display it runs on a virtual X server, saves screenshots of
# what it shows into <build>/screenshots/ and says where they are.
set -euo pipefail
build=${1:-build}
exe="$build/vexorin"
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe"
fi
shots="$build/screenshots"
mkdir -p "$shots"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  exe=$1; shots=$2
  xsetroot -solid "#3a6ea5" 2>/dev/null || true
  "$exe" & pid=$!
  sleep 3
  import -window root "$shots/01-start.png"
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
' _ "$exe" "$shots"
echo "Screenshots of the running program are in $shots/"
