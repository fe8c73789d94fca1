#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing, starts a
# virtual X server for the window tests and runs CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
BUILD_DIR="$BUILD_DIR" bash tools/build.sh

# A display of our own for the window tests.
display_number=$((90 + RANDOM % 100))
while [ -e "/tmp/.X11-unix/X$display_number" ] || [ -e "/tmp/.X$display_number-lock" ]; do
  display_number=$((display_number + 1))
done
Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display_number" ] && break
  sleep 0.1
done
export DISPLAY=":$display_number"

# Single-instance sockets and other per-session files stay inside the run.
runtime_dir=$(mktemp -d)
export XDG_RUNTIME_DIR="$runtime_dir"
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$runtime_dir"' EXIT

ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 300
