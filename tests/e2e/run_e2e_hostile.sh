#!/usr/bin/env bash
# End-to-end, hostile files: the built program in its own 4200x4200 Xvfb, under a ceiling on
# its resident memory (the sanitizer's; a plain build gets `ulimit -v`).
#  1. Fullscreen with a skin whose logo is a 4 KB PNG declaring 8192x4096 and whose last segment
#     is a progressive JPEG of 500 scans, started where the manual's first page is a 1 KB bitmap
#     declaring 3000x3000: the JPEG's error box comes and goes with Return, the device comes up
#     at five times its size (the logo alone would be 3.4 GB brought to that scale whole), and
#     F4 shows the manual at that scale too (0.9 GB for its first page whole, several times over).
#  2. Windowed at 400 % with a skin whose body picture is a PNG declaring 8192x4096 that no
#     larger drawing matches (2 GB repeated whole).
#  3. A stuck copy holds the store's lock: the window comes up within a bounded time, standard
#     error says once that nothing is saved, SIGTERM while the start waits for the lock ends the
#     program at once, and the store is left as it was.
#   run_e2e_hostile.sh RUN_DIR BOMBS OUT_DIR
set -euo pipefail
run_dir=$1 bombs=$2 out=$3
width=4200 height=4200
ceiling_mb=${Q50_CEILING_MB:-1500}
e2e_tag=e2e-hostile
source "$(dirname "$0")/lib.sh"
begin_e2e "${width}x${height}" xdotool import flock
run_dir=$(cd "$run_dir" && pwd)
program=$run_dir/quendrix50
limit=()
# GCC links the sanitizer's runtime as a library, clang into the program: either names it.
if grep -qa __asan_init "$program"; then
  export ASAN_OPTIONS=detect_leaks=0:hard_rss_limit_mb=$ceiling_mb
else
  limit=(ulimit -v $((ceiling_mb * 1024 * 2))) # address space: twice the room
fi

# The program with ARGS in $start_dir (launch_program takes only variables).
launch_with() {
  (cd "$start_dir" && ${limit[@]+"${limit[@]}"} && exec "$program" "$@") >"$out/program.log" 2>&1 &
  prog_pid=$!
}

# A folder of links to what `from` holds, in which `name` may then be replaced.
linked_copy() {
  local from=$1 to=$2 f
  mkdir -p "$to"
  for f in "$from"/*; do ln -s "$f" "$to/"; done
}

# --- 1. fullscreen: logo, JPEG and manual page bombs -----------------------------------------
start_dir=$out/start
mkdir -p "$start_dir/Graphics"
for f in Skin Skin@2x Skin@4x Backdrop Backdrop@2x Backdrop@4x; do
  ln -s "$run_dir/Graphics/$f" "$start_dir/Graphics/$f"
done
ln -s "$run_dir/Sound" "$start_dir/Sound"
linked_copy "$run_dir/Graphics/Manual" "$start_dir/Graphics/Manual"
rm "$start_dir/Graphics/Manual/1.bmp"
"$bombs" rle 3000 3000 "$start_dir/Graphics/Manual/1.bmp"

skin=$out/bomb-skin
mkdir -p "$skin/Graphics"
cp "$run_dir/Config.ini" "$skin/"
linked_copy "$run_dir/Graphics/Skin" "$skin/Graphics/Skin"
linked_copy "$run_dir/Graphics/Backdrop" "$skin/Graphics/Backdrop"
for f in Skin@2x Skin@4x Backdrop@2x Backdrop@4x; do
  ln -s "$run_dir/Graphics/$f" "$skin/Graphics/$f"
done
rm "$skin/Graphics/Backdrop/Logo.png"
"$bombs" png 8192 4096 "$skin/Graphics/Backdrop/Logo.png"
"$bombs" jpeg 4096 4096 500 "$skin/Graphics/Skin/scans.jpg"
sed -i '/^\[Image129\]/,/^\[/ s/^Filename=.*/Filename=scans.jpg/' "$skin/Config.ini"
grep -q '^Filename=scans.jpg' "$skin/Config.ini" || fail "could not make the bomb skin"
[ "$(stat -c %s "$skin/Graphics/Backdrop/Logo.png")" -lt 8192 ] || fail "the logo bomb is large"

fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=1
xdotool mousemove 10 10
launch_with --skin "$skin"
# The skin's error box comes before the main window.
box=
box_up() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null); do
    geometry_of "$w" && [ "$WIDTH" -lt 2000 ] && { box=$w; return 0; }
  done
  return 1
}
wait_for 60 box_up || fail "no error box for the JPEG of endless scans"
grep -q "scans.jpg\" is not a valid JPEG picture (more than 100 scans)" "$out/program.log" ||
  fail "the error does not name the JPEG and its reason"
