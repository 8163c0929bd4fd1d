#!/usr/bin/env bash
# A private RTMP server on loopback for live-stream tests: nginx with Debian's RTMP module.
#   tools/rtmp-server.sh start DIR PORT   -> serves rtmp://127.0.0.1:PORT/live/<name>
#   tools/rtmp-server.sh stop DIR
set -euo pipefail

action=${1:?start or stop}
dir=${2:?working folder}

case $action in
  start)
    port=${3:?port}
    mkdir -p "$dir/logs"
    cat >"$dir/nginx.conf" <<CONF
load_module /usr/lib/nginx/modules/ngx_rtmp_module.so;
daemon on;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 64; }
rtmp {
  server {
    listen 127.0.0.1:$port;
    application live {
      live on;
      record off;
      allow publish 127.0.0.1;
      deny publish all;
      allow play 127.0.0.1;
      deny play all;
    }
  }
}
CONF
    nginx -p "$dir" -c "$dir/nginx.conf" -g "user root;" 2>"$dir/logs/start.log"
    ;;
  stop)
    if [ -f "$dir/nginx.pid" ]; then
      kill "$(cat "$dir/nginx.pid")" 2>/dev/null || true
      rm -f "$dir/nginx.pid"
    fi
    ;;
  *)
    echo "usage: $0 start DIR PORT | stop DIR" >&2
    exit 2
    ;;
esac
