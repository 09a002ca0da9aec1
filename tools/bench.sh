#!/usr/bin/env bash
# Runs every benchmark in the build folder, on the current display or a virtual one.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi
for b in "$build"/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" || echo "$(basename "$b") failed with status $?"
done
