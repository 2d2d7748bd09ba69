#!/usr/bin/env bash
# with-xvfb.sh CMD [ARGS...]
# Runs CMD with DISPLAY set to an Xvfb of its own, on the first free display from :90 upwards, and
# returns CMD's exit code. Afterwards it stops that Xvfb and the Wine server of the build tree's prefix,
# so no Wine process stays tied to a display that is gone. Nothing else is touched.
#   CORVANE_BUILD_DIR     the build tree whose prefix the command uses (else the first argument
#                         that lies in a build tree, else the tree around the current directory)
#   CORVANE_XVFB_SCREEN   screen geometry and depth, default 1280x800x24
# Run one of these per build tree at a time: they share the tree's Wine prefix.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

if [ $# -eq 0 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

# The build tree: CORVANE_BUILD_DIR, else the first argument that lies in one (a --test-dir folder,
# a program), else the one around the current folder.
build=${CORVANE_BUILD_DIR:-}
for arg in "$@"; do
    [ -n "$build" ] && break
    [ -e "${arg#--test-dir=}" ] && build=$(corvane_build_dir_of "${arg#--test-dir=}")
done
build=${build:-$(corvane_find_build_dir "$(pwd)")}
export WINEPREFIX
WINEPREFIX=$(corvane_prefix_of "$build")

xvfb_pid=
stop_all() {
    if [ -f "$WINEPREFIX/system.reg" ]; then
        "$(corvane_wineserver)" -k 2>/dev/null
        timeout 10 "$(corvane_wineserver)" -w 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}

# A Wine server left from a run without this display would hand out the old one: let it end first.
if [ -f "$WINEPREFIX/system.reg" ]; then
    timeout 15 "$(corvane_wineserver)" -w 2>/dev/null ||
        echo "with-xvfb: a Wine server of $WINEPREFIX is still running" >&2
fi

# Two runs may pick the same free number at once: the loser's Xvfb exits and it tries the next one.
# Xvfb writes its display number to -displayfd once it accepts connections, so a server that
# answers is known to be this one and not the neighbour's.
ready=$(mktemp)
display=
for number in $(seq 90 189); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    : > "$ready"
    Xvfb ":$number" -screen 0 "${CORVANE_XVFB_SCREEN:-1280x800x24}" -nolisten tcp -nocursor -displayfd 3 \
        3>"$ready" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do
        if [ -s "$ready" ]; then display=:$number; break; fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -n "$display" ] && break
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
done
rm -f "$ready"
if [ -z "$display" ]; then
    echo "with-xvfb: no Xvfb could be started on :90 to :189" >&2
    exit 1
fi

trap 'stop_all; exit 130' INT TERM
DISPLAY=$display "$@"
rc=$?
stop_all
exit $rc
