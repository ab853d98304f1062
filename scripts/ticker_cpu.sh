#!/usr/bin/env bash
# Process CPU share of lumetra-preview while bars scroll at the default speed
# on a virtual display, 10 s per measurement (after 3 s to settle).
#   scripts/ticker_cpu.sh [LOOK ...]     default: all five looks
# One bar per look, then six bars of the gradation and LED looks.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
[[ -f "$BUILD_DIR/build.ninja" ]] || cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$(nproc)" --target lumetra-preview >/dev/null
preview="$BUILD_DIR/bin/lumetra-preview"

# The first free display of :81-:85.
display=""
for n in 81 82 83 84 85; do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || { echo "no free display in :81-:85" >&2; exit 1; }
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

measure() {  # look bars
  "$preview" --look "$1" --bars "$2" --length 1920 --quit-after 14 >/dev/null 2>&1 &
  local pid=$!
  sleep 3
  local t0 w0 t1 w1
  t0=$(ticks $pid); w0=$(date +%s.%N)
  sleep 10
  t1=$(ticks $pid); w1=$(date +%s.%N)
  wait $pid || true
  awk -v d=$((t1 - t0)) -v hz="$hz" -v w0="$w0" -v w1="$w1" -v look="$1" -v bars="$2" \
    'BEGIN { printf "%-10s %d bar(s): %5.2f %% of one core\n", look, bars, 100 * d / hz / (w1 - w0) }'
}

looks=("$@")
[[ ${#looks[@]} -gt 0 ]] || looks=(led simple gradation metallic skin)
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for look in "${looks[@]}"; do measure "$look" 1; done
for look in gradation led; do measure "$look" 6; done
