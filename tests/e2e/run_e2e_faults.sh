#!/usr/bin/env bash
# End-to-end, faults made for real against the built program in its own Xvfb:
#  1. Sound/Bombfall.wav is a named pipe: the start does not hang on it, its box comes with the
#     file and the reason on standard error, and SIGTERM while the box is up ends the program.
#     A PNG named Bombfall.wav is refused with the decoder's reason; a damaged Move.wav is named
#     on standard error and in a notice, and the game comes up without it.
#  2. The home folder on a small full tmpfs: F9 says the screenshot was not saved and leaves no
#     file; "Record this run" says so and leaves no file.
#  3. The store on a small full tmpfs, then read-only: a new high score of Game A and a changed
#     setting (Mute, F6) are told once on standard error and in a notice, the store stays as it
#     was, and the values reach the file once the disk has room, or is writable again, without
#     any further input.
#  4. The folder of the skin in use moved away, brought back and given a Config.ini that shows
#     nothing, then its Config.ini moved away: each is told in a box, the last skin stays on the
#     screen, and the watch goes on after the folder came back.
# Mounting needs root: without it the test is skipped (status 77), never passed.
#   run_e2e_faults.sh RUN_DIR FRAMES OUT_DIR
set -euo pipefail
run_dir=$1 frames=$2 out=$3
width=1024 height=800
size=${width}x${height}
e2e_tag=e2e-faults
source "$(dirname "$0")/lib.sh"
run_dir=$(cd "$run_dir" && pwd)
program=$run_dir/quendrix50
# The program's own leak report is not what this test looks at; its exit status is.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

mounted=()
unmount_all() {
  local m
  for m in ${mounted[@]+"${mounted[@]}"}; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
}
trap 'unmount_all; cleanup' EXIT
# small_tmpfs DIR: a tmpfs of 64 KB at DIR, or the skip when this machine cannot mount one.
small_tmpfs() {
  mkdir -p "$1"
  if ! mount -t tmpfs -o size=64k tmpfs "$1" 2>"$out/mount.log"; then
    echo "$e2e_tag: SKIPPED: cannot mount a tmpfs here ($(cat "$out/mount.log")); run as root"
    exit 77
  fi
  mounted+=("$1")
}
# fill DIR: DIR's file system has no byte left.
fill() { dd if=/dev/zero of="$1/filler" bs=1k >/dev/null 2>&1 || true; }

# A run killed before its clean-up leaves its mounts, which the fresh output folder would trip on.
umount "$out/cfg" "$out/home" 2>/dev/null || true
begin_e2e "${width}x${height}" xdotool import convert
# Tried before anything else, so that a machine without mounts skips at once.
small_tmpfs "$out/cfg"

# The program with ARGS in $start_dir, with this script's environment.
launch_with() {
  (cd "$start_dir" && exec "$program" "$@") >"$out/program.log" 2>&1 &
  prog_pid=$!
}
windows_at_least() { [ "$(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null | wc -l)" -ge "$1" ]; }
told() { grep -qF -- "$1" "$out/program.log"; }

