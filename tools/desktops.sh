#!/usr/bin/env bash
# Runs the cube on the desktops installed here, each on its own virtual X server inside a
# D-Bus session, and checks what a user would see: an ordinary window of the window manager
# (not override-redirect, in the client list, with the program's icon), nothing but the
# desktop around the cube, a drag that moves it, the keyboard focus, the stacking after
# focus changes, Escape, and a compositor that stops and starts under the running cube.
# Usage: tools/desktops.sh [build] [desktop ...]; desktops: openbox picom xcompmgr kwin
# mutter xfwm4 scales (two monitors of different scale) weston (with Xwayland). Screenshots and a summary go to <build>/desktops/. Not part of `make test`:
# the packages are in the Makefile's DESKTOP_PACKAGES.
set -uo pipefail
if [ "${1:-}" != "--session" ]; then
  build=$(cd "${1:-build}" && pwd); shift || true
  wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=(openbox picom xcompmgr kwin mutter xfwm4 scales weston)
  out="$build/desktops"; mkdir -p "$out/samples" "$out/config/Vexorin"
  rm -f "$out"/*.png "$out"/summary.txt
  for i in 1 2 3 4 5 6; do
    [ -f "$out/samples/s$i.jpg" ] || convert -size 256x256 plasma:red-blue -seed "$i" "$out/samples/s$i.jpg"
  done
  backdrop="#3A6EA5"

  # One desktop: $1 name, $2 display number, $3 window manager, $4 compositor (or ""),
  # $5 "dummy" for an X server with two monitors side by side (Xorg's dummy driver, whose
  # outputs RandR can switch on and off; this Xvfb has one output, and xrandr --setmonitor
  # on it adds no monitor, without an error) instead of Xvfb.
  run_desktop() {
    local name=$1 n=$2 wm=$3 comp=$4 server=${5:-}
    command -v "${wm%% *}" >/dev/null || { echo "$name: ${wm%% *} not installed, skipped" | tee -a "$out/summary.txt"; return; }
    if [ -n "$comp" ]; then command -v "${comp%% *}" >/dev/null || { echo "$name: ${comp%% *} not installed, skipped" | tee -a "$out/summary.txt"; return; }; fi
    { echo "[Image]"; for i in 0 1 2 3 4 5; do echo "%20$i=$out/samples/s$((i+1)).jpg"; done
      echo "[Startup]"; echo "Value=1"; } > "$out/config/Vexorin/Vexorin.ini"
    local xvfb
    if [ "$server" = dummy ]; then
      [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || { echo "$name: xserver-xorg-video-dummy not installed, skipped" | tee -a "$out/summary.txt"; return; }
      dummy_config > "$out/xorg-dummy.conf"
      Xorg ":$n" -config "$out/xorg-dummy.conf" -noreset -nolisten tcp -logfile "$out/xorg-$n.log" >/dev/null 2>&1 & xvfb=$!
      sleep 3
      DISPLAY=":$n" xrandr --addmode DUMMY1 1280x1024 >/dev/null 2>&1
      DISPLAY=":$n" xrandr --output DUMMY1 --mode 1280x1024 --right-of DUMMY0 >/dev/null 2>&1 \
        || { echo "$name: no second monitor on Xorg's dummy driver (see $out/xorg-$n.log), skipped" | tee -a "$out/summary.txt"; kill "$xvfb"; wait "$xvfb"; return; }
    else
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
      sleep 1
    fi
    # Into a file, not a pipe: services the session bus starts for the desktop (KDE's
    # kglobalaccel5, say) keep its output open after the session has ended.
    # A runtime folder of its own: a copy of the program running elsewhere for this user
    # would otherwise take the start over.
    local runtime="$out/runtime-$n"; rm -rf "$runtime"; mkdir -m 700 -p "$runtime"
    DISPLAY=":$n" XDG_RUNTIME_DIR="$runtime" dbus-run-session -- bash "$0" --session "$build" "$out" "$name" "$wm" "$comp" "$backdrop" \
      >"$out/session.txt" 2>/dev/null
    cat "$out/session.txt" | tee -a "$out/summary.txt"
    # Whatever the session left running on this display goes with it.
    for p in $(grep -lsx "DISPLAY=:$n" --null-data /proc/[0-9]*/environ | cut -d/ -f3); do
      [ "$p" != "$xvfb" ] && kill "$p" 2>/dev/null
    done
    kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
  }

  dummy_config() {
    cat <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1280x1024" 109.62 1280 1336 1472 1664 1024 1025 1028 1054
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3840 2048
    Modes "1280x1024"
  EndSubSection
EndSection
CONF
  }

  n=40
  for d in "${wanted[@]}"; do
    n=$((n + 1))
    case $d in
      openbox)  run_desktop openbox $n "openbox" "" ;;
      picom)    run_desktop "openbox + picom --shadow" $n "openbox" "picom --backend xrender --shadow" ;;
      xcompmgr) run_desktop "openbox + xcompmgr -c" $n "openbox" "xcompmgr -c" ;;
      kwin)     run_desktop kwin_x11 $n "kwin_x11 --replace" "" ;;
      mutter)   run_desktop "mutter --x11" $n "mutter --x11 --replace" "" ;;
      xfwm4)    run_desktop "xfwm4 (compositing)" $n "xfwm4 --compositor=on" "" ;;
      scales)   run_desktop "openbox, monitors at 2x and 1x" $n "openbox" "" dummy ;;
      weston)   run_desktop weston $n "weston" "" ;;
      *) echo "unknown desktop $d" ;;
    esac
  done
  echo "Screenshots and summary in $out/"
  exit 0
