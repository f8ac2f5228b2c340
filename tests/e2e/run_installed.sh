#!/usr/bin/env bash
# The installed copy: installs the build into a scratch prefix, starts the launcher from
# somewhere else in its own Xvfb, checks the screenshot shows the closed device, quits, and
# uninstalls, after which nothing of the program is left in the prefix.
#   run_installed.sh BUILD_DIR SOURCE_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
build=$1 source=$2 frames=$3 out=$4
size=1024x800
rm -rf "$out" && mkdir -p "$out"
prefix=$out/prefix
source "$(dirname "$0")/xvfb.sh"

cmake --install "$build" --prefix "$prefix" >"$out/install.log"
launcher=$prefix/bin/quendrix50
for f in "$launcher" "$prefix/lib/quendrix50/quendrix50" "$prefix/lib/quendrix50/Config.ini" \
         "$prefix/lib/quendrix50/Sound/Bombfall.wav" "$prefix/share/applications/quendrix50.desktop" \
         "$prefix/share/icons/hicolor/256x256/apps/quendrix50.png"; do
  [ -e "$f" ] || { echo "installed: $f is missing"; exit 1; }
done
grep -qx "Exec=$launcher" "$prefix/share/applications/quendrix50.desktop" ||
  { echo "installed: the desktop entry does not start the launcher"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/quendrix50.desktop"
fi

start_xvfb "$size" "$out" || exit 1
wait_for 10 xdpyinfo || { echo "installed: Xvfb did not start"; exit 1; }
export XDG_CONFIG_HOME=$out/config
mkdir -p "$XDG_CONFIG_HOME/Vantorel"
printf 'SoundMode=2\nSplashScreen=0\nZoom=100\nFullscreenZoom=100\n' >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
xdotool mousemove 1020 796
# From a folder that holds nothing of the program: the launcher finds its own.
(cd / && exec "$launcher") >"$out/program.log" 2>&1 &
prog_pid=$!
try_closed() {
  import -window root "png24:$out/closed.png" &&
    "$frames" "$prefix/lib/quendrix50" $size closed "$out/closed.png" "$out/closed-expected.png"
}
wait_for 20 try_closed || { echo "installed: the closed device is not on the screen"; cat "$out/program.log"; exit 1; }
echo "installed: the launcher started the program, which shows the closed device"
kill -TERM "$prog_pid"
rc=0; wait "$prog_pid" || rc=$?
prog_pid=
[ "$rc" -eq 0 ] || { echo "installed: the program ended with status $rc"; exit 1; }

cmake -DMANIFEST="$build/install_manifest.txt" -P "$source/cmake/Uninstall.cmake" >"$out/uninstall.log"
left=$(find "$prefix" -mindepth 1 -name '*quendrix50*' | head -5)
[ -z "$left" ] || { echo "installed: uninstall left $left"; exit 1; }
echo "installed: uninstall removed every installed file"
