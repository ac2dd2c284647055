#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the program against the offline demo
# site on 127.0.0.1, so every pane shows a real page and nothing leaves this machine.
# Without a display it runs the same under Xvfb for a few seconds and saves a screenshot of
# the main window to build/screenshot.png.
#
# XINGHE_RUN_BUILD=DIR runs an already built tree instead of building build/.
set -euo pipefail
cd "$(dirname "$0")"

BUILD=${XINGHE_RUN_BUILD:-build}
if [ "$BUILD" = build ]; then
  scripts/setup.sh
  scripts/build.sh
fi
[ -f "$BUILD/peizhi.ini" ] || "$BUILD/xinghe-config" encrypt assets/peizhi.txt "$BUILD/peizhi.ini"
[ -f "$BUILD/1.html" ] || cp assets/1.html "$BUILD/1.html"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# The demo site on free ports: plain HTTP, and HTTPS for the HD player.
ports=$(mktemp)
"$BUILD/xinghe-demo-site" >"$ports" &
pids+=($!)
for _ in $(seq 50); do
  grep -q '^https ' "$ports" && break
  sleep 0.1
done
http_port=$(sed -n 's/^http 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$ports")
tls_port=$(sed -n 's/^https 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$ports")
rm -f "$ports"
if [ -z "$http_port" ] || [ -z "$tls_port" ]; then
  echo "run.sh: the demo site did not start" >&2
  exit 1
fi
echo "Demo site on 127.0.0.1:$http_port (http) and 127.0.0.1:$tls_port (https)."

# Every fixed host of the program goes to the demo site: libcurl through XINGHE_CONNECT_TO,
# the browser views through host-resolver rules; the browser resolves no other name at all.
connect_to=()
rules=()
for host in $("$BUILD/xinghe-demo-site" --hosts); do
  connect_to+=("$host:80:127.0.0.1:$http_port" "$host:443:127.0.0.1:$tls_port")
  rules+=("MAP $host:443 127.0.0.1:$tls_port" "MAP $host 127.0.0.1:$http_port")
done
rules+=("MAP * ~NOTFOUND")
export XINGHE_CONNECT_TO=$(IFS=,; echo "${connect_to[*]}")
rule_text=$(printf '%s, ' "${rules[@]}")
rule_text=${rule_text%, }

# The demo's certificate is made up at its start, so the browser is told to accept it; a
# release talks to the real services and keeps the checks.
flags="--ignore-certificate-errors --host-resolver-rules=\"$rule_text\""
headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=1; fi
if [ "$headless" = 1 ] || [ "$(id -u)" -eq 0 ]; then flags="--disable-gpu $flags"; fi
# Chromium refuses to run as root inside its sandbox; a person's desktop keeps the sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="$flags"

if [ "$headless" = 0 ]; then
  echo "Starting $BUILD/xinghe."
  "$BUILD/xinghe"
  exit 0
fi

# No display: a virtual one the size of the window, a few seconds of the program, a picture.
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 960x622x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
echo "No display: running $BUILD/xinghe under Xvfb ($display) for a few seconds."
DISPLAY="$display" "$BUILD/xinghe" >"$BUILD/xinghe.log" 2>&1 &
app=$!
pids+=($app)
sleep "${XINGHE_RUN_SECONDS:-8}"
if ! kill -0 "$app" 2>/dev/null; then
  echo "run.sh: the program ended early; see $BUILD/xinghe.log" >&2
  exit 1
fi
DISPLAY="$display" import -window root "$BUILD/screenshot.png"
echo "Saved a screenshot of the main window to $BUILD/screenshot.png."
