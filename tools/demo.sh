#!/usr/bin/env bash
# Runs the demo: installs what is missing, builds, installs the client into
# a folder of its own, starts the reference game server on loopback with a
# demo account and starts the client with that login remembered.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build}
BUILD_DIR="$BUILD_DIR" bash tools/build.sh

DEMO_DIR="$BUILD_DIR/demo"
cmake --install "$BUILD_DIR" --prefix "$DEMO_DIR/Posyvale" >/dev/null

SERVER="$BUILD_DIR/bin/posyvaled"
DATABASE="$DEMO_DIR/server.db"
ADDRESS=127.0.0.1
if [ ! -f "$DATABASE" ]; then
  "$SERVER" --db "$DATABASE" add-account demo demo --handle Hana --appearance 1 --x 300 --y 240 --map 0 >/dev/null
  "$SERVER" --db "$DATABASE" add-account guest guest --handle Taro --appearance 2 --x 360 --y 240 --map 0 >/dev/null
fi

# The remembered login: ID "demo" and the password "demo" in its stored form.
INI="$DEMO_DIR/Posyvale/Posyvale.ini"
if [ ! -f "$INI" ]; then
  printf '[Posyvale]\r\nID=demo\r\nPASS=&4&5&=&?\r\n' > "$INI"
fi

"$SERVER" --db "$DATABASE" --address "$ADDRESS" --welcome-ticker "ようこそ Posyvale へ！" \
  2>"$DEMO_DIR/server.log" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null || true' EXIT
sleep 0.5

echo "Game server on $ADDRESS:40000 (log: $DEMO_DIR/server.log). Log in as demo / demo."
echo "A second user: bash tools/second-client.sh (logs in as guest / guest)."
status=0
POSYVALE_SERVICE_HOST=$ADDRESS "$DEMO_DIR/Posyvale/Posyvale" || status=$?
echo "Posyvale ended with status $status."
