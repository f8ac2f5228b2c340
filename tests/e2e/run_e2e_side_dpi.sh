#!/usr/bin/env bash
# End-to-end: the side windows on a 3840x2160 screen. With a desktop scale of 2
# (QT_SCALE_FACTOR) the splash window, the about window, the key dialog and the manual are twice
# their design size on the screen, the about window's picture is its built-in double-size
# drawing, and the manual's page is its drawing at twice the size, pixel for pixel; the key
# dialog's lists scroll instead of running down the screen. Without a desktop scale the device
# fits at 200 % and the side windows follow it: the splash and about windows and the key dialog
# twice their size, the manual with its pages drawn at twice the size. Real keys and
# clicks (xdotool).
#   run_e2e_side_dpi.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
pictures=$(cd "$(dirname "$0")/../../shell/pictures" && pwd)
rm -rf "$out" && mkdir -p "$out"
for tool in Xvfb xdotool import compare convert; do
  command -v $tool >/dev/null || { echo "side-dpi: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
source "$(dirname "$0")/xvfb.sh"
fail() { echo "side-dpi: $*"; [ -f "$out/program.log" ] && tail -5 "$out/program.log"; exit 1; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

window_of() { xdotool search --onlyvisible --name "$1" | head -1; }
size_of() { # size_of WINDOW: "WIDTH HEIGHT X Y" on the screen
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$WIDTH $HEIGHT $X $Y"
}
expect_size() { # expect_size TITLE WIDTH HEIGHT: waits for the window at that size
  local w= width= height= x y
  found() { w=$(window_of "$1"); [ -n "$w" ]; }
  wait_for 20 found "$1" || fail "the window '$1' did not come up"
  sized() { read -r width height x y <<<"$(size_of "$w")"; [ "$width" = "$2" ] && [ "$height" = "$3" ]; }
  wait_for 5 sized "$@" || fail "'$1' is ${width}x${height}, not ${2}x${3}"
  echo "side-dpi: '$1' is ${width}x${height} on the screen"
  window=$w
}
gone() { ! xdotool search --onlyvisible --name "$1" | grep -q .; }

start_program() { # start_program QT_SCALE_FACTOR STORE_LINES...
  local factor=$1; shift
  export XDG_CONFIG_HOME=$out/config
  rm -rf "$XDG_CONFIG_HOME" && mkdir -p "$XDG_CONFIG_HOME/Vantorel"
  printf '%s\n' SoundMode=2 FullscreenMode=0 "$@" >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
  (cd "$run_dir" && QT_SCALE_FACTOR=$factor exec ./quendrix50) >"$out/program.log" 2>&1 &
  prog_pid=$!
}
stop_program() {
  kill -TERM "$prog_pid" 2>/dev/null || true
  wait "$prog_pid" 2>/dev/null || true
  prog_pid=
}
# manual_page NAME SCALE: the manual's page on the screen equals page 1 drawn at twice the size,
# its pixels repeated SCALE/2 times (the page's top 20 design rows hold the window's buttons).
manual_page() {
  local width height x y k=$2
  read -r width height x y <<<"$(size_of "$window")"
  shot "$1"
  convert "$out/$1.png" -crop "$((545 * k))x$((325 * k))+${x}+$((y + 20 * k))" +repage \
    "png24:$out/$1-page.png"
  convert "$run_dir/Graphics/Manual@2x/1.png" -crop 1090x650+0+40 +repage \
    -sample "$((k * 50))%" "png24:$out/$1-expected.png"
  [ "$(compare -metric AE "$out/$1-page.png" "$out/$1-expected.png" null: 2>&1 || true)" = 0 ]
}

start_xvfb 3840x2160 "$out" || exit 1
wait_for 10 xdpyinfo || fail "Xvfb did not start"

# A desktop scale of 2: every side window is twice its design size.
start_program 2 SplashScreen=1
expect_size '^About this game\.\.\.$' 920 840
shot splash-f2
xdotool windowfocus --sync "$window" || true
xdotool key 1
expect_size '^Quendrix50$' 996 1540 # the device fits at one window pixel per design pixel
main=$window
xdotool windowfocus --sync "$main" || true
xdotool key F1
expect_size '^About the author\.\.\.$' 794 352
shot about-f2
# Its picture is the built-in double-size drawing, pixel for pixel (at 8,8 window pixels).
read -r width height x y <<<"$(size_of "$window")"
convert "$out/about-f2.png" -crop "232x320+$((x + 16))+$((y + 16))" +repage "png24:$out/about-picture.png"
convert "$pictures/about_picture@2x.png" -background '#082952' -flatten "png24:$out/about-expected.png"
[ "$(compare -metric AE "$out/about-picture.png" "$out/about-expected.png" null: 2>&1 || true)" = 0 ] ||
  fail "the about window's picture at a desktop scale of 2 is not its double-size drawing"
echo "side-dpi: the about window shows the double-size drawing of its picture"
xdotool windowfocus --sync "$window" || true
xdotool key Escape
wait_for 5 gone '^About the author\.\.\.$' || fail "Esc did not close the about window"
xdotool windowfocus --sync "$main" || true
xdotool key F4
expect_size '^Manual$' 1090 730
wait_for 5 manual_page manual-f2 2 || fail "the manual's page at a desktop scale of 2 is not its drawing at twice the size"
echo "side-dpi: the manual's page is its drawing at twice the size"
xdotool windowfocus --sync "$window" || true
xdotool key Escape
wait_for 5 gone '^Manual$' || fail "Esc did not close the manual"
# The key dialog has no shortcut: the context menu's sixth row.
read -r width height x y <<<"$(size_of "$main")"
xdotool mousemove $((x + width / 2)) $((y + 40)) click 3
sleep 0.5
xdotool key Down Down Down Down Down Down Return
expect_size '^Key settings$' 896 390
shot keys-f2

# The key dialog's lists: a scrolling list of a dozen keys, not all 44 down the screen.
read -r width height x y <<<"$(size_of "$window")"
xdotool mousemove $((x + 90 * 2)) $((y + 40 * 2)) click 1
sleep 1
list_rect=
find_list() { # a program window that is none of the named ones: the list's popup
  local w g X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in
    "Quendrix50" | "Key settings" | "Quendrix50 mark" | "Quendrix50 notice") continue ;;
    esac
    g=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null) || continue
    eval "$g"
    [ "${HEIGHT:-0}" -gt 40 ] || continue
    list_rect="$WIDTH $HEIGHT $X $Y"
    return 0
  done
  return 1
}
wait_for 5 find_list || fail "a click on the first key list opened no list"
shot keys-list-f2
read -r lw lh lx ly <<<"$list_rect"
[ "$lh" -lt 1000 ] || fail "the key list is ${lw}x${lh}: all 44 keys down the screen"
echo "side-dpi: the key list opens as a scrolling list (${lw}x${lh})"
xdotool key Escape
stop_program