fi

# --- inside the session --------------------------------------------------------------------
shift
build=$1 out=$2 name=$3 wm=$4 comp=$5 backdrop=$6
tag=$(echo "$name" | tr -c 'a-z0-9\n' '-' | sed 's/-*$//')
say() { echo "$name: $*"; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}' | head -1; }
geometry() { # window -> X Y W H
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'; }
cube_window() { # the program's mapped 533 x 533 window
  local w cw ch; for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    read -r _ _ cw ch < <(geometry "$w"); [ "$cw" = 533 ] && [ "$ch" = 533 ] && { echo "$w"; return; }
  done; }
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2; }
above() { # is window $1 above window $2 in the window manager's stacking?
  local s; s=$(stacking); local a=-1 b=-1 i=0
  local id; for id in $s; do [ $((id)) -eq $(($1)) ] && a=$i; [ $((id)) -eq $(($2)) ] && b=$i; i=$((i + 1)); done
  [ $a -gt $b ] && [ $b -ge 0 ]; }

if [ "$name" = weston ]; then
  # Weston in a window of this X server (its input reaches weston's clients through it),
  # with Xwayland. The cube runs as a Wayland client, as it chooses to, and on Xwayland.
  # Wayland windows have no X id here: the cube is found by its saturated colours on
  # weston's grey desktop, below weston's panel.
  sock="vexorin-check-$$"
  # Weston takes the pointer only after it has entered weston's window: the window is
  # smaller than the screen, so the pointer can leave it and come in.
  weston --backend=x11-backend.so --use-pixman --xwayland --socket="$sock" --width=1200 --height=960 \
    --idle-time=0 >"$out/weston.log" 2>&1 & wpid=$!
  sleep 4
  xw=$(grep -o "xserver listening on display :[0-9]*" "$out/weston.log" | grep -o ":[0-9]*$" | head -1)
  shot() { import -window root -crop 1200x920+0+40 +repage "$1"; }
  box() { # the bounding box of saturated pixels in a shot: X Y W H (desktop coordinates)
    convert "$1" -colorspace HSL -channel G -separate +channel -threshold 60% -format "%@" info: 2>/dev/null \
      | sed 's/[x+]/ /g' | awk '{print $3, $4 + 40, $1, $2}'; }
  greyDark() { # dark grey pixels in a shot (a shadow, a black square), counted at half size
    convert "$1" -resize 50% -colorspace HSL -fx "(b<0.38 && g<0.25)?1:0" -format "%[fx:round(mean*w*h)]" info:; }
  for platform in wayland xcb; do
    label="weston ($platform)"; [ "$platform" = xcb ] && label="weston (Xwayland)"
    sayw() { echo "$label: $*"; }
    if [ "$platform" = xcb ]; then
      QT_QPA_PLATFORM=xcb DISPLAY="$xw" WAYLAND_DISPLAY="$sock" XDG_CONFIG_HOME="$out/config" "$build/vexorin" >/dev/null 2>&1 & pid=$!
    else
      DISPLAY="$xw" WAYLAND_DISPLAY="$sock" XDG_CONFIG_HOME="$out/config" "$build/vexorin" >/dev/null 2>&1 & pid=$!
    fi
    w=0
    for _ in $(seq 1 40); do sleep 0.5; shot "$out/weston-now.png"; read -r x y w h < <(box "$out/weston-now.png"); [ "${w:-0}" -gt 100 ] && break; done
    [ "${w:-0}" -gt 100 ] || { sayw "FAIL no cube"; kill $pid; continue; }
    sleep 1.5; shot "$out/weston-$platform-1-cube.png"; read -r x y w h < <(box "$out/weston-$platform-1-cube.png")
    if [ "$platform" = wayland ]; then
      ls "$XDG_RUNTIME_DIR" | grep -q "^vexorin-wayland-" && sayw "ok runs as a Wayland client by itself" || sayw "FAIL did not choose Wayland"
    fi
    dark=$(greyDark "$out/weston-$platform-1-cube.png")
    [ "$dark" -lt 500 ] && sayw "ok no shadow or square around the cube ($dark dark grey pixels)" \
      || sayw "known: weston's Xwayland window manager shadows the cube's whole window ($dark dark grey pixels)"
    # A drag from the middle of the cube.
    cx=$((x + w / 2)); cy=$((y + h / 2))
    xdotool mousemove 1270 1015; sleep 0.3
    xdotool mousemove $cx $cy; sleep 0.3; xdotool mousedown 1
    for s in 1 2 3 4 5 6 7 8 9 10; do xdotool mousemove $((cx - 20 * s)) $((cy + 10 * s)); sleep 0.08; done
    sleep 0.3; xdotool mouseup 1; sleep 1
    shot "$out/weston-$platform-2-dragged.png"; read -r x2 y2 w2 h2 < <(box "$out/weston-$platform-2-dragged.png")
    dx=$(((x2 + w2 / 2) - cx)); dy=$(((y2 + h2 / 2) - cy))
    [ $dx -le -120 ] && [ $dy -ge 50 ] && sayw "ok drag moved the cube by about $dx,$dy" || sayw "FAIL drag moved the cube by about $dx,$dy"
    # Escape: the cube stops spinning and goes, the picker comes.
    xdotool key Escape; sleep 2
    shot "$out/weston-$platform-3-escape.png"; sleep 0.5; shot "$out/weston-now.png"
    changed=$(compare -metric AE "$out/weston-$platform-3-escape.png" "$out/weston-now.png" null: 2>&1)
    read -r _ _ pw ph < <(box "$out/weston-now.png")
    [ "${changed%%.*}" = 0 ] && [ "${ph:-0}" -gt 250 ] && sayw "ok Escape closed the cube, the picker shows" \
      || sayw "FAIL after Escape: $changed pixels still change, coloured area ${pw}x${ph}"
    kill $pid 2>/dev/null; wait $pid 2>/dev/null; sleep 1
  done
  kill $wpid 2>/dev/null
  exit
