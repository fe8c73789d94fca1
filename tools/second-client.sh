#!/usr/bin/env bash
# Starts a second client beside the demo's, as the user guest / guest, from
# an installation and a desktop session of its own. Run tools/demo.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
SECOND="$BUILD_DIR/demo/second"
if [ ! -d "$SECOND/Posyvale" ]; then
  cmake --install "$BUILD_DIR" --prefix "$SECOND/Posyvale" >/dev/null
  # The password "guest" in its stored form.
  printf '[Posyvale]\r\nID=guest\r\nPASS=FWGUFUGSGT\r\n' > "$SECOND/Posyvale/Posyvale.ini"
fi
mkdir -p "$SECOND/session"
XDG_RUNTIME_DIR="$(realpath "$SECOND/session")" POSYVALE_SERVICE_HOST=127.0.0.1 "$SECOND/Posyvale/Posyvale"