# --- 1. sample files that are not what their names say ---------------------------------------
fresh_store SoundMode=0 SplashScreen=0 FullscreenMode=0 Zoom=100
start_dir=$out/sound-start
mkdir -p "$start_dir/Sound"
# The skin's folders are found from the folder the program runs in, as the sounds are.
ln -s "$run_dir/Graphics" "$start_dir/Graphics"
cp "$run_dir"/Sound/*.wav "$start_dir/Sound/"
rm "$start_dir/Sound/Bombfall.wav"
mkfifo "$start_dir/Sound/Bombfall.wav"
launch_with
wait_for 30 windows_at_least 1 || fail "no box for a named pipe as Bombfall.wav (the start hangs on it)"
wait_for 5 told "Sound folder unproperly installed. Please reinstall the game. Sound/Bombfall.wav is not a regular file." ||
  fail "standard error does not name Bombfall.wav and its reason"
shot fifo-box
kill -TERM "$prog_pid"
ended_cleanly "SIGTERM with the sound folder's box up"
echo "$e2e_tag: a named pipe as Bombfall.wav is refused by name; SIGTERM ended the program"

rm "$start_dir/Sound/Bombfall.wav"
cp "$run_dir/Graphics/Skin/btn_open.png" "$start_dir/Sound/Bombfall.wav"
fresh_store SoundMode=0 SplashScreen=0 FullscreenMode=0 Zoom=100
launch_with
wait_for 30 windows_at_least 1 || fail "no box for a PNG as Bombfall.wav"
wait_for 5 told "Please reinstall the game. Sound/Bombfall.wav cannot be decoded: " ||
  fail "standard error does not give the decoder's reason for Bombfall.wav"
# Before the main window is up, the box is the program's only window (and has its title).
box=$(xdotool search --onlyvisible --pid "$prog_pid" | head -1)
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
program_ended "closing the sound folder's box"
rc=0
wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 1 ] || fail "the program ended with status $rc, not 1, after the sound folder's box"
echo "$e2e_tag: a PNG as Bombfall.wav: $(grep -o 'cannot be decoded: .*' "$out/program.log" | head -1)"

cp "$run_dir/Sound/Bombfall.wav" "$start_dir/Sound/Bombfall.wav"
head -c 30 "$run_dir/Sound/Move.wav" >"$start_dir/Sound/Move.wav"
fresh_store SoundMode=0 SplashScreen=0 FullscreenMode=0 Zoom=100
launch_with
wait_for 30 main_up || fail "the game did not come up with a damaged Move.wav"
wait_for 5 told "the sample Sound/Move.wav cannot be decoded: " ||
  fail "standard error does not name the damaged Move.wav"
wait_for 5 windows_at_least 2 || fail "no notice names the sample that is not heard"
shot sample-notice
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "$e2e_tag: a damaged Move.wav is named on standard error and in a notice; the game came up"

# --- 2 and 3. a full home folder and a full store ---------------------------------------------
export XDG_CONFIG_HOME=$out/cfg
store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
mkdir -p "$(dirname "$store")"
printf '%s\n' SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100 >"$store"
: >"$store.lock"
fill "$out/cfg"
cp "$store" "$out/store-before"
home=$out/home
small_tmpfs "$home"
export HOME=$home XDG_DATA_HOME=$home/data
recordings=$XDG_DATA_HOME/quendrix50/recordings
mkdir -p "$recordings"
fill "$home"
start_dir=$run_dir
xdotool mousemove $((width - 4)) $((height - 4))
launch_with
wait_for 30 main_at 263 15 498 770 || fail "the windowed device did not come up"
main=$(main_window)
key_to_main() { xdotool windowfocus --sync "$main" 2>/dev/null || true; xdotool key "$@"; }
left_behind() { find "$home" -mindepth 1 ! -name filler ! -path "$home/data*" | head -5; }

key_to_main F9
wait_for 10 windows_at_least 2 || fail "F9 on a full disk gave no notice"
sleep 0.5
shot screenshot-notice
[ -z "$(left_behind)" ] || fail "F9 on a full disk left $(left_behind)"
echo "$e2e_tag: F9 on a full disk left no file"
wait_for 10 popup_closed || fail "the screenshot's notice did not go"

# "Record this run" is the sixth of the context menu's rows above its bottom.
xdotool mousemove $((263 + 100)) $((15 + 600)) click 3
wait_for 5 windows_at_least 2 || fail "no context menu after a right click"
sleep 0.3
xdotool key Up Up Up Up Up Up Return
wait_for 10 told "Nothing is recorded; no file was left." || fail "Record this run on a full disk was not told"
close_message || fail "the recording's box did not close"
[ -z "$(ls -A "$recordings")" ] || fail "Record this run on a full disk left $(ls -A "$recordings")"
echo "$e2e_tag: Record this run on a full disk said so and left no file"

# The store: a game of Game A with a step or two to the right scores, and its high score is
# refused at the game's end; then Mute (F6) three times. One reason, told once.
wait_for 10 popup_closed || fail "a window stayed after the recording's box"
key_to_main 5
sleep 1
key_to_main 1
# The introduction and the stage start take about 10.6 s; each step to the right scores.
sleep 11.5
for i in 1 2 3; do key_to_main Right; sleep 0.6; done
wait_for 120 told "is shown but not saved" || fail "the game did not end with a refused high score"
score=$(sed -n 's/.*the Game A high score \([0-9]*\) is shown but not saved.*/\1/p' "$out/program.log" | head -1)
[ -n "$score" ] && [ "$score" -gt 0 ] || fail "no Game A high score was refused: $(grep -i score "$out/program.log")"
told "settings not saved: writing $store failed (No space left on device)" ||
  fail "the refused high score was not told on standard error"