fi

"$build/desktop-backdrop" "$backdrop" & sleep 0.5
$wm >/dev/null 2>&1 & sleep 3

if [[ "$name" == *"monitors at 2x and 1x"* ]]; then
  # DUMMY0 (left) at twice the scale, DUMMY1 (right) at once: the cube keeps its size in
  # window pixels, so it covers twice the device pixels on the left.
  QT_SCREEN_SCALE_FACTORS="DUMMY0=2;DUMMY1=1" XDG_CONFIG_HOME="$out/config" "$build/vexorin" >/dev/null 2>&1 & pid=$!
  size_cube() { # the program's mapped square window of about 533 or 1066 pixels
    local w cw ch; for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      read -r _ _ cw ch < <(geometry "$w"); [ "$cw" = "$ch" ] && [ "$cw" -ge 500 ] && { echo "$w"; return; }
    done; }
  cube=""
  for _ in $(seq 1 80); do cube=$(size_cube); [ -n "$cube" ] && break; sleep 0.25; done
  [ -z "$cube" ] && { say "FAIL no cube window"; import -window root "$out/$tag-nocube.png"; kill $pid; exit; }
  sleep 1.5
  # A drag by the pointer from the middle of the cube to the middle of the other monitor.
  drag_to() {
    local x y w h; read -r x y w h < <(geometry "$cube")
    local fx=$((x + w / 2)) fy=$((y + h / 2)) s
    xdotool mousemove $fx $fy; sleep 0.3; xdotool mousedown 1
    for s in $(seq 1 20); do xdotool mousemove $((fx + ($1 - fx) * s / 20)) $((fy + ($2 - fy) * s / 20)); sleep 0.08; done
    sleep 0.3; xdotool mouseup 1; sleep 1.5; }
  read -r x y w h < <(geometry "$cube")
  [ "$w" = 1066 ] && say "ok on the 2x monitor the cube is 1066 device pixels wide" || say "FAIL on the 2x monitor the cube is $w wide"
  import -window root "$out/$tag-1-on-2x.png"
  drag_to 1920 512; read -r x y w h < <(geometry "$cube")
  [ "$x" -ge 1280 ] && [ "$w" = 533 ] && say "ok dragged to the 1x monitor: 533 device pixels at $x,$y" \
    || say "FAIL dragged to the 1x monitor: $w pixels at $x,$y"
  import -window root "$out/$tag-2-on-1x.png"
  drag_to 640 512; read -r x y w h < <(geometry "$cube")
  [ "$x" -lt 1280 ] && [ "$w" = 1066 ] && say "ok dragged back to the 2x monitor: 1066 device pixels at $x,$y" \
    || say "FAIL dragged back to the 2x monitor: $w pixels at $x,$y"
  import -window root "$out/$tag-3-back-on-2x.png"
  drag_to 1920 512
  # The monitor under the cube switched off: the cube comes onto the one that remains, at
  # that monitor's scale.
  xrandr --output DUMMY1 --off >/dev/null 2>&1; sleep 2
  read -r x y w h < <(geometry "$cube")
  [ "$x" -ge 0 ] && [ "$x" -lt 1280 ] && [ "$y" -ge 0 ] && [ "$y" -lt 1024 ] && [ "$w" = 1066 ] \
    && say "ok monitor under the cube switched off: the cube is back on the other at $x,$y, $w pixels" \
    || say "FAIL monitor under the cube switched off: the cube is at $x,$y, $w pixels"
  import -window root "$out/$tag-4-monitor-off.png"
  kill $pid 2>/dev/null; kill %1 %2 2>/dev/null
  exit
