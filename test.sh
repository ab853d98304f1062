#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, then runs CTest.
#   ./test.sh            all tests
#   ./test.sh --asan     all tests built with AddressSanitizer and UBSan (build-asan/)
#   ./test.sh -R Regex   only the matching tests (other arguments go to ctest)
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake_args=()
if [[ "${1:-}" == "--asan" ]]; then
  shift
  export BUILD_DIR=build-asan
  cmake_args=(-DLUMETRA_SANITIZE=address,undefined -DLUMETRA_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=0
  # Undefined behaviour fails the test that shows it.
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
BUILD_DIR=${BUILD_DIR:-build}
if [[ ${#cmake_args[@]} -gt 0 && ! -f "$BUILD_DIR/build.ninja" ]]; then
  scripts/build.sh "${cmake_args[@]}"
else
  scripts/build.sh
fi
cd "$BUILD_DIR"
ctest -j "$(nproc)" --output-on-failure --timeout 600 "$@"
