#!/usr/bin/env bash
# Starts the program. Without a display it runs on a virtual X server the way a new user
# would meet it: a first start with nothing stored, pictures chosen into the slots from a
# folder of samples, a frame with its transparent colour picked, "Show Cube", Escape, and a
# second start that finds everything restored. Screenshots of each step go to
# <build>/screenshots/.
set -euo pipefail
build=${1:-build}
exe="$build/vexorin"
if [ -n "${DISPLAY:-}" ]; then
  exec "$exe"
fi

build=$(cd "$build" && pwd)
shots="$build/screenshots"
samples="$build/samples"
mkdir -p "$shots" "$samples"
rm -f "$shots"/*.png

# Sample pictures: five photographs-to-be, a wide one, and a frame (blue border, red centre).
if [ ! -f "$samples/frame.bmp" ]; then
  convert -size 640x480 plasma:orange-purple -seed 1 "$samples/autumn.jpg"
  convert -size 480x640 gradient:skyblue-navy "$samples/blue sky.jpg"
  convert -size 64x64 pattern:checkerboard -scale 800% "$samples/checks.gif"
  convert -size 600x400 radial-gradient:yellow-darkgreen "$samples/dandelion.jpg"
  convert -size 1024x512 gradient:red-white -rotate 90 -resize 1024x512! "$samples/evening.bmp"
  convert -size 256x256 xc:blue -fill red -draw "rectangle 24,24 231,231" BMP3:"$samples/frame.bmp"
fi

XDG_CONFIG_HOME="$build/run-config"
rm -rf "$XDG_CONFIG_HOME"
export XDG_CONFIG_HOME

xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c '
  set -u
  exe=$1; shots=$2; samples=$3
  xsetroot -solid "#3a6ea5" 2>/dev/null || true
  # A notification area, so the tray icon can be seen.
  if command -v trayer >/dev/null; then trayer --edge top --align right --widthtype pixel --width 120 --height 24 & fi
  shot() { sleep "${2:-0.6}"; import -window root "$shots/$1.png"; }
  at() { xdotool mousemove --window "$win" "$1" "$2"; }
  click() { at "$1" "$2"; xdotool click 1; sleep 0.3; }
  choose() { # slot x y, then the file list: type the start of the name
    click "$1" "$2"; click 100 470; xdotool type --delay 60 "$3"; sleep 0.4; }

  "$exe" & pid=$!
  win=$(xdotool search --sync --onlyvisible --name "^Vexorin$" | head -1)
  shot 01-first-start 1

  # Into the samples folder: the folder list finds a name as it is typed; Enter opens it.
  click 100 400
  xdotool type --delay 60 samples; xdotool key Return; sleep 0.5
  shot 02-samples-folder
  choose 160 60 autumn
  choose 60 170 blue
  choose 160 170 checks
  choose 265 170 dandelion
  choose 370 170 evening
  # Slot 6 stays empty: it gets the numbered face.
  choose 324 400 frame
  click 265 278                 # Use Frame
  click 372 300                 # the swatch: picking starts
  at 324 420; sleep 0.3         # over the red centre of the frame
  click 324 420                 # the frame slot ends picking
  shot 03-slots-filled

  click 324 60                  # Show Cube
  shot 04-cube 3
  ls -l "$(dirname "$exe")"/Side*.bmp > "$shots/side-files.txt" 2>&1 || true
  cube=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$win" | head -1 || true)
  # A double click on the tray icon (right end of the tray bar) brings the picker back
  # over the running cube.
  xdotool mousemove 1268 12 click --repeat 2 --delay 80 1
  shot 05-picker-over-running-cube 1
  if [ -n "$cube" ]; then xdotool windowfocus "$cube" 2>/dev/null || true; fi
  xdotool key Escape
  shot 06-picker-back 1.5

  click 324 500                 # Exit
  sleep 0.5; kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true

  "$exe" & pid=$!
  win=$(xdotool search --sync --onlyvisible --name "^Vexorin$" | head -1)
  shot 07-restarted-restored 1.5
  click 324 500
  sleep 0.5; kill $pid 2>/dev/null || true
  kill %1 2>/dev/null || true
' _ "$exe" "$shots" "$samples"
echo "Screenshots of the running program are in $shots/ (side files listed in side-files.txt)"
