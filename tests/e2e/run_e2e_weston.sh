#!/usr/bin/env bash
# End-to-end under a real Wayland compositor: weston's headless backend with its CPU renderer
# (no GPU needed), at output scale 1 and 2, the program on Qt's Wayland platform. Screenshots
# come from weston's own screenshooter. At each scale the delivered device must show whole at
# the fit the scale asks for (windowed) and fill the screen's height (fullscreen), and a
# test-made noise skin at 100 % and 200 % must be its design picture with every pixel repeated
# by the total scale: crisp, never resampled by the compositor or by the toolkit.
#   run_e2e_weston.sh RUN_DIR OUT_DIR
set -euo pipefail
run_dir=$1 out=$2
rm -rf "$out" && mkdir -p "$out"
for tool in weston weston-screenshooter convert compare identify; do
  command -v $tool >/dev/null || { echo "weston: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$qt_plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 ||
  { echo "weston: Qt's Wayland platform is missing (qt6-wayland, scripts/install-deps.sh)"; exit 1; }
source "$(dirname "$0")/xvfb.sh" # wait_for and the clean-up of prog_pid on exit
weston_pid=
stop_weston() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  wait "$weston_pid" 2>/dev/null || true
  weston_pid=
}
trap 'stop_weston; cleanup' EXIT # cleanup waits for every child: weston first
fail() {
  echo "weston: $*"
  for f in program.log weston.log; do [ -f "$out/$f" ] && tail -8 "$out/$f"; done
  exit 1
}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
unset DISPLAY # nothing may fall back to an X server
export XDG_RUNTIME_DIR=$out/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A plain magenta desktop without a panel, so the device's extent can be measured.
cat >"$out/weston.ini" <<INI
[core]
idle-time=0
[shell]
background-color=0xffff00ff
panel-position=none
locking=false
animation=none
startup-animation=none
close-animation=none
focus-animation=none
INI

start_weston() { # start_weston OUTPUT_SCALE: a 1920x1080 output at that scale
  local socket=q50-$$-$1
  weston --config="$out/weston.ini" --backend=headless-backend.so --use-pixman \
    --width=1920 --height=1080 --scale="$1" --debug --socket="$socket" \
    --log="$out/weston.log" &
  weston_pid=$!
  wait_for 20 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start"
  export WAYLAND_DISPLAY=$socket
}

# shot NAME: the whole output through weston's screenshooter.
shot() {
  local dir=$out/shot
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && timeout 10 weston-screenshooter) >/dev/null 2>&1 || return 1
  mv "$dir"/*.png "$out/$1.png"
}
# box NAME: "W H X Y" of everything that is not the magenta desktop.
box() {
  convert "$out/$1.png" -bordercolor '#ff00ff' -border 1 -fuzz 1% -trim \
    -format '%w %h %[fx:page.x-1] %[fx:page.y-1]' info:
}

start_program() { # start_program APP_DIR STORE_LINES...
  local app=$1; shift
  export XDG_CONFIG_HOME=$out/config
  rm -rf "$XDG_CONFIG_HOME" && mkdir -p "$XDG_CONFIG_HOME/Vantorel"
  printf '%s\n' SoundMode=2 SplashScreen=0 "$@" >"$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf"
  (cd "$app" && QT_QPA_PLATFORM=wayland exec ./quendrix50) >"$out/program.log" 2>&1 &
  prog_pid=$!
}
stop_program() {
  kill -TERM "$prog_pid" 2>/dev/null || true
  wait "$prog_pid" 2>/dev/null || true
  prog_pid=
}
# settled NAME: a screenshot that shows something besides the desktop and equals the one before
# (the window has come up and finished drawing).
settled() {
  shot "$1" || return 1
  local b
  b=$(box "$1")
  [ "${b%% *}" -gt 2 ] || return 1
  if [ -f "$out/$1.prev.png" ] && compare -metric AE "$out/$1.png" "$out/$1.prev.png" null: 2>/dev/null; then
    return 0
  fi
  mv "$out/$1.png" "$out/$1.prev.png"
  return 1
}
show() { # show NAME APP_DIR STORE_LINES...: the program's settled picture, then stopped
  local name=$1; shift
  rm -f "$out/$name.prev.png"
  start_program "$@"
  wait_for 60 settled "$name" || fail "$name: the program's window did not show"
  stop_program
}

# The delivered program with a magenta surround in fullscreen (no backdrop, no logo).
app=$out/app
mkdir -p "$app"
cp -r "$run_dir"/. "$app"/
sed -i -e 's/^BackdropFile=.*/BackdropFile=nil/' -e 's/^LogoFile=.*/LogoFile=nil/' \
  -e 's/^BgColor=.*/BgColor=$00ff00ff/' "$app/Config.ini"

