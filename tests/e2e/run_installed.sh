#!/usr/bin/env bash
# The installed copy: installs the build into a scratch prefix, starts the program from
# somewhere else in its own Xvfb, checks the screenshot shows the closed device and that the
# program wrote nothing into the prefix, quits, and uninstalls, after which nothing of the
# program is left in the prefix.
#   run_installed.sh BUILD_DIR SOURCE_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
build=$1 source=$2 frames=$3 out=$4
size=1024x800
rm -rf "$out" && mkdir -p "$out"
prefix=$out/prefix
e2e_tag=installed
source "$(dirname "$0")/lib.sh"

cmake --install "$build" --prefix "$prefix" >"$out/install.log"
launcher=$prefix/bin/quendrix50
data=$prefix/share/quendrix50
entry=$prefix/share/applications/org.vantorel.quendrix50.desktop
for f in "$launcher" "$data/Config.ini" "$data/Sound/Bombfall.wav" "$data/Graphics/Skin" "$entry" \
         "$prefix/share/metainfo/org.vantorel.quendrix50.metainfo.xml" \
         "$prefix/share/icons/hicolor/scalable/apps/org.vantorel.quendrix50.svg" \
         "$prefix/share/man/man6/quendrix50.6.gz"; do
  [ -e "$f" ] || { echo "installed: $f is missing"; exit 1; }
done
for px in 16 32 48 64 128 256 512; do
  icon=$prefix/share/icons/hicolor/${px}x${px}/apps/org.vantorel.quendrix50.png
  [ "$(identify -format '%wx%h' "$icon")" = "${px}x${px}" ] || { echo "installed: $icon"; exit 1; }
done
[ ! -e "$prefix/lib/quendrix50" ] || { echo "installed: program files under lib/"; exit 1; }
grep -qx "Exec=$launcher" "$entry" ||
  { echo "installed: the desktop entry does not start the program"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry"
fi
before=$(find "$prefix" -printf '%p %s %T@\n' | sort)

start_xvfb "$size" "$out" || exit 1
wait_for 10 xdpyinfo || fail "Xvfb did not start"
fresh_store SoundMode=2 SplashScreen=0 Zoom=100 FullscreenZoom=100
xdotool mousemove 1020 796
# From a folder that holds nothing of the program: it finds its data from where it lies.
start_dir=/ program=$launcher
launch_program
wait_for 20 closed_shown "$data" || fail "the closed device is not on the screen"
echo "installed: the program started from / and shows the closed device"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
after=$(find "$prefix" -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || { echo "installed: the program wrote into its install folder:";
  diff <(echo "$before") <(echo "$after") | head; exit 1; }

cmake -DMANIFEST="$build/install_manifest.txt" -P "$source/cmake/Uninstall.cmake" >"$out/uninstall.log"
left=$(find "$prefix" -mindepth 1 -iname '*quendrix50*' | head -5)
[ -z "$left" ] || { echo "installed: uninstall left $left"; exit 1; }
echo "installed: uninstall removed every installed file"
