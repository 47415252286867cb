# shellcheck shell=bash
# Running a program under Xvfb and waiting on its windows, for the
# end-to-end tests and scripts/screenshot. Source it from bash; it needs Xvfb,
# xdotool, xprop and, for wait_screen_still, ImageMagick's import.
#
# Every wait polls every tenth of a second up to a limit given in tenths
# (default 300, 30 s: the machine may be busy), prints what it waited for
# and returns 1 when the limit passes.

# with_xvfb SCREEN [SERVER OPTION...] -- COMMAND...
# Runs COMMAND with DISPLAY on a new Xvfb server whose screen 0 is SCREEN
# (WIDTHxHEIGHTxDEPTH) and returns its status. The server takes the first
# free display itself and says which once it accepts clients (-displayfd):
# runs side by side, of this user or another, never share a display, as they
# may when each guesses a free number. It takes local clients only.
with_xvfb() {
  local screen=$1 options=() dir pid display='' status=0
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  dir=$(mktemp -d)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "$screen" "${options[@]}" 3>"$dir/display" 2>"$dir/log" &
  pid=$!
  for _ in $(seq 1 300); do
    display=$(cat "$dir/display" 2>/dev/null || true)
    [ -n "$display" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  if [ -z "$display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$dir/log" >&2
    kill "$pid" 2>/dev/null || true
    rm -rf "$dir"
    return 1
  fi
  DISPLAY=:$display "$@" || status=$?
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
  return "$status"
}

# Name of the window that has the keyboard focus, empty when there is none.
focused_window_name() {
  xdotool getwindowfocus getwindowname 2>/dev/null || true
}

# Ids of the shown windows titled exactly $1.
visible_windows() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true
}

# Until the window titled $1 has been the active one for three polls in a
# row: a message is activated by the desktop only once it is on screen, and
# the configuration window may then take the activation back.
wait_active() {
  local steady=0
  for _ in $(seq 1 "${2:-300}"); do
    if [ "$(focused_window_name)" = "$1" ]; then
      steady=$((steady + 1))
      [ $steady -ge 3 ] && return 0
    else
      steady=0
    fi
    sleep 0.1
  done
  echo "window $1 never became active"
  return 1
}

# Runs COMMAND... every tenth of a second until it succeeds, up to LIMIT
# tenths; otherwise prints MESSAGE and returns 1.
poll_until() {
  local limit=$1 message=$2
  shift 2
  for _ in $(seq 1 "$limit"); do
    "$@" && return 0
    sleep 0.1
  done
  echo "$message"
  return 1
}

window_shown() { [ -n "$(visible_windows "$1")" ]; }
window_hidden() { [ -z "$(visible_windows "$1")" ]; }

wait_visible() { poll_until "${2:-300}" "window $1 never showed" window_shown "$1"; }
wait_gone() { poll_until "${2:-300}" "window $1 never went" window_hidden "$1"; }

# Until the fade-in of the shown window titled $1 is over. The program fades
# a window in by raising its opacity (the _NET_WM_WINDOW_OPACITY property Qt
# sets) and switches opacity off at the end: the property then reads full
# (0xffffffff) or is gone.
wait_opaque() {
  local ids id opacity
  for _ in $(seq 1 "${2:-300}"); do
    ids=$(visible_windows "$1")
    if [ -n "$ids" ]; then
      opacity=
      for id in $ids; do
        opacity=$(xprop -id "$id" -notype _NET_WM_WINDOW_OPACITY 2>/dev/null | sed -n 's/.* = //p')
        [ -z "$opacity" ] || [ "$opacity" = 4294967295 ] || break
        opacity=
      done
      [ -z "$opacity" ] && return 0
    fi
    sleep 0.1
  done
  echo "window $1 never became opaque (opacity ${opacity:-unknown})"
  return 1
}

# Until two pictures of the whole screen a tenth of a second apart are the
# same: whatever was shown last has been drawn.
wait_screen_still() {
  local last='' now
  for _ in $(seq 1 "${1:-300}"); do
    now=$(import -window root rgb:- 2>/dev/null | md5sum)
    [ -n "$last" ] && [ "$now" = "$last" ] && return 0
    last=$now
    sleep 0.1
  done
  echo "the screen never kept still"
  return 1
}
