#!/usr/bin/env bash
# The Debian package: builds it with cpack, validates its desktop entry and AppStream metadata,
# runs lintian on it, and (as root, as CI runs) installs it into this machine with apt-get,
# starts /usr/bin/quendrix50 from / in its own Xvfb, checks the closed device on the screen and
# that nothing was written into the installed folders, then purges the package and checks that
# nothing of it is left.
#   run_deb.sh BUILD_DIR SOURCE_DIR FRAMES_TOOL OUT_DIR
set -euo pipefail
build=$1 source=$2 frames=$3 out=$4
size=1024x800
rm -rf "$out" && mkdir -p "$out"
e2e_tag=deb
source "$(dirname "$0")/lib.sh"
id=org.vantorel.quendrix50

sed 's|@Q50_EXEC@|/usr/bin/quendrix50|' "$source/packaging/$id.desktop.in" >"$out/$id.desktop"
desktop-file-validate "$out/$id.desktop"
echo "deb: desktop-file-validate passed"
appstreamcli validate --no-net "$source/packaging/$id.metainfo.xml" | tee "$out/appstream.log"

(cd "$build" && cpack -G DEB -B "$out/pkg" >"$out/cpack.log" 2>&1) ||
  { echo "deb: cpack failed"; cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/pkg/quendrix50_*.deb)
echo "deb: built $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -c "$deb" >"$out/contents.txt"
for f in ./usr/bin/quendrix50 ./usr/share/quendrix50/Config.ini ./usr/share/quendrix50/Sound/Bombfall.wav \
         ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
         ./usr/share/icons/hicolor/512x512/apps/$id.png ./usr/share/icons/hicolor/scalable/apps/$id.svg \
         ./usr/share/man/man6/quendrix50.6.gz ./usr/share/doc/quendrix50/copyright; do
  grep -q " $f\$" "$out/contents.txt" || { echo "deb: $f is not in the package"; exit 1; }
done
# The RetroArch core, where Debian's RetroArch looks, is all that lies under /usr/lib.
arch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
if [ -e "$build/libretro/quendrix50_libretro.so" ]; then
  for f in ./usr/lib/$arch/libretro/quendrix50_libretro.so ./usr/share/libretro/info/quendrix50_libretro.info; do
    grep -q " $f\$" "$out/contents.txt" || { echo "deb: $f is not in the package"; exit 1; }
  done
fi
if grep " ./usr/lib/" "$out/contents.txt" |
  grep -v " ./usr/lib/\($arch/\(libretro/\(quendrix50_libretro.so\)\?\)\?\)\?$" | grep -q .; then
  echo "deb: files under /usr/lib besides the RetroArch core"; exit 1
fi
# The dependencies: the two libraries opened at run time, and those the executable names, as
# dpkg-shlibdeps reads them (the C library and the toolkit with their lowest versions).
depends=$(dpkg-deb -f "$deb" Depends)
for d in "libsdl2-2.0-0, libsdl2-mixer-2.0-0, " "libc6 (>= " "libqt6widgets6 (>= " "libpng16-16 (>= "; do
  case "$depends" in *"$d"*) ;; *) echo "deb: \"$d\" is not in Depends: $depends"; exit 1 ;; esac
done
echo "deb: Depends: $depends"

# Errors fail the test; warnings and notes are kept in the log for the reader.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 ||
  { echo "deb: lintian reports errors"; cat "$out/lintian.log"; exit 1; }
echo "deb: lintian reports no errors ($(grep -c '^W:' "$out/lintian.log" || true) warnings)"

if [ "$(id -u)" -ne 0 ]; then
  echo "deb: SKIPPED the install and removal: they need root (CI runs the tests as root)"
  exit 77
fi
export DEBIAN_FRONTEND=noninteractive
# One install into the machine at a time, also across the builds of several checkouts.
exec 9>/tmp/quendrix50-deb-test.lock
# Less than the test's own time limit, so that a stuck holder is reported instead of a timeout.
flock -w 300 9 || { echo "deb: another run holds the machine's package for too long"; exit 1; }
apt_get() { apt-get -o DPkg::Lock::Timeout=120 -y -qq "$@"; }
# A package left by an interrupted run would make this one an upgrade.
if dpkg-query -W quendrix50 >/dev/null 2>&1; then apt_get purge quendrix50 >/dev/null; fi
for f in /usr/bin/quendrix50 /usr/share/quendrix50; do
  [ ! -e "$f" ] || { echo "deb: $f exists before the install; not touching it"; exit 1; }
done
apt_get install "$deb" >"$out/install.log" 2>&1 ||
  { echo "deb: apt-get install failed"; cat "$out/install.log"; exit 1; }
installed_state() { dpkg -L quendrix50 | sort | xargs -d '\n' stat -c '%n %s %Y' 2>/dev/null; }
before=$(installed_state)

# The X server and the program are started without the lock's descriptor: a server left behind
# by a killed run held the lock, and every later run waited for it until its time ran out.
start_xvfb "$size" "$out" 9>&- || exit 1
wait_for 10 xdpyinfo || fail "Xvfb did not start"
export XDG_DATA_HOME=$out/home/data
fresh_store SoundMode=2 SplashScreen=0 Zoom=100 FullscreenZoom=100
xdotool mousemove 1020 796
start_dir=/ program=/usr/bin/quendrix50
launch_program 9>&-
wait_for 20 closed_shown /usr/share/quendrix50 || fail "the closed device is not on the screen"
echo "deb: /usr/bin/quendrix50 started from / and shows the closed device"
kill -TERM "$prog_pid"
ended_cleanly SIGTERM
[ "$before" = "$(installed_state)" ] || { echo "deb: the installed files changed while it ran"; exit 1; }
extra=$(find /usr/share/quendrix50 | sort | comm -23 - <(dpkg -L quendrix50 | sort))
[ -z "$extra" ] || { echo "deb: the program wrote into its install folder: $extra"; exit 1; }

apt_get purge quendrix50 >"$out/remove.log" 2>&1 ||
  { echo "deb: apt-get purge failed"; cat "$out/remove.log"; exit 1; }
left=""
while read -r f; do
  # Folders the package shares with others (/usr/share/man/man6, ...) stay.
  if [ -e "$f" ] && [ ! -d "$f" ]; then left="$left $f"; fi
  case "$f" in */quendrix50|*/quendrix50/*) [ ! -e "$f" ] || left="$left $f" ;; esac
done < <(sed -n 's|^[^ ]* [^ ]* *[0-9]* [^ ]* [^ ]* \./|/|p' "$out/contents.txt" | sed 's|/$||')
[ -z "$left" ] || { echo "deb: the removal left$left"; exit 1; }
if dpkg-query -W quendrix50 >/dev/null 2>&1; then echo "deb: the package is still known to dpkg"; exit 1; fi
echo "deb: apt-get purge removed every file of the package"
