#!/usr/bin/env bash
# Starts or stops the encoder stand-in's helper (listening on 127.0.0.1 only).
#   start-helper.sh start [PORT]   (PORT: $QUORLIN_STANDIN_PORT, or 47815)
#   start-helper.sh stop [PORT]
# The helper's process id is kept in $QUORLIN_STANDIN_RUNDIR (or /tmp) per port.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
action=${1:-start}
port=${2:-${QUORLIN_STANDIN_PORT:-47815}}
rundir=${QUORLIN_STANDIN_RUNDIR:-/tmp}
pidfile="$rundir/quorlin-standin-helper-$port.pid"

case $action in
  start)
    if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then exit 0; fi
    nohup python3 "$here/standin_helper.py" "$port" >"$rundir/quorlin-standin-helper-$port.log" 2>&1 &
    echo $! >"$pidfile"
    # Ready when the port answers.
    for _ in $(seq 100); do
      if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2).close()" 2>/dev/null; then
        exit 0
      fi
      sleep 0.05
    done
    echo "start-helper: the helper did not start; see $rundir/quorlin-standin-helper-$port.log" >&2
    exit 1
    ;;
  stop)
    if [ -f "$pidfile" ]; then
      kill "$(cat "$pidfile")" 2>/dev/null || true
      rm -f "$pidfile"
    fi
    ;;
  *)
    echo "usage: $0 start|stop [PORT]" >&2
    exit 2
    ;;
esac
