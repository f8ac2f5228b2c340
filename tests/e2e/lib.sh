# Sourced by the end-to-end scripts after they set `out` (their output folder) and `run_dir` (the
# folder of the built program): the start-up every script repeats, and the looks at the screen
# and the windows they share. `e2e_tag` (default "e2e") starts every failure line.
#   begin_e2e WIDTHxHEIGHT TOOL...   a fresh $out, the tools present, a private Xvfb up
#   fresh_store LINE...              a private XDG_CONFIG_HOME whose store ($store) holds LINEs
#   launch_program [VAR=VALUE...]    $program (./quendrix50) started in $start_dir ($run_dir) in
#                                    the background ($prog_pid), its output in program.log
#   attach_virtual_pad               SDL's virtual controller for the next start, driven by
#                                    `pad EVENT...` ("down x", "axis leftx 32767", ...)
#   program_ended WHAT               the program ends within 20 s (else "WHAT did not end the
#                                    program", saying whether its window went)
#   ended_cleanly WHAT               program_ended, with status 0
#   close_message                    Return to the program's box, with the focus put on it first
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

e2e_tag=${e2e_tag:-e2e}

# A command that ends the script under `set -e` says which it was (functions included), so that
# no script stops without a line of its own.
set -E
trap 'e2e_status=$?; echo "$e2e_tag: stopped at line $LINENO of ${0##*/}: $BASH_COMMAND (status $e2e_status)"' ERR

# A failure also lists the program's mapped windows, which tells a lost popup from a stray one.
# The ERR trap is off here: a window that closes while it is listed is no second failure.
fail() {
  trap - ERR
  set +e
  echo "$e2e_tag: $*"
  local w name place
  if [ -n "${prog_pid:-}" ]; then
    for w in $(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null); do
      name=$(xdotool getwindowname "$w" 2>/dev/null)
      place=$(xdotool getwindowgeometry "$w" 2>/dev/null | tr -s '\n ' ' ')
      echo "$e2e_tag: window $w \"$name\" $place"
    done
  fi
  cat "$out/program.log" 2>/dev/null
  exit 1
}

needs_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$e2e_tag: $tool is missing (scripts/install-deps.sh)"; exit 1; }
  done
}

begin_e2e() {
  local size=$1; shift
  rm -rf "$out" && mkdir -p "$out"
  needs_tools "$@"
  start_xvfb "$size" "$out" || exit 1
  wait_for 10 xdpyinfo || fail "Xvfb did not start"
}