fi
[ -n "$comp" ] && { $comp >/dev/null 2>&1 & compositor=$!; sleep 1.5; }
XDG_CONFIG_HOME="$out/config" "$build/vexorin" >/dev/null 2>&1 & pid=$!
cube=""
for _ in $(seq 1 80); do cube=$(cube_window); [ -n "$cube" ] && break; sleep 0.25; done
[ -z "$cube" ] && { say "FAIL no cube window"; import -window root "$out/$tag-nocube.png"; kill $pid; exit; }
sleep 1.5
read -r x y w h < <(geometry "$cube")
import -window root "$out/$tag-1-cube.png"
xwininfo -id "$cube" | grep -q "Override Redirect State: no" && say "ok managed (not override-redirect)" || say "FAIL override-redirect"
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$cube")" && say "ok in the window manager's client list (task bar)" || say "FAIL not in the client list"
xprop -id "$cube" _NET_WM_ICON | head -c 200 | grep -q "=" && say "ok _NET_WM_ICON set" || say "FAIL no _NET_WM_ICON"
corner=$(pixel $((x + 6)) $((y + 6))); outside=$(pixel $((x + w + 6)) $((y + h + 6)))
if [ "$corner" = "$backdrop" ]; then say "ok see-through corner shows the desktop"
elif [[ "$comp" == xcompmgr* ]]; then say "known: xcompmgr -c shadows the whole window ($corner), it cannot be told otherwise"
else say "FAIL corner shows $corner"; fi
[ "$outside" = "$backdrop" ] && say "ok no shadow beside the window" || say "FAIL shadow beside the window: $outside"

