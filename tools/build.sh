#!/usr/bin/env bash
# Installs what is missing and builds everything into $BUILD_DIR (build/).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$(nproc)"
