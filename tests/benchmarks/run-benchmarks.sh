#!/usr/bin/env bash
# Builds the core's benchmarks in a Release native build (no sanitizers) and runs them. Prints the figures
# and their ratios against memcpy and the plain socket; the figures are for reading, never a pass or fail.
# Usage: tests/benchmarks/run-benchmarks.sh [build-dir] [extra Google Benchmark flags...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-${CORVANE_BUILD_ROOT:-$root/build}/benchmarks}
shift || true

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_SANITIZE= -DCORVANE_BENCHMARKS=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j 2 --target corvane_benchmarks

json="$build/benchmarks.json"
"$build/tests/benchmarks/corvane_benchmarks" --benchmark_out="$json" --benchmark_out_format=json "$@"

command -v python3 >/dev/null || exit 0
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type") == "iteration"}
def rate(name, key="bytes_per_second"):
    return runs[name][key] if name in runs and key in runs[name] else None
def show(label, name, base, baseLabel):
    mine, theirs = rate(name), rate(base)
    if mine and theirs:
        print(f"  {label:<42} {mine / 2**20:9.1f} MiB/s {rate(name, 'items_per_second'):11.0f} items/s"
              f"   1/{theirs / mine:.1f} of {baseLabel}")
print("\nRatios (same run):")
show("decode MSG_NEWS into NewsItem", "BM_DecodeNewsFrames", "BM_MemcpyNewsFrames", "memcpy")
show("queue push + PopNews", "BM_QueuePushAndPopNews", "BM_MemcpyNewsFrames", "memcpy")
for pause in ("100", "0"):
    show(f"CConnection history burst, {pause} ms pause", f"BM_ConnectionTakesInHistoryBurst/{pause}/iterations:10/manual_time",
         "BM_PlainSocketReadsHistoryBurst/iterations:10/manual_time", "the plain socket")
decode = rate("BM_DecodeNewsFrames", "items_per_second")
for matching, label in (("0", "none matches"), ("1", "the last matches")):
    match = rate(f"BM_MatchAlertRules/{matching}", "items_per_second")
    if match and decode:
        print(f"  {'match 100 alert rules, ' + label:<42} {1e9 / match:9.0f} ns/headline {match:11.0f} items/s"
              f"   {decode / match:.2f} x decoding it")
live = "BM_ConnectionTakesInLiveStream/iterations:5/manual_time"
show("CConnection live stream, product timings", live, "BM_PlainSocketReadsHistoryBurst/iterations:10/manual_time",
     "the plain socket")
if live in runs and "last_delay_ms" in runs[live]:
    print(f"  {'live stream: delay of the last headline':<42} {runs[live]['last_delay_ms']:9.1f} ms")
PY
