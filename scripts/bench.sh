#!/usr/bin/env bash
# Builds and runs one benchmark executable: scripts/bench.sh encodings
# Further arguments go to Google Benchmark (for example --benchmark_filter=Iconv).
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: scripts/bench.sh NAME [benchmark options]}
shift
# ticker-cpu: CPU share of scrolling bars on a virtual display.
[[ "$name" == ticker-cpu ]] && { scripts/setup.sh; exec scripts/ticker_cpu.sh "$@"; }
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
[[ -f "$BUILD_DIR/build.ninja" ]] || cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$(nproc)" --target "bench_$name"
exec "$BUILD_DIR/bench/bench_$name" "$@"