# Focus and drag: a press on the cube, a move, a release.
cx=$((x + w / 2)); cy=$((y + h / 2))
xdotool mousemove $cx $cy; sleep 0.3
xdotool mousedown 1; sleep 0.2
for s in 1 2 3 4 5 6; do xdotool mousemove $((cx + 20 * s)) $((cy + 10 * s)); sleep 0.08; done
sleep 0.2; xdotool mouseup 1; sleep 0.8
read -r x2 y2 _ _ < <(geometry "$cube")
[ $((x2 - x)) -ge 100 ] && [ $((y2 - y)) -ge 45 ] && say "ok drag moved the cube by $((x2 - x)),$((y2 - y))" \
  || say "FAIL drag moved the cube by $((x2 - x)),$((y2 - y))"
[ $(($(xdotool getactivewindow 2>/dev/null || echo 0))) -eq $((cube)) ] && say "ok the cube has the keyboard focus" \
  || say "FAIL focus is on $(xdotool getactivewindow 2>/dev/null)"

# Another window over it, then the cube clicked again: the window manager stacks both.
xmessage -geometry 300x120+$((x2 + 100))+$((y2 + 300)) -name other "another window" & other_pid=$!
sleep 1.2
other=$(xdotool search --onlyvisible --classname "^other$" 2>/dev/null | tail -1)
if [ -n "$other" ]; then
  # Turned to as a user does: a click on it.
  xdotool mousemove $((x2 + 250)) $((y2 + 400)) click 1; sleep 0.8
  above "$other" "$cube" && say "ok another window activated goes above the cube" || say "FAIL the cube stays above the activated window"
  xdotool mousemove $((x2 + w / 2)) $((y2 + h / 2)) click 1; sleep 0.8
  above "$cube" "$other" && say "ok the cube clicked comes above it again" || say "FAIL the clicked cube stays below ($(stacking); cube $cube, other $other)"
  kill $other_pid 2>/dev/null
fi

if [ -n "$comp" ]; then
  # The compositor stops under the running cube: the see-through corner shows black until
  # the cube's shape takes over again.
  read -r x y w h < <(geometry "$cube")
  kill "$compositor"; start=$(date +%s%N); settle=""
  for _ in $(seq 1 60); do
    c=$(pixel $((x + 6)) $((y + 6))); t=$((($(date +%s%N) - start) / 1000000))
    [ "$c" = "$backdrop" ] && { settle=$t; break; }
  done
  [ -n "$settle" ] && say "ok compositor stopped: desktop around the cube again after at most ${settle} ms" || say "FAIL compositor stopped: corner stays $c"
  sleep 1; import -window root "$out/$tag-2-compositor-stopped.png"
  $comp >/dev/null 2>&1 & compositor=$!
  sleep 1.5; import -window root "$out/$tag-3-compositor-started.png"
  c=$(pixel $((x + 6)) $((y + 6))); o=$(pixel $((x + w + 6)) $((y + h + 6)))
  [ "$c" = "$backdrop" ] && [ "$o" = "$backdrop" ] && say "ok compositor started again: no square, no shadow" || say "FAIL compositor started again: corner $c, beside $o"
fi