# Return closes the box (again if the first key came before the box could take it).
box_closed() {
  main_at 0 0 $width $height && return 0
  box_up && xdotool key --window "$box" Return 2>/dev/null
  return 1
}
wait_for 60 box_closed || fail "the fullscreen device did not come up after the box"
kill -0 "$prog_pid" || fail "the program died"
sleep 1
shot fullscreen
# The logo (all black) covers the top right; the device stands in the middle.
mean_of() { convert "$out/fullscreen.png" -crop "$1" +repage -format '%[fx:mean]' info:; }
corner=$(mean_of 40x40+4150+5)
middle=$(mean_of 400x400+1900+1900)
awk "BEGIN { exit !($corner == 0) }" || fail "no black logo at the top right (mean $corner)"
awk "BEGIN { exit !($middle > 0.05) }" || fail "no device in the middle (mean $middle)"
echo "e2e-hostile: fullscreen with the logo and JPEG bombs is up"

xdotool windowfocus --sync "$(main_window)" 2>/dev/null || true
xdotool key F4
wait_for 30 find_manual || fail "F4 did not show the manual"
kill -0 "$prog_pid" || fail "the program died showing the manual"
manual_big() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$manual" && [ "$WIDTH" -eq $((545 * 5)) ]
}
wait_for 10 manual_big || fail "the manual is not at the device's scale"
echo "e2e-hostile: the manual shows its bomb page at five times its size"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM

# --- 2. windowed at 400 % with a picture bomb ------------------------------------------------
skin=$out/zoom-skin
mkdir -p "$skin/Graphics"
cp "$run_dir/Config.ini" "$skin/"
linked_copy "$run_dir/Graphics/Skin" "$skin/Graphics/Skin"
start_dir=$run_dir
rm "$skin/Graphics/Skin/im_background_bottom.png"
"$bombs" png 8192 4096 "$skin/Graphics/Skin/im_background_bottom.png"
for f in Skin@2x Skin@4x Backdrop Backdrop@2x Backdrop@4x; do
  ln -s "$run_dir/Graphics/$f" "$skin/Graphics/$f"
done
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=400
launch_with --skin "$skin"
wait_for 60 main_up || fail "the window did not come up at 400 %"
m=$(main_window)
wait_for 10 geometry_is "$m" $(((width - 1992) / 2)) $(((height - 3080) / 2)) 1992 3080 ||
  fail "not at 400 %"
# The skin's drawings at 4x are read once the first frame is shown; then the frame is painted
# from them, the body from the bomb brought to the scale where it shows.
sleep 2
kill -0 "$prog_pid" || fail "the program died at 400 %"
echo "e2e-hostile: windowed at 400 % with the body bomb is up"
kill -TERM "$prog_pid"
wait_for 30 bash -c "! kill -0 $prog_pid" || fail "SIGTERM did not end the program at 400 %"
rc=0
wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc at 400 %"

# --- 3. the store's lock held by a stuck copy -------------------------------------------------
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100
cp "$store" "$out/store-before"
lock=$store.lock
: >"$lock"
# The holder is the process that holds the lock (sleep, after exec), so that killing it frees
# the lock and leaves nothing behind.
(
  exec 9>"$lock"
  flock -x 9
  exec sleep 300
) >/dev/null 2>&1 &
holder=$!
wait_for 5 bash -c "! flock -n -x '$lock' true" || fail "the lock was not taken"
# A start makes a dozen writes; each waited 2 s for the lock (19 s before the window).
started=$SECONDS
launch_with
wait_for 60 main_up || fail "the window did not come up with the lock held"
took=$((SECONDS - started))
[ "$took" -lt 15 ] || fail "the window took $took s to come up with the lock held"
told=$(grep -c "settings not saved: $lock is held by another process" "$out/program.log" || true)
[ "$told" -eq 1 ] || fail "the held lock was told $told times"
echo "e2e-hostile: with the lock held the window came up in $took s, told once"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM

# SIGTERM while the start waits for the lock: the wait ends at once, the writes after it do not
# wait (16 s before).
waiting_for_lock() { ls -l "/proc/$prog_pid/fd" 2>/dev/null | grep -q "$lock\$"; }
launch_with
wait_for 30 waiting_for_lock || fail "the start never opened the lock"
started=$SECONDS
kill -TERM "$prog_pid"
wait_for 10 bash -c "! kill -0 $prog_pid" ||
  fail "SIGTERM during the wait for the lock did not end the program within 10 s"
rc=0
wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || fail "the program ended with status $rc after SIGTERM in the lock's wait"
echo "e2e-hostile: SIGTERM in the wait for the lock ended the program in $((SECONDS - started)) s"
kill "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
cmp -s "$store" "$out/store-before" || fail "the store changed while its lock was held"
echo "e2e-hostile: the store is as it was"
