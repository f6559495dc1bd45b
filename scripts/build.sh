#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configure and build the whole tree into DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
cmake -S "$here" -B "$here/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$here/$dir" -j"$(nproc)"