# xfwm4's own compositor switched off and on in its settings (xfconfd answers on the
# session bus) under the running cube: the desktop shows around the cube again each time,
# with no black square while it is off and no shadow once it is back.
if [[ "$wm" == xfwm4* ]] && command -v xfconf-query >/dev/null; then
  read -r x y w h < <(geometry "$cube")
  switch_compositing() { # $1 true/false, $2 what it is called -> the time until it settles
    xfconf-query -c xfwm4 -p /general/use_compositing -n -t bool -s "$1" 2>/dev/null \
      || xfconf-query -c xfwm4 -p /general/use_compositing -s "$1"
    local start settle="" c o t; start=$(date +%s%N)
    for _ in $(seq 1 80); do
      c=$(pixel $((x + 6)) $((y + 6))); o=$(pixel $((x + w + 6)) $((y + h + 6)))
      t=$((($(date +%s%N) - start) / 1000000))
      [ "$c" = "$backdrop" ] && [ "$o" = "$backdrop" ] && { settle=$t; break; }
    done
    sleep 1; c=$(pixel $((x + 6)) $((y + 6))); o=$(pixel $((x + w + 6)) $((y + h + 6)))
    if [ -n "$settle" ] && [ "$c" = "$backdrop" ] && [ "$o" = "$backdrop" ]; then
      # Without a compositor the cube takes its shape: its bounding region is the cube's.
      local shaped="shaped"; xwininfo -shape -id "$cube" | grep -q "No window shape defined" && shaped="unshaped"
      say "ok compositing switched $2: desktop around the cube after at most ${settle} ms, still a second later ($shaped)"
    else
      say "FAIL compositing switched $2: corner $c, beside $o"
    fi
    import -window root "$out/$tag-compositing-$2.png"; }
  switch_compositing false off
  xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null
  [ -z "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)" ] && say "FAIL the cube vanished"
  switch_compositing true on
fi

# The picker brought back over the running cube (a second start does that), then "Show
# Cube" in it: the running cube comes to the front with the keyboard focus.
XDG_CONFIG_HOME="$out/config" "$build/vexorin" >/dev/null 2>&1; sleep 1.5
picker=$(xdotool search --onlyvisible --name "^Vexorin$" 2>/dev/null | head -1)
if [ -n "$picker" ]; then
  read -r px py _ _ < <(geometry "$picker")
  xdotool mousemove $((px + 324)) $((py + 60)) click 1; sleep 2
  # The picker hides again as it hands over to the cube.
  [ $(($(xdotool getactivewindow 2>/dev/null || echo 0))) -eq $((cube)) ] \
    && say "ok \"Show Cube\" brings the running cube to the front with the focus" \
    || say "FAIL \"Show Cube\" left the cube behind (active $(xdotool getactivewindow 2>/dev/null), cube $cube)"
else
  say "FAIL the picker did not come back over the running cube"
fi

# The resolution lowered under the cube: it comes back fully onto the smaller screen.
xdotool windowmove "$cube" 700 450; sleep 1
xrandr --newmode 800x600 40 800 840 968 1056 600 601 605 628 >/dev/null 2>&1
xrandr --addmode screen 800x600 >/dev/null 2>&1
if xrandr --output screen --mode 800x600 >/dev/null 2>&1; then
  sleep 1.5; read -r x y w h < <(geometry "$cube")
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 800 ] && [ $((y + h)) -le 600 ] \
    && say "ok resolution lowered to 800x600: the cube moved onto it at $x,$y" || say "FAIL resolution lowered: the cube is at $x,$y"
  import -window root "$out/$tag-5-resolution-lowered.png"
  xrandr --output screen --mode 1280x1024 >/dev/null 2>&1; sleep 1
fi

# Escape closes the cube; the picker comes back.
read -r x y w h < <(geometry "$cube")
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1; sleep 0.5
xdotool key Escape; sleep 1.5
[ -z "$(cube_window)" ] && say "ok Escape closed the cube" || say "FAIL the cube is still there after Escape"
import -window root "$out/$tag-4-after-escape.png"
# The picker the same way.
picker=$(xdotool search --onlyvisible --name "^Vexorin$" 2>/dev/null | head -1)
if [ -n "$picker" ] && xrandr --output screen --mode 800x600 >/dev/null 2>&1; then
  xrandr --output screen --mode 1280x1024 >/dev/null 2>&1; sleep 1
  xdotool windowmove "$picker" 900 700; sleep 1
  xrandr --output screen --mode 800x600 >/dev/null 2>&1; sleep 1.5
  read -r x y w h < <(geometry "$picker")
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ "$x" -lt 800 ] && [ "$y" -lt 600 ] \
    && say "ok resolution lowered: the picker moved onto the screen at $x,$y" || say "FAIL resolution lowered: the picker is at $x,$y"
  import -window root "$out/$tag-6-picker-resolution-lowered.png"
fi
kill $pid 2>/dev/null; [ -n "$comp" ] && kill "$compositor" 2>/dev/null
kill %1 %2 2>/dev/null
