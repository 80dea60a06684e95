#!/usr/bin/env bash
# A private sound server for the audio tests: pulse-null.sh start|stop DIR
# start: runs Debian's pulseaudio with a null sink as the default sink and the sink's monitor
# as the default source, its socket DIR/native (clients use PULSE_SERVER=unix:DIR/native);
# waits until it answers. stop: ends that server by the PID it left in DIR/pid.
set -e
action=$1 dir=$2
[ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
stop_server() {
  if [ -f "$dir/pid" ]; then
    pid=$(cat "$dir/pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/pid"
  fi
}
case "$action" in
start)
  command -v pulseaudio >/dev/null || { echo "pulseaudio is not installed (scripts/setup.sh)" >&2; exit 1; }
  stop_server
  rm -f "$dir/native"
  cat >"$dir/server.pa" <<EOF
load-module module-null-sink sink_name=kvnull rate=48000 channels=2 sink_properties=device.description=KvNullSink
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
set-default-sink kvnull
set-default-source kvnull.monitor
EOF
  # Root may run it only with --system; a per-user server with its own state in DIR is
  # all the tests need.
  extra=()
  [ "$(id -u)" -eq 0 ] && extra=(--system=false)
  HOME=$dir XDG_RUNTIME_DIR=$dir PULSE_RUNTIME_PATH=$dir PULSE_STATE_PATH=$dir PULSE_CONFIG_PATH=$dir \
    setsid pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disallow-exit --disable-shm=true --log-target=file:"$dir/server.log" "${extra[@]}" \
    </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/pid"
  for _ in $(seq 100); do
    if PULSE_SERVER=unix:$dir/native pactl info >/dev/null 2>&1; then exit 0; fi
    kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "the sound server did not start; see $dir/server.log" >&2
  stop_server
  exit 1
  ;;
stop)
  stop_server
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
