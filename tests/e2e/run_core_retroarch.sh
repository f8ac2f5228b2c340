#!/usr/bin/env bash
# The core in Debian's RetroArch, headless with its null drivers: its screenshot after N frames
# against the tests' own frontend's frame N (the whole device at 1x, the LCD alone at 2x through
# RetroArch's core options), a save state of ours loaded by RetroArch's auto-load and the state
# it saves at its exit byte for byte ours, and the high score of a game played to its end in
# RetroArch in the .srm it writes.
#   run_core_retroarch.sh CORE.so CORE.info CORE_FRAME_TOOL RUN_DIR OUT_DIR
set -euo pipefail
core=$1 info=$2 tool=$3 run_dir=$4 out=$5
tag=e2e.core
fail() { echo "$tag: $*"; tail -20 "$out/retroarch.log" 2>/dev/null; exit 1; }
command -v retroarch >/dev/null || fail "retroarch is not installed (scripts/install-deps.sh)"
rm -rf "$out"
mkdir -p "$out"/{cores,system,states,saves,ref}
cp "$core" "$info" "$out/cores/"
ln -s "$run_dir" "$out/system/quendrix50"
# The frontend tool runs the sanitized core: leaks are the unit tests' business.
export ASAN_OPTIONS=detect_leaks=0
# Both frontends take the same seed and time of day instead of the clock's.
export QUENDRIX50_SEED=7 QUENDRIX50_TIME_OF_DAY=10:30
content=$run_dir/Config.ini

# A RetroArch config with the null drivers; $1 is "true" to load and save the auto state.
config() {
  cat >"$out/retroarch.cfg" <<CFG
video_driver = "null"
input_driver = "null"
audio_enable = "false"
audio_driver = "null"
menu_driver = "null"
libretro_directory = "$out/cores"
libretro_info_path = "$out/cores"
system_directory = "$out/system"
savestate_directory = "$out/states"
savefile_directory = "$out/saves"
savestate_auto_load = "$1"
savestate_auto_save = "$1"
savestate_file_compression = "false"
savefile_compression = "false"
sort_savestates_enable = "false"
sort_savefiles_enable = "false"
config_save_on_exit = "false"
global_core_options = "true"
core_options_path = "$out/options.cfg"
game_specific_options = "false"
CFG
}

# retroarch FRAMES SCREENSHOT [CONTENT]
retroarch_frames() {
  local started=$(date +%s%N)
  timeout 120 retroarch --config "$out/retroarch.cfg" -L "$out/cores/quendrix50_libretro.so" \
    ${3:+"$3"} --max-frames="$1" --max-frames-ss --max-frames-ss-path="$2" \
    >>"$out/retroarch.log" 2>&1 || fail "retroarch ended with status $?"
  [ -s "$2" ] || fail "retroarch wrote no screenshot $2"
  echo "$tag: $1 frames in RetroArch took $(( ($(date +%s%N) - started) / 1000000 )) ms"
}
same() { "$tool" compare "$1" "$2" >/dev/null; }

# 1. No content: the delivered skin from the system folder, at 1x and then the LCD at 2x.
config false
: >"$out/options.cfg"
"$tool" run "$out/system" - 0 40 "$out/ref/plain" >/dev/null
retroarch_frames 40 "$out/plain.png"
same "$out/plain.png" "$out/ref/plain/frame-40.png" || fail "no content: the screenshot is not frame 40"
printf 'quendrix50_view = "LCD only"\nquendrix50_scale = "2x"\n' >"$out/options.cfg"
"$tool" run "$out/system" - 0 40 "$out/ref/lcd" quendrix50_view="LCD only" quendrix50_scale=2x >/dev/null
retroarch_frames 40 "$out/lcd.png"
same "$out/lcd.png" "$out/ref/lcd/frame-40.png" || fail "LCD at 2x: the screenshot is not frame 40"
: >"$out/options.cfg"

# 2. A game in progress from our state: RetroArch runs one frame before it loads the auto
# state, so N + 1 frames show the state's frame N. Frame 29 and 30 differ, so one frame off
# would show.
config true
"$tool" run "$out/system" "$content" 400 30 "$out/ref/game" >/dev/null
same "$out/ref/game/frame-29.png" "$out/ref/game/frame-30.png" && fail "frames 29 and 30 are alike"
cp "$out/ref/game/start.state" "$out/states/Config.state.auto"
retroarch_frames 31 "$out/game.png" "$content"
same "$out/game.png" "$out/ref/game/frame-30.png" || fail "the loaded state's frame 30 is not shown"
# RetroArch's state file: its own header, then our bytes.
saved=$out/states/Config.state.auto
cmp <(tail -c +17 "$saved" | head -c "$(stat -c %s "$out/ref/game/end.state")") \
  "$out/ref/game/end.state" || fail "the state RetroArch saved is not the frontend's"

# 3. A game played to its end in RetroArch: the high score in the .srm, as in our save RAM.
# The state is taken before the game's end, with no high score yet.
score() { od -An -tu4 -N4 "$1" | tr -d ' '; }
"$tool" run "$out/system" "$content" 1500 9000 "$out/ref/over" >/dev/null
[ "$(score "$out/ref/over/start.srm")" = 0 ] || fail "the game had ended before its state"
[ "$(score "$out/ref/over/end.srm")" -gt 0 ] || fail "the game scored nothing"
cp "$out/ref/over/start.state" "$out/states/Config.state.auto"
retroarch_frames 9001 "$out/over.png" "$content"

cmp "$out/saves/Config.srm" "$out/ref/over/end.srm" || fail "the .srm is not the save RAM"
same "$out/over.png" "$out/ref/over/frame-9000.png" || fail "the game's last frame differs"
echo "$tag: passed (high score $(score "$out/saves/Config.srm"))"
