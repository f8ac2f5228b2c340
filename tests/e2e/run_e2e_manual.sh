#!/usr/bin/env bash
# End-to-end: the manual's text is sharp above 100 %. On a 3840x2160 screen without a desktop
# scale the device fits at 200 % and the manual (F4) follows it: each page shown is its drawing
# at twice the size, pixel for pixel, not the design page with its pixels doubled. At a desktop
# scale of 150 % the page is the drawing at twice the size scaled down smoothly. Then with faults made for real in the folder of the larger pages (a named pipe
# as page 1, a cut PNG as page 2, a design-size picture as page 3): the manual opens without
# hanging, those pages show enlarged from their design pages, each is named on standard error,
# page 4 is sharp again, and SIGTERM ends the program cleanly. Real keys (xdotool).
#   run_e2e_manual.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
e2e_tag=e2e-manual
source "$(dirname "$0")/lib.sh"
run_dir=$(cd "$run_dir" && pwd)
program=$run_dir/quendrix50
large=$run_dir/Graphics/Manual@2x
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
told() { grep -qF -- "$1" "$out/program.log"; }
# new_screen WIDTHxHEIGHT: the private X server replaced by one of that size.
new_screen() {
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  start_xvfb "$1" "$out" || exit 1
  wait_for 10 xdpyinfo || fail "Xvfb did not start at $1"
}

# shown_page NAME: the page part of the manual window on the screen (the top and bottom 20
# design rows hold its buttons) into NAME-page.png; sets k (window pixels per design pixel).
shown_page() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$manual" || return 1
  shot "$1"
  k=$(awk -v w="$WIDTH" 'BEGIN { print w / 545 }')
  local top bottom
  top=$(awk -v k="$k" 'BEGIN { printf "%d", 20 * k + 0.999 }')
  bottom=$(awk -v k="$k" 'BEGIN { printf "%d", 20 * k + 0.999 }')
  convert "$out/$1.png" -crop "${WIDTH}x$((HEIGHT - top - bottom))+${X}+$((Y + top))" +repage \
    "png24:$out/$1-page.png"
  page_crop="${WIDTH}x$((HEIGHT - top - bottom))+0+${top}"
}
pixels_off() { compare -metric AE "$1" "$2" null: 2>&1 || true; }
# sharp NAME N: the manual shows page N exactly as its drawing at twice the size, and not as
# its design page doubled.
sharp() {
  shown_page "$1" || return 1
  convert "$large/$2.png" -crop "$page_crop" +repage "png24:$out/$1-expected.png"
  convert "$run_dir/Graphics/Manual/$2.bmp" -sample 200% -crop "$page_crop" +repage \
    "png24:$out/$1-doubled.png"
  [ "$(pixels_off "$out/$1-page.png" "$out/$1-expected.png")" = 0 ] &&
    [ "$(pixels_off "$out/$1-page.png" "$out/$1-doubled.png")" -gt 10000 ]
}
# doubled NAME N: the manual shows page N as its design page with every pixel doubled.
doubled() {
  shown_page "$1" || return 1
  convert "$run_dir/Graphics/Manual/$2.bmp" -sample 200% -crop "$page_crop" +repage \
    "png24:$out/$1-expected.png"
  [ "$(pixels_off "$out/$1-page.png" "$out/$1-expected.png")" = 0 ]
}
turn() { xdotool windowfocus --sync "$manual" 2>/dev/null || true; xdotool key Right; }
open_manual() {
  local m
  wait_for 30 main_up || fail "the main window did not come up"
  m=$(main_window)
  xdotool windowfocus --sync "$m" 2>/dev/null || true
  xdotool key F4
  wait_for 20 find_manual || fail "F4 did not open the manual"
}

# --- 1. 200 %: every page shown is its drawing at twice the size -----------------------------
begin_e2e 3840x2160 xdotool import convert compare
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0
launch_program QT_SCALE_FACTOR=1
open_manual
wait_for 30 sharp manual-200-p1 1 || fail "page 1 at 200 % is not its drawing at twice the size"
echo "$e2e_tag: at 200 % page 1 is its drawing at twice the size (k=$k), not its pixels doubled"
turn
wait_for 30 sharp manual-200-p2 2 || fail "page 2 at 200 % is not its drawing at twice the size"
echo "$e2e_tag: page 2 likewise after a turn"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM

