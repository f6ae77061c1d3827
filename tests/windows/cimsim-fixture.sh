#!/bin/sh
# Starts and stops simulated CIM servers for the Windows tests: they run under
# Wine and cannot start the Linux simulator themselves, so CTest does it here
# around them.
#   cimsim-fixture.sh start STATE_DIR NAME SIMULATOR [simulator options...]
#       starts SIMULATOR on a free loopback port and, once it listens, writes
#       its URL ("http://127.0.0.1:PORT") to STATE_DIR/NAME.url
#   cimsim-fixture.sh stop STATE_DIR NAME...
#       stops the simulators that start left running
set -eu
action=$1
state=$2
shift 2

case "$action" in
start)
  name=$1
  simulator=$2
  shift 2
  mkdir -p "$state"
  rm -f "$state/$name.url"
  # Emptied here, not by the redirection below: that one happens in the
  # background and could come after the first look at the log.
  : >"$state/$name.log"
  # Detached from CTest's output pipes: the server outlives this script.
  "$simulator" --port 0 --quiet "$@" >"$state/$name.log" 2>&1 </dev/null &
  pid=$!
  echo "$pid" >"$state/$name.pid"
  tries=0
  while [ "$tries" -lt 200 ]; do
    url=$(sed -n 's/.*listening on \([^ ]*\).*/\1/p' "$state/$name.log" | head -n 1)
    if [ -n "$url" ]; then
      printf '%s\n' "$url" >"$state/$name.url"
      echo "$name simulator (pid $pid) listening on $url"
      exit 0
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "$name simulator exited before listening:" >&2
      cat "$state/$name.log" >&2
      exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
  done
  echo "$name simulator did not listen within 20 s" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
  ;;
stop)
  for name in "$@"; do
    if [ -f "$state/$name.pid" ]; then
      kill "$(cat "$state/$name.pid")" 2>/dev/null || true
      rm -f "$state/$name.pid" "$state/$name.url"
    fi
  done
  ;;
*)
  echo "usage: $0 start STATE_DIR NAME SIMULATOR [options...] | stop STATE_DIR NAME..." >&2
  exit 2
  ;;
esac
