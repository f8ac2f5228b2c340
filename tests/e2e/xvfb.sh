# Sourced by the end-to-end scripts: a private Xvfb on a display number it picks itself, so
# that two runs on one machine never share (and kill) each other's server.
#   start_xvfb WIDTHxHEIGHT OUT_DIR   sets xvfb_pid and exports DISPLAY
start_xvfb() {
  local size=$1 dir=$2
  : >"$dir/xvfb.display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$dir/xvfb.display" \
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