wait_for 5 windows_at_least 2 || fail "no notice says the high score is not saved yet"
shot score-notice
wait_for 10 popup_closed || fail "the high score's notice did not go"
key_to_main F6
wait_for 5 windows_at_least 2 || fail "no notice says the setting is not saved yet"
shot store-notice
key_to_main F6
sleep 0.5
key_to_main F6
sleep 0.5
n=$(grep -c "settings not saved" "$out/program.log" || true)
[ "$n" -eq 1 ] || fail "the full disk was told $n times, not once"
cmp -s "$store" "$out/store-before" || fail "the store changed on a full disk"
rm "$out/cfg/filler"
# No key now: what waited reaches the file by itself.
wait_for 15 grep -qx "HiScore1=$score" "$store" ||
  { cat "$store"; fail "the high score that waited did not reach the store once the disk had room"; }
grep -qx "Muted=1" "$store" || { cat "$store"; fail "Mute that waited did not reach the store"; }
grep -qx "SoundMode=2" "$store" || fail "the store lost a value"
echo "$e2e_tag: on a full disk the high score $score and Mute were told once and waited; with room they were stored"

mount -o remount,ro "$out/cfg"
key_to_main F6
wait_for 5 told "(Read-only file system)" || fail "the read-only store was not told"
grep -qx "Muted=1" "$store" || fail "the read-only store changed"
mount -o remount,rw "$out/cfg"
wait_for 15 grep -qx "Muted=0" "$store" ||
  { cat "$store"; fail "the setting that waited did not reach the store once it was writable"; }
leftovers=$(find "$out/cfg" -name '.Quendrix50.conf.*' | head -3)
[ -z "$leftovers" ] || fail "temporary files were left: $leftovers"
echo "$e2e_tag: read-only, Mute waited; writable again, it was stored"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
unmount_all
mounted=()

# --- 4. the folder of the skin in use goes away and comes back -------------------------------
unset HOME XDG_DATA_HOME
fresh_store SoundMode=2 SplashScreen=0 FullscreenMode=0 Zoom=100
size="${width}x${height}"
skins=$out/skins
skin=$skins/mine
mkdir -p "$skin/Graphics"
cp "$run_dir/Config.ini" "$skin/"
for f in Skin Skin@2x Skin@4x Backdrop Backdrop@2x Backdrop@4x; do
  ln -s "$run_dir/Graphics/$f" "$skin/Graphics/$f"
done
launch_with --skin "$skin"
wait_for 30 main_at 263 15 498 770 || fail "the device did not come up with the skin"
# The windowed device as painted from the delivered skin, which the skin in use is a copy of.
skin_shown() { shot skin && "$frames" "$run_dir" $size windowed 263 15 "$out/skin.png" "$out/skin-expected.png"; }
wait_for 10 skin_shown || fail "the skin is not shown as painted"
boxes=0
box_told() { # box_told TEXT WHAT: a box for WHAT, its text on standard error, closed with Return
  wait_for 10 told "$1" || fail "$2 was not told"
  wait_for 5 windows_at_least 2 || fail "no box for $2"
  close_message || fail "the box for $2 did not close"
  wait_for 10 skin_shown || fail "after $2 the last skin is no longer shown"
}
mv "$skin" "$skins/mine.away"
box_told "The skin folder $skin is gone (removed or moved away)." "the folder moved away"
mv "$skins/mine.away" "$skin"
sleep 1
printf '[Common]\nGameWidth=498\n' >"$skin/Config.ini"
box_told "The skin's configuration file $skin/Config.ini shows nothing" "a Config.ini that shows nothing"
cp "$run_dir/Config.ini" "$skin/Config.ini"
sleep 1
mv "$skin/Config.ini" "$out/Config.ini.away"
box_told "The skin's configuration file $skin/Config.ini is gone" "the Config.ini moved away"
n=$(grep -c "The skin" "$out/program.log" || true)
[ "$n" -eq 3 ] || fail "the skin's faults were told $n times, not 3"
grep -q "QFileSystemWatcher" "$out/program.log" && fail "the watch complained: $(grep QFileSystemWatcher "$out/program.log")"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
echo "$e2e_tag: the skin's folder and Config.ini going were told once each, the skin stayed, the watch lived on"
