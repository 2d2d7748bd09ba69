#!/usr/bin/env bash
# A day in an hour for the real program, outside the test command: ten minutes against a server that
# streams a headline every 50 ms and closes the connection every minute. Prints whether the main window
# answered within 1 s throughout and how memory, handles and window objects moved after the first minute.
#   tests/e2e/soak.sh [MINUTES]      (needs a Windows build: build/windows, or CORVANE_BUILD_DIR)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export CORVANE_BUILD_DIR=${CORVANE_BUILD_DIR:-$root/build/windows}
cmake --build "$CORVANE_BUILD_DIR" --target corvane_e2e >/dev/null || exit 1
exec "$root/tests/wine/with-xvfb.sh" python3 "$root/tests/e2e/endurance.py" soak "${1:-10}"
