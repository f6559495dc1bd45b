#!/usr/bin/env bash
# Installs the packages, builds from scratch and runs every test suite.
# With --sanitize: the same suite built with ASan+UBSan (into build-asan).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  bash "$here/scripts/build.sh" build-asan -DZANDRI_SANITIZE=ON -DZANDRI_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  cd "$here/build-asan" && ctest --output-on-failure -j2 --timeout 300
else
  bash "$here/scripts/build.sh" build
  cd "$here/build" && ctest --output-on-failure -j2 --timeout 300
fi