# A third-party raster skin: noise, which any resampling would change, on a see-through outline.
skin=$out/skin
mkdir -p "$skin/Graphics/Skin"
cp "$app/quendrix50" "$skin/"
convert -seed 11 -size 200x300 xc:gray +noise Random -alpha off \
  -fill '#ff00ff' -draw 'rectangle 0,0 19,19' "png24:$skin/Graphics/Skin/body.png"
cat >"$skin/Config.ini" <<INI
[Common]
SkinDir=Graphics\\Skin\\
GameWidth=200
GameHeight=300
[VideoMode]
TranspColor=\$00ff00ff
[Image1]
Filename=body.png
Width=200
Height=300
INI

for scale in 1 2; do
  start_weston "$scale"
  sw=$((1920 * scale)) sh=$((1080 * scale))
  shot desktop || fail "weston's screenshooter took no picture"
  size=$(identify -format '%w %h' "$out/desktop.png")
  [ "$size" = "$sw $sh" ] || fail "scale $scale: the output's screenshot is $size, not $sw $sh"

  # Windowed at fit: the largest whole scale within 90 % of the output's height, counted in
  # the output's pixels, so the device is 770 pixels high at output scale 1 and 1540 at 2.
  name=window-s$scale
  show "$name" "$app" FullscreenMode=0
  read -r w h x y <<<"$(box "$name")"
  # The closed device's outline lies a few pixels inside its 498x770 pictures; at output scale
  # 2 it must be exactly twice what it is at 1.
  if [ "$scale" = 1 ]; then
    [ "$w" -le 498 ] && [ "$h" -le 770 ] && [ $((w * 10)) -ge 4482 ] && [ $((h * 10)) -ge 6930 ] ||
      fail "$name: the device shows ${w}x${h}, not the 498x770 device at 100 %"
    w1=$w h1=$h
  else
    [ "$w" = $((w1 * scale)) ] && [ "$h" = $((h1 * scale)) ] ||
      fail "$name: the device shows ${w}x${h}, not ${scale} times ${w1}x${h1}"
  fi
  [ "$x" -gt 0 ] && [ "$y" -gt 0 ] && [ $((x + w)) -lt "$sw" ] && [ $((y + h)) -lt "$sh" ] ||
    fail "$name: the device at ${w}x${h}+$x+$y is not wholly on the ${sw}x${sh} output"
  echo "weston: $name: the device shows whole, ${w}x${h}+$x+$y"

  name=full-s$scale
  show "$name" "$app" FullscreenMode=1
  read -r w h x y <<<"$(box "$name")"
  [ $((h * 10)) -ge $((sh * 9)) ] && [ "$w" -le "$sw" ] ||
    fail "$name: fullscreen shows the device ${w}x${h} on ${sw}x${sh}"
  echo "weston: $name: fullscreen shows the device ${w}x${h} on ${sw}x${sh}"

  # The noise skin at 100 % and 200 %: every pixel repeated zoom x output scale times.
  for zoom in 100 200; do
    name=noise-s$scale-z$zoom
    show "$name" "$skin" FullscreenMode=0 Zoom=$zoom
    k=$((scale * zoom / 100))
    read -r w h x y <<<"$(box "$name")"
    [ "$w" = $((200 * k)) ] && [ "$h" = $((300 * k)) ] ||
      fail "$name: the skin shows ${w}x${h}, not $((200 * k))x$((300 * k))"
    convert "$out/$name.png" -crop "${w}x${h}+${x}+${y}" +repage "png24:$out/$name-device.png"
    convert "$skin/Graphics/Skin/body.png" -sample "$((k * 100))%" "png24:$out/$name-expected.png"
    # The see-through corner shows the desktop: magenta either way.
    differ=$(compare -metric AE "$out/$name-device.png" "$out/$name-expected.png" null: 2>&1 || true)
    [ "$differ" = 0 ] || fail "$name: $differ pixels differ from the skin repeated ${k}x"
    echo "weston: $name: the skin is pixel for pixel its picture repeated ${k}x"
  done
  stop_weston
done
echo "weston: passed"
