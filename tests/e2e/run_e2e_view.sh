#!/usr/bin/env bash
# End-to-end, the view "LCD only": the built program in its own Xvfb, windowed at fit. Real keys
# open the device and show the clock; a real right click and real keys choose "LCD only" in the
# Zoom submenu. The window must then be the LCD alone at the fit its size gives (2 on 1024x800:
# 720x392, its width the limiting side), showing what the trace tool's LCD snapshot at that zoom
# shows, and the store must hold View=1. A real Game A key then starts a game on it (its GAME A
# mark lit as the trace tool paints it), the context menu still opens on it, and choosing the
# row again brings the whole device back.
#   run_e2e_view.sh RUN_DIR TRACE_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 trace=$2 out=$3
e2e_tag=e2e-view
source "$(dirname "$0")/lib.sh"
begin_e2e 1024x800 Xvfb xdotool import compare convert
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0

# What the LCD shows, as the trace tool paints it in the same view and zoom: the clock, and the
# start of Game A.
snapshot() { # snapshot NAME STEPS...
  local name=$1; shift
  printf '%s\n' "$@" "at 600 snapshot $out/$name.png" |
    "$trace" --skin "$run_dir" --view lcd --zoom 2 >/dev/null || fail "the trace tool failed"
}
snapshot clock "at 0 press open" "at 0 press time" "at 10 release time"
snapshot game "at 0 press open" "at 0 press game_a" "at 10 release game_a"

# Parts of the LCD (design pixels of the delivered skin, less the LCD's corner at 68,104): the
# game's part below the panel's digits (which show the time of day), and the GAME A mark.
game_part="63 53 286 136"
mark_a="10 179 38 9"
part_like() { # part_like SHOT SNAPSHOT "X Y W H": that part of the window is the snapshot's
  local X Y WIDTH HEIGHT SCREEN WINDOW px py pw ph
  geometry_of "$(main_window)" || return 1
  read -r px py pw ph <<<"$3"
  shot "$1"
  convert "$out/$1.png" -crop "$((2 * pw))x$((2 * ph))+$((X + 2 * px))+$((Y + 2 * py))" +repage \
    "$out/$1-part.png"
  convert "$out/$2.png" -background black -flatten -crop "$((2 * pw))x$((2 * ph))+$((2 * px))+$((2 * py))" \
    +repage "$out/$2-part.png"
  [ "$(compare -metric AE -fuzz 2% "$out/$1-part.png" "$out/$2-part.png" null: 2>&1 || true)" = 0 ]
}
size_is() { # size_is W H: the main window's size, wholly on the screen
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$(main_window)" || return 1
  [ "$WIDTH,$HEIGHT" = "$1,$2" ] && [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] &&
    [ $((X + WIDTH)) -le 1024 ] && [ $((Y + HEIGHT)) -le 800 ]
}
key_to_main() { xdotool windowfocus --sync "$(main_window)" || true; xdotool key "$@"; }
# The context menu opened by a real right click in the middle of the window; its extra rows
# counted from its bottom: Exit, Open skins folder, Skin, Saved state, Play a recording…, Record
# this run, Sound, Pause when the window loses focus, Pause, LCD, Save screenshot, Zoom.
lcd_only_row() {
  local X Y WIDTH HEIGHT SCREEN WINDOW i
  geometry_of "$(main_window)" || fail "the main window's place cannot be read"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
  wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -ge 2 ]" ||
    fail "no context menu after a right click"
  sleep 0.3
  for ((i = 0; i < 12; i++)); do xdotool key Up; done
  xdotool key Right
  sleep 0.5
  # Fit, 100 %, 200 %, 300 %, 400 %, Fullscreen: fit, Fullscreen: 100 %, LCD only.
  for ((i = 0; i < 7; i++)); do xdotool key Down; done
  xdotool key Return
  wait_for 5 popup_closed || fail "the context menu did not close"
}

xdotool mousemove 1020 796
launch_program
wait_for 20 main_up || fail "the main window did not come up"
# The whole device at fit: 0.9 * 800 / 770 of its 498x770 (465.7, a window pixel more).
wait_for 10 size_is 466 720 || fail "the device did not come up at fit"
sleep 0.5
key_to_main 5
sleep 0.3
key_to_main 3
echo "$e2e_tag: the device is up at fit, opened, showing the clock"

lcd_only_row
wait_for 10 size_is 720 392 || fail "LCD only did not make the window the LCD at 2x (720x392)"
wait_for 5 grep -qx "View=1" "$store" || { cat "$store"; fail "View=1 was not stored"; }
wait_for 10 part_like lcd-clock clock "$game_part" || fail "the window does not show the LCD as the trace tool paints it"
echo "$e2e_tag: LCD only: the window is the LCD alone, 720x392, as the trace tool paints it; View=1 stored"

key_to_main 1
wait_for 10 part_like lcd-game game "$mark_a" || fail "the Game A key did not light GAME A on the LCD"
shot lcd-game-started
echo "$e2e_tag: a real Game A key started a game shown on the LCD alone"

lcd_only_row
wait_for 10 size_is 466 720 || fail "choosing LCD only again did not bring the whole device back"
wait_for 5 grep -qx "View=0" "$store" || { cat "$store"; fail "View=0 was not stored"; }
echo "$e2e_tag: the row again brought the whole device back; View=0 stored"
