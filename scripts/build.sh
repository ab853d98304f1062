#!/usr/bin/env bash
# Configures (once) and builds incrementally. BUILD_DIR and extra CMake
# arguments may be given: scripts/build.sh -DLUMETRA_SANITIZE=address,undefined
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [[ ! -f "$BUILD_DIR/build.ninja" || $# -gt 0 ]]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
