#!/usr/bin/env bash
# End-to-end, the LCD look: the built program in its own Xvfb, windowed, with a sound output
# already chosen. It opens the device and shows the clock with real keys, chooses "Shadow 25 %"
# and "Response 80 ms" in the context menu's LCD submenu with a real right click and real keys,
# and compares the display with the trace tool's snapshots of the same moment; the store must
# hold both choices. A second start, at a zoom of 200 % (painted from the skin's larger
# drawings), must show the stored shadow from the first frame: "Shadow off" must change the
# display, and "Shadow 25 %" must bring back exactly the first frame.
#   run_e2e_lcd.sh RUN_DIR TRACE_TOOL OUT_DIR
set -euo pipefail
run_dir=$1 trace=$2 out=$3
width=2200 height=1800
source "$(dirname "$0")/lib.sh"
begin_e2e "${width}x${height}" Xvfb xdotool import compare convert
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100

# The clock with every game figure dark, as the trace tool paints it with each shadow.
for s in 0 25; do
  "$trace" --skin "$run_dir" --lcd-shadow $s >/dev/null <<S || fail "the trace tool failed"
at 0 press open
at 0 press time
at 10 release time
at 20 snapshot $out/clock-$s.png
S
done

# The game's part of the display, below the panel's digits (which show the time of day), is
# what is compared, at the window's place and the zoom (k times the design size).
k=1
display_like() { # display_like SHOT SHADOW: that part of the screen is the trace's
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$(main_window)" || return 1
  shot "$1"
  convert "$out/$1.png" -crop "$((286 * k))x$((136 * k))+$((X + 131 * k))+$((Y + 157 * k))" \
    +repage "$out/a.png"
  convert "$out/clock-$2.png" -background black -flatten -crop "286x136+131+157" +repage \
    -scale "$((100 * k))%" "$out/b.png"
  [ "$(compare -metric AE -fuzz 2% "$out/a.png" "$out/b.png" null: 2>&1 || true)" = 0 ]
}
start_program() {
  xdotool mousemove $((width - 4)) $((height - 4))
  launch_program
  wait_for 20 main_up || fail "the main window did not come up"
  sleep 0.5
  xdotool windowfocus --sync "$(main_window)" || true
  # The open key shows every segment; the time key then shows the clock.
  xdotool key 5
  sleep 0.3
  xdotool key 3
}
popup_open() { [ "$(program_windows)" -ge 2 ]; }
# Right click on the device, the thirteenth row and RIGHT open the LCD submenu at its first row;
# DOWN steps further.
choose_lcd_row() {
  local X Y WIDTH HEIGHT SCREEN WINDOW i
  wait_for 5 geometry_of "$(main_window)" || fail "the main window's place cannot be read"
  xdotool mousemove $((X + 37 * k)) $((Y + 635 * k)) click 3
  wait_for 5 popup_open || fail "no context menu after a right click"
  sleep 0.3
  for ((i = 0; i < 13; i++)); do xdotool key Down; done
  xdotool key Right
  sleep 0.3
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  wait_for 5 popup_closed || fail "the context menu did not close"
}
stored() { grep -qx "$1" "$store"; }

start_program
wait_for 10 display_like clock-plain 0 || fail "the clock does not show as painted without a shadow"
echo "e2e: the clock shows as painted, no shadow"

choose_lcd_row 4 # Shadow off, 5, 10, 15, 25
wait_for 5 display_like clock-shadow 25 || fail "the display does not show the 25 % shadow"
wait_for 5 stored LcdShadow=25 || fail "LcdShadow is not stored"
echo "e2e: LCD > Shadow 25 % repainted the display at once and stored LcdShadow=25"

choose_lcd_row 8 # past the shadows' six rows and Response off and 40 ms
wait_for 5 stored LcdFade=80 || fail "LcdFade is not stored"
wait_for 5 display_like clock-shadow-fade 25 || fail "the display changed with the fade"
echo "e2e: LCD > Response 80 ms stored LcdFade=80"

xdotool windowfocus --sync "$(main_window)" || true
xdotool key Escape
ended_cleanly Esc

sed -i 's/^Zoom=100$/Zoom=200/' "$store"
k=2
area_now() { # area_now SHOT: the game's part of the display, as it is on the screen now
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$(main_window)" || return 1
  shot "$1"
  convert "$out/$1.png" -crop "$((286 * k))x$((136 * k))+$((X + 131 * k))+$((Y + 157 * k))" \
    +repage "$out/$1-area.png"
}
differing() { compare -metric AE -fuzz 2% "$out/$1-area.png" "$out/$2-area.png" null: 2>&1 || true; }
start_program
sleep 1
area_now zoom-shadow
choose_lcd_row 0 # Shadow off
shadow_gone() { area_now zoom-plain; [ "$(differing zoom-shadow zoom-plain)" -gt 5000 ]; }
wait_for 5 shadow_gone || fail "at 200 % the stored shadow was not shown (Shadow off changed nothing)"
choose_lcd_row 4 # Shadow 25 %
shadow_back() { area_now zoom-shadow-again; [ "$(differing zoom-shadow zoom-shadow-again)" = 0 ]; }
wait_for 5 shadow_back || fail "at 200 % Shadow 25 % did not bring the first frame back"
echo "e2e: a second start, at 200 %, shows the stored shadow; off and on again through the menu"
xdotool windowfocus --sync "$(main_window)" || true
xdotool key Escape
program_ended Esc
prog_pid=
stored LcdShadow=25 && stored LcdFade=80 || fail "the store lost a choice"
echo "e2e: the store keeps LcdShadow=25 and LcdFade=80"
