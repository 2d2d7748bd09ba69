#!/usr/bin/env bash
# Runs Corvane against the demo news server on this machine. For now the client is the headless one:
# it prints each headline as it arrives. Ctrl-C stops both.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_BUILD_ROOT:-$root/build}/run
"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCHMARKS=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target corvane-demo-server corvane-headless-client

port=${CORVANE_PORT:-15500}
"$build/tools/demo-server/corvane-demo-server" --port "$port" --data "$root/tools/demo-server/data/headlines.tsv" \
    --banners "$root/tools/demo-server/data" >"$build/demo-server.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT INT TERM
sleep 0.5
echo "Demo news server on 127.0.0.1:$port (log: $build/demo-server.log). Headlines of the stocks category follow:"
"$build/tools/headless-client/corvane-headless-client" 127.0.0.1 "$port" "${1:-stocks}"
