#!/usr/bin/env bash
# Start-up time and resting memory of the program against a bare Qt Widgets program that
# shows one empty 960x622 window with one browser view (bench_startup_bare), measured side by
# side in one run. Prints both and their ratios; targets: at most 1.5x for each.
#
#   bench/bench_startup.sh [BUILD_DIR]      (default: build)
#
# Time: hyperfine runs each program to the first paint of its window
# (XINGHE_EXIT_AT_FIRST_PAINT makes both end there). Memory: each program is left at rest for
# a few seconds, then the resident memory (RSS, and PSS which counts shared pages once) of
# the program and every process it started is summed from /proc.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
program="$BUILD/xinghe"
bare="$BUILD/bench/bench_startup_bare"
runs=${XINGHE_BENCH_RUNS:-10}
rest_seconds=${XINGHE_BENCH_REST:-8}
for f in "$program" "$bare" "$BUILD/xinghe-demo-site"; do
  [ -x "$f" ] || { echo "bench_startup: $f is missing; build first" >&2; exit 2; }
done

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

# A display of our own unless there is one, so both programs paint for real.
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 140 180); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; break; fi
  done
  Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"

# The demo site answers the program's version check, so the program rests as it would.
ports=$(mktemp)
"$BUILD/xinghe-demo-site" >"$ports" &
pids+=($!)
for _ in $(seq 50); do grep -q '^https ' "$ports" && break; sleep 0.1; done
http_port=$(sed -n 's/^http 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$ports")
rm -f "$ports"
connect_to=()
for host in $("$BUILD/xinghe-demo-site" --hosts); do connect_to+=("$host:80:127.0.0.1:$http_port"); done
export XINGHE_CONNECT_TO=$(IFS=,; echo "${connect_to[*]}")

echo "== start to first paint ($runs runs each)"
csv=$(mktemp)
XINGHE_EXIT_AT_FIRST_PAINT=1 hyperfine --warmup 2 --runs "$runs" --style basic --export-csv "$csv" \
  -n bare "$bare" -n xinghe "$program"
bare_mean=$(awk -F, '$1=="bare"{print $2}' "$csv")
program_mean=$(awk -F, '$1=="xinghe"{print $2}' "$csv")
rm -f "$csv"

# The kB of RSS and of PSS of a process and all of its descendants.
tree_memory() {
  local root=$1 all=($1) frontier=($1) next pid
  while [ ${#frontier[@]} -gt 0 ]; do
    next=()
    for pid in "${frontier[@]}"; do
      for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do next+=("$child"); done
    done
    all+=("${next[@]}")
    frontier=("${next[@]}")
  done
  local rss=0 pss=0 r p
  for pid in "${all[@]}"; do
    r=$(awk '/^Rss:/{print $2}' /proc/"$pid"/smaps_rollup 2>/dev/null || echo 0)
    p=$(awk '/^Pss:/{print $2}' /proc/"$pid"/smaps_rollup 2>/dev/null || echo 0)
    rss=$((rss + ${r:-0}))
    pss=$((pss + ${p:-0}))
  done
  echo "$rss $pss ${#all[@]}"
}

measure_rest() {
  "$1" >/dev/null 2>&1 &
  local pid=$!
  sleep "$rest_seconds"
  tree_memory "$pid"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  sleep 1
}

echo "== resident memory at rest after ${rest_seconds} s (all processes)"
read -r bare_rss bare_pss bare_count < <(measure_rest "$bare")
read -r program_rss program_pss program_count < <(measure_rest "$program")
printf '  bare:   RSS %6d kB  PSS %6d kB  (%d processes)\n' "$bare_rss" "$bare_pss" "$bare_count"
printf '  xinghe: RSS %6d kB  PSS %6d kB  (%d processes)\n' "$program_rss" "$program_pss" "$program_count"

echo "== ratios (target: at most 1.5x)"
awk -v p="$program_mean" -v b="$bare_mean" 'BEGIN{printf "  start to first paint: %.3f s vs %.3f s = %.2fx\n", p, b, p/b}'
awk -v p="$program_rss" -v b="$bare_rss" 'BEGIN{printf "  resident memory (RSS): %.2fx\n", p/b}'
awk -v p="$program_pss" -v b="$bare_pss" 'BEGIN{printf "  resident memory (PSS): %.2fx\n", p/b}'