fresh_store() {
  export XDG_CONFIG_HOME=$out/config
  store=$XDG_CONFIG_HOME/Vantorel/Quendrix50.conf
  mkdir -p "$(dirname "$store")"
  [ $# -eq 0 ] || printf '%s\n' "$@" >"$store"
}

launch_program() {
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
  (cd "${start_dir:-$run_dir}" && exec env "$@" "${program:-./quendrix50}") >"$out/program.log" 2>&1 &
  prog_pid=$!
}

attach_virtual_pad() {
  fifo=$out/pad.fifo
  mkfifo "$fifo"
  export Q50_VIRTUAL_PAD=$fifo
}
pad() { printf '%s\n' "$@" >"$fifo"; }
# A fresh store, SDL's virtual controller attached from the start, the program up and its
# closed device shown as painted (the controller scripts begin this way).
start_with_virtual_pad() {
  fresh_store SoundMode=2 SplashScreen=0 Zoom=100 FullscreenZoom=100
  attach_virtual_pad
  xdotool mousemove 1020 796
  launch_program
  wait_for 20 main_up || fail "the main window did not come up"
  wait_for 10 try_state closed closed || { check closed closed; fail "closed device not as painted"; }
}

# program_ended WHAT: the program is gone within 20 s. Under load the sanitized build's exit
# (the leak check walks the whole heap) took more than the 5 s once allowed, after the window
# had already gone; the message tells the two cases apart.
program_ended() {
  wait_for 20 bash -c "! kill -0 $prog_pid" && return 0
  if main_up; then fail "$1 did not end the program (its window is still up)"; fi
  fail "$1 did not end the program (its window went, the process stayed)"
}
ended_cleanly() {
  program_ended "$1"
  local rc=0
  wait "$prog_pid" || rc=$?
  prog_pid=
  [ "$rc" -eq 0 ] || fail "the program ended with status $rc"
}

# check NAME ARGS...: the screenshot NAME against the painter's frame of ARGS ($frames, $size)
check() { local name=$1; shift; "$frames" "$run_dir" $size "$@" "$out/$name.png" "$out/$name-expected.png"; }
try_state() { shot "$1"; check "$@"; }
# closed_shown DATA_DIR: the screen shows the closed device as painted from the skin in DATA_DIR
closed_shown() { shot closed && "$frames" "$1" $size closed "$out/closed.png" "$out/closed-expected.png"; }

# xdotool's name search ignores letter case, and Qt titles its popup menus with the program's
# file name ("quendrix50"): a closing menu was taken for the main window and its geometry read
# failed. The main window is the one titled exactly "Quendrix50".
main_window() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Quendrix50$' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Quendrix50 ] && { echo "$w"; return 0; }
  done
  return 0
}
main_up() { [ -n "$(main_window)" ]; }
# The program's windows apart from the pause mark and the notices, which take no input.
program_windows() {
  local n=0 w
  for w in $(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in
    "Quendrix50 mark" | "Quendrix50 notice") ;;
    *) n=$((n + 1)) ;;
    esac
  done
  echo "$n"
}
popup_closed() { [ "$(program_windows)" -eq 1 ]; }
# close_message: Return to the program's window that is not the main one, with the focus put on
# it first. A key sent to the main window just before the message mapped could leave the focus
# there, and a Return then reached no button.
close_message() {
  local m w i
  for ((i = 0; i < 3; i++)); do
    m=$(main_window)
    for w in $(xdotool search --onlyvisible --pid "$prog_pid" 2>/dev/null); do
      [ "$w" = "$m" ] && continue
      xdotool windowactivate --sync "$w" 2>/dev/null || xdotool windowfocus --sync "$w" 2>/dev/null || true
      xdotool key Return
      break
    done
    wait_for 3 popup_closed && return 0
  done
  return 1
}
# geometry_of WINDOW: sets X, Y, WIDTH and HEIGHT (the caller's, where it declares them local).
# Fails when the window is gone instead of leaving them unset: under `set -u` an unset X in a
# command polled by wait_for ended the script without a word.
geometry_of() {
  local lines
  lines=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$lines"
  [ -n "${X:-}" ] && [ -n "${Y:-}" ] && [ -n "${WIDTH:-}" ] && [ -n "${HEIGHT:-}" ]
}
geometry_is() { # geometry_is WINDOW X Y W H
  local X Y WIDTH HEIGHT SCREEN WINDOW
  geometry_of "$1" || return 1
  [ "$X,$Y,$WIDTH,$HEIGHT" = "$2,$3,$4,$5" ]
}
main_at() { local m; m=$(main_window); [ -n "$m" ] && geometry_is "$m" "$@"; }

# The pause mark ("PAUSED", "REPLAY") and the notices are small windows of their own beside the
# device. window_rect NAME: "X Y W H" of the visible program window titled exactly NAME.
window_rect() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
  [ -n "$w" ] && geometry_of "$w" && echo "$X $Y $WIDTH $HEIGHT"
}
mark_shown() { [ -n "$(window_rect 'Quendrix50 mark')" ]; }
mark_gone() { ! mark_shown; }
notice_shown() { [ -n "$(window_rect 'Quendrix50 notice')" ]; }
# outside RECT X Y W H: the window of RECT ("X Y W H") does not overlap the rectangle X Y W H.
outside() {
  local a=($1)
  [ ${#a[@]} -eq 4 ] || return 1
  [ $((a[0] + a[2])) -le "$2" ] || [ "${a[0]}" -ge $(($2 + $4)) ] ||
    [ $((a[1] + a[3])) -le "$3" ] || [ "${a[1]}" -ge $(($3 + $5)) ]
}

manual=
find_manual() { manual=$(xdotool search --onlyvisible --name '^Manual$' | head -1); [ -n "$manual" ]; }
manual_gone() { ! xdotool search --onlyvisible --name '^Manual$' | grep -q .; }