# No desktop scale: the device fits at 200 %, and the side windows follow it: the splash and
# the about window at twice their design size, the manual from its pages at twice the size.
start_program 1 SplashScreen=1
expect_size '^About this game\.\.\.$' 920 840
shot splash-f1
xdotool windowfocus --sync "$window" || true
xdotool key 1
expect_size '^Quendrix50$' 996 1540
main=$window
xdotool windowfocus --sync "$main" || true
xdotool key F1
expect_size '^About the author\.\.\.$' 794 352
shot about-f1
read -r width height x y <<<"$(size_of "$window")"
convert "$out/about-f1.png" -crop "232x320+$((x + 16))+$((y + 16))" +repage "png24:$out/about-picture-f1.png"
[ "$(compare -metric AE "$out/about-picture-f1.png" "$out/about-expected.png" null: 2>&1 || true)" = 0 ] ||
  fail "the about window's picture at 200 % is not its double-size drawing"
echo "side-dpi: at 200 % the splash and about windows are twice their size, with the double-size picture"
xdotool windowfocus --sync "$window" || true
xdotool key Escape
wait_for 5 gone '^About the author\.\.\.$' || fail "Esc did not close the about window"
xdotool windowfocus --sync "$main" || true
xdotool key F4
expect_size '^Manual$' 1090 730
wait_for 5 manual_page manual-f1 2 || fail "the manual's page at 200 % is not its drawing at twice the size"
echo "side-dpi: at 200 % the manual follows the device with its pages drawn at twice the size"
xdotool windowfocus --sync "$window" || true
xdotool key Escape
wait_for 5 gone '^Manual$' || fail "Esc did not close the manual"
read -r width height x y <<<"$(size_of "$main")"
xdotool mousemove $((x + width / 2)) $((y + 40)) click 3
sleep 0.5
xdotool key Down Down Down Down Down Down Return
expect_size '^Key settings$' 896 390
shot keys-f1
echo "side-dpi: at 200 % the key dialog is twice its size too"
stop_program
[ -n "${Q50_E2E_DOCS:-}" ] && for n in splash-f2 about-f2 keys-f2; do cp "$out/$n.png" "$Q50_E2E_DOCS/e2e-dpi-$n.png"; done
echo "side-dpi: passed"