# --- 2. a desktop scale of 150 %: the drawing at twice the size, scaled down smoothly -------
new_screen 2560x1440
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0
launch_program QT_SCALE_FACTOR=1.5
open_manual
# Area averaging, as ImageMagick's -scale does it; the design page enlarged the same way is
# much further off.
smooth() {
  local X Y WIDTH HEIGHT SCREEN WINDOW from_large from_design w h
  geometry_of "$manual" || return 1
  shot manual-frac
  convert "$large/1.png" -scale 75% "png24:$out/manual-frac-expected.png"
  convert "$run_dir/Graphics/Manual/1.bmp" -scale 150% "png24:$out/manual-frac-design.png"
  read -r w h <<<"$(identify -format '%w %h' "$out/manual-frac-expected.png")"
  # The page without its button rows (30 pixels at the top and the bottom).
  for f in expected design; do
    convert "$out/manual-frac-$f.png" -crop "${w}x$((h - 60))+0+30" +repage \
      "png24:$out/manual-frac-$f.png"
  done
  convert "$out/manual-frac.png" -crop "${w}x$((h - 60))+${X}+$((Y + 30))" +repage \
    "png24:$out/manual-frac-page.png"
  from_large=$(compare -metric RMSE "$out/manual-frac-page.png" "$out/manual-frac-expected.png" \
    null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
  from_design=$(compare -metric RMSE "$out/manual-frac-page.png" "$out/manual-frac-design.png" \
    null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
  # How sharp the edges are: the spread of the Laplacian. A page scaled from the design page
  # is softer by a tenth; the subpixel phase of the two scalers moves single pixels a little,
  # so the pixels themselves are compared only as nearer or further.
  local sharp_page sharp_large sharp_design
  edges() { convert "$1" -colorspace gray -morphology Convolve Laplacian:0 -format '%[fx:standard_deviation]' info:; }
  sharp_page=$(edges "$out/manual-frac-page.png")
  sharp_large=$(edges "$out/manual-frac-expected.png")
  sharp_design=$(edges "$out/manual-frac-design.png")
  echo "at 150 %: RMSE $from_large to the larger drawing scaled, $from_design to the design page scaled; edges $sharp_page (larger drawing scaled $sharp_large, design page scaled $sharp_design)" >"$out/frac.txt"
  awk -v a="$from_large" -v b="$from_design" -v p="$sharp_page" -v l="$sharp_large" -v d="$sharp_design" \
    'BEGIN { exit !(a < b && p > 0.97 * l && p < 1.03 * l && p > 1.05 * d) }'
}
awk -v k="$(xdotool getwindowgeometry --shell "$manual" | sed -n 's/^WIDTH=//p')" \
  'BEGIN { r = k / 545; exit !(r > 1 && r != int(r)) }' || fail "the manual at a desktop scale of 1.5 is not at a fractional scale"
wait_for 10 smooth || fail "the page at 150 % is not the larger drawing scaled down ($(cat "$out/frac.txt" 2>/dev/null))"
echo "$e2e_tag: $(cat "$out/frac.txt")"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM

# --- 3. larger pages that cannot be used ----------------------------------------------------
new_screen 3840x2160
start_dir=$out/start
mkdir -p "$start_dir/Graphics/Manual@2x"
for f in Skin Skin@2x Skin@4x Backdrop Backdrop@2x Backdrop@4x Manual; do
  ln -s "$run_dir/Graphics/$f" "$start_dir/Graphics/$f"
done
ln -s "$run_dir/Sound" "$start_dir/Sound"
for f in "$large"/*.png; do ln -s "$f" "$start_dir/Graphics/Manual@2x/"; done
rm "$start_dir/Graphics/Manual@2x/"{1,2,3}.png
mkfifo "$start_dir/Graphics/Manual@2x/1.png"
head -c 3000 "$large/2.png" >"$start_dir/Graphics/Manual@2x/2.png"
convert "$run_dir/Graphics/Manual/3.bmp" "png32:$start_dir/Graphics/Manual@2x/3.png"
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0
launch_program QT_SCALE_FACTOR=1
open_manual
wait_for 30 doubled manual-fifo-p1 1 || fail "page 1 (a named pipe at twice the size) is not its design page doubled"
wait_for 5 told "Manual@2x/1.png" || fail "the named pipe was not named on standard error"
echo "$e2e_tag: a named pipe as page 1 at twice the size: no hang, the design page doubled"
turn
wait_for 30 doubled manual-cut-p2 2 || fail "page 2 (a cut PNG) is not its design page doubled"
wait_for 5 told "Manual@2x/2.png" || fail "the cut page was not named on standard error"
turn
wait_for 30 doubled manual-small-p3 3 || fail "page 3 (at its design size) is not its design page doubled"
wait_for 5 told "Manual@2x/3.png" || fail "the page of the wrong size was not named on standard error"
turn
wait_for 30 sharp manual-good-p4 4 || fail "page 4 after the faulty ones is not its drawing at twice the size"
echo "$e2e_tag: a cut page and one of the wrong size show doubled and are named; page 4 is sharp"
grep -F 'Manual@2x' "$out/program.log" | sed "s/^/$e2e_tag: said: /"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "$e2e_tag: passed"
