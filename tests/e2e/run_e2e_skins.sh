#!/usr/bin/env bash
# End-to-end, skins of one's own: the built program in its own Xvfb with a user skin "Wide" (the
# delivered skin, 22 pixels wider) in its XDG data folder. A right click and the keyboard choose
# it in the context menu's Skin submenu; the window takes the skin's size; an edit of the skin's
# Config.ini shows without any further input; the choice is remembered.
#   run_e2e_skins.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
width=1024 height=800
e2e_tag=e2e-skins
source "$(dirname "$0")/lib.sh"
begin_e2e "${width}x${height}"
export XDG_DATA_HOME=$out/data XDG_DATA_DIRS=$out/none
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 FullscreenZoom=100
skin=$XDG_DATA_HOME/quendrix50/skins/Wide
mkdir -p "$skin/Graphics"
cp "$run_dir/Config.ini" "$skin/"
cp -r "$run_dir/Graphics/Skin" "$run_dir/Graphics/Backdrop" "$skin/Graphics/"
sed -i 's/^GameWidth=498/GameWidth=520/' "$skin/Config.ini"
grep -q '^GameWidth=520' "$skin/Config.ini" || fail "could not make the test skin"

xdotool mousemove $((width - 4)) $((height - 4))
launch_program
wait_for 20 main_at 263 15 498 770 || fail "the delivered skin did not come up"
echo "e2e-skins: the delivered skin is in use at start"

# The context menu's last rows are "Skin" and "Open skins folder", above Exit: from the
# bottom, Up reaches Exit, then "Open skins folder", then "Skin", whose submenu Right opens
# at its first row, "Delivered skin"; the next row is the user's "Wide".
xdotool mousemove 300 650 click 3
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -eq 2 ]" ||
  fail "no context menu after a right click"
sleep 0.3
xdotool key Up Up Up Right
wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $prog_pid | wc -l) -eq 3 ]" ||
  fail "the Skin submenu did not open"
sleep 0.3
import -window root "png24:$out/skin-menu.png"
xdotool key Down Return
wait_for 10 main_at 252 15 520 770 || fail "choosing Wide did not reload the skin"
echo "e2e-skins: the Skin submenu switched to the user's skin (520 pixels wide)"
grep -qx 'Skin=Wide' "$store" || fail "the choice is not stored"

# A skin maker saves a change: it shows without any input.
sed -i 's/^GameWidth=520/GameWidth=540/' "$skin/Config.ini"
wait_for 5 main_at 252 15 540 770 || fail "the edit of Config.ini did not show"
echo "e2e-skins: the saved edit showed at once"

xdotool windowfocus --sync "$(main_window)" || true
xdotool key Escape
ended_cleanly Esc
echo "e2e-skins: the program ended with status 0"
