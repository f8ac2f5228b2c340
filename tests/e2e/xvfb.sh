# Sourced by the end-to-end scripts: bounded polling, clean-up on exit, and a private Xvfb on a display number it picks itself, so
# that two runs on one machine never share (and kill) each other's server.
#   start_xvfb WIDTHxHEIGHT OUT_DIR   sets xvfb_pid and exports DISPLAY
#   shot NAME                         a screenshot, $out/NAME.png

# Polls a command for at most $1 seconds: every 0.1 s for a second, then every 0.2 s.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit)) tries=0
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    # A check that keeps failing for more than a second is tried half as often: most take a
    # screenshot and compare it, and ten a second of those was much of the tests' work on a
    # busy machine.
    if [ $((tries += 1)) -le 10 ]; then sleep 0.1; else sleep 0.2; fi
  done
}

# shot NAME: the whole screen as $out/NAME.png. The fastest zlib level and no filter
# (-quality 10): shots are read once and thrown away, and the default compression was most of
# what a screenshot cost.
shot() { import -window root -quality 10 "png24:$out/$1.png"; }

# Ends the program and the X server however the script ends.
xvfb_pid= prog_pid=
cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

start_xvfb() {
  local size=$1 dir=$2
  : >"$dir/xvfb.display"
  # -noreset: by default the server resets when its last client leaves, and a program started
  # again at that moment cannot connect ("could not connect to display").
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$dir/xvfb.display" \
    >"$dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local end=$((SECONDS + 10)) number=
  until number=$(head -n 1 "$dir/xvfb.display") && [ -n "$number" ]; do
    if [ $SECONDS -ge $end ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "e2e: Xvfb did not start"; cat "$dir/xvfb.log"; return 1
    fi
    sleep 0.05
  done
  export DISPLAY=:$number
}
