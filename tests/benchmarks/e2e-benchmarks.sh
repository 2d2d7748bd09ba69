#!/usr/bin/env bash
# Figures of the real program under Wine, each beside the figure that bounds it: start-up, a live frame to
# its row and to its pop-up entry, idle CPU, private memory after many headlines, and the download size.
# Prints figures; fails only when the program cannot be run. "--quick" takes fewer samples.
#   tests/benchmarks/e2e-benchmarks.sh [--quick]      (needs a Windows build: build/windows, or CORVANE_BUILD_DIR)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export CORVANE_BUILD_DIR=${CORVANE_BUILD_DIR:-$root/build/windows}
cmake --build "$CORVANE_BUILD_DIR" --target corvane_e2e >/dev/null || exit 1
exec "$root/tests/wine/with-xvfb.sh" python3 "$root/tests/e2e/endurance.py" benchmarks "$@"
