#!/usr/bin/env bash
# screenshot.sh OUT.png [WINDOW]
# Saves what the X display in DISPLAY shows as a PNG file. WINDOW is an X window id (decimal or 0x...),
# "root" for the whole screen (the default), or else a window title, of which the first match is taken.
# Wine draws its own frames (Decorated=N), so a top-level window's picture includes its caption.
set -uo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 OUT.png [WINDOW-ID|root|TITLE]" >&2
    exit 2
fi
out=$1
target=${2:-root}
if [ -z "${DISPLAY:-}" ]; then
    echo "screenshot: DISPLAY is not set (run under tests/wine/with-xvfb.sh)" >&2
    exit 1
fi
case $target in
    root) source=(-root) ;;
    0x[0-9a-fA-F]* | [0-9]*) source=(-id "$target") ;;
    *)
        id=$(xdotool search --name "^$target\$" 2>/dev/null | head -n 1)
        if [ -z "$id" ]; then
            echo "screenshot: no window titled \"$target\"" >&2
            exit 1
        fi
        source=(-id "$id")
        ;;
esac
mkdir -p "$(dirname "$out")"
xwd -silent "${source[@]}" | convert xwd:- "png:$out" || { rm -f "$out"; exit 1; }
[ -s "$out" ]
