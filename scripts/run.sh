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
log="$build/demo-server.log"
"$build/tools/demo-server/corvane-demo-server" --port "$port" --data "$root/tools/demo-server/data/headlines.tsv" \
    --banners "$root/tools/demo-server/data" >"$log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null' EXIT INT TERM
# Announced only once the server itself listens: when the port is taken it ends, and so does this script,
# rather than connect to whatever else listens there.
until grep -q "news: listening on" "$log" 2>/dev/null; do
    if ! kill -0 "$server" 2>/dev/null; then
        echo "The demo news server did not start; is port $port (or 15580 for the version page) taken?" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
echo "Demo news server on 127.0.0.1:$port (log: $log). Headlines of the stocks category follow:"
# The client keeps its banners and Setting.ini in a folder of its own in the build tree.
"$build/tools/headless-client/corvane-headless-client" 127.0.0.1 "$port" "${1:-stocks}" --dir "$build/client"
