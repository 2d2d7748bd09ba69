#!/usr/bin/env bash
# Runs Corvane against the demo news server on this machine.
#
#   bash scripts/run.sh              Corvane.exe under Wine: on your X display when there is one, otherwise
#                                    inside a virtual display (Xvfb), with a screenshot every few seconds
#   bash scripts/run.sh --xvfb       the virtual display even when you have a display of your own
#   bash scripts/run.sh --headless [stocks|futures|forex|gold]
#                                    the headless client instead: it prints each headline as it arrives
#
# Ctrl-C stops everything it started. The program runs from its install folder in the build tree
# (Corvane.exe, skin/ and Setting.ini); Setting.ini there is pointed at the demo server's web host.
#   CORVANE_BUILD_ROOT      where the build trees go (default: build/ in the repository)
#   CORVANE_PORT            the news port (default 15500, the program's own default)
#   CORVANE_HTTP_PORT       the demo server's version page (default 15580)
#   CORVANE_SCREENSHOT_SECONDS   the pause between two screenshots in the virtual display (default 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
builds=${CORVANE_BUILD_ROOT:-$root/build}
native=$builds/run
windows=$builds/run-windows
port=${CORVANE_PORT:-15500}
http_port=${CORVANE_HTTP_PORT:-15580}
pause=${CORVANE_SCREENSHOT_SECONDS:-5}

mode=auto
category=stocks
while [ $# -gt 0 ]; do
    case $1 in
        --headless) mode=headless; [ $# -gt 1 ] && [[ $2 != -* ]] && { category=$2; shift; } ;;
        --xvfb) mode=xvfb ;;
        -h | --help) sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "run.sh: unknown option '$1' (see bash scripts/run.sh --help)" >&2; exit 2 ;;
    esac
    shift
done

mkdir -p "$builds"
# One run at a time: a second one would fight the first over the port and the install folder.
exec 8>"$builds/run.lock"
if ! flock -n 8; then
    echo "Corvane's run script is already running (lock $builds/run.lock). Stop that one first (Ctrl-C in its terminal)." >&2
    exit 1
fi

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for p in "$port" "$http_port"; do
    if port_taken "$p"; then
        echo "Port $p on 127.0.0.1 is already taken by another program, so the demo server cannot start." >&2
        echo "Stop that program (an earlier demo server, perhaps), or choose other ports:" >&2
        echo "  CORVANE_PORT=15600 CORVANE_HTTP_PORT=15680 bash scripts/run.sh" >&2
        exit 1
    fi
done

"$root/scripts/install-deps.sh"

echo "== Building the demo server and the headless client"
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCHMARKS=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$native" -j "$(nproc)" --target corvane-demo-server corvane-headless-client

pids=()
stop_all() {
    # Wine first: the program and its desktop end, and with them the screenshot loop.
    if [ -f "$windows/wineprefix/system.reg" ]; then
        WINEPREFIX=$windows/wineprefix "$(. "$root/tests/wine/wine-env.sh"; corvane_wineserver)" -k 2>/dev/null || true
    fi
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
trap stop_all EXIT
trap 'exit 130' INT TERM

start_demo_server() {  # start_demo_server VERSION
    "$native/tools/demo-server/corvane-demo-server" --port "$port" --http-port "$http_port" --version "$1" \
        --data "$root/tools/demo-server/data/headlines.tsv" --banners "$root/tools/demo-server/data" \
        >"$builds/demo-server.log" 2>&1 &
    pids+=($!)
    # Ready once it says so; a test connection would show up in its log as a client.
    for _ in $(seq 50); do
        grep -q "http: listening" "$builds/demo-server.log" 2>/dev/null && return 0
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    echo "The demo server did not start:" >&2
    cat "$builds/demo-server.log" >&2
    exit 1
}

if [ "$mode" = headless ]; then
    start_demo_server 1.0.1
    echo "Demo news server on 127.0.0.1:$port (log: $builds/demo-server.log). Headlines of the $category category follow:"
    # The client keeps its banners and Setting.ini in a folder of its own in the build tree.
    "$native/tools/headless-client/corvane-headless-client" 127.0.0.1 "$port" "$category" --dir "$native/client"
    exit
fi

echo "== Building Corvane.exe and its install folder"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$windows" -j "$(nproc)" --target corvane_dist
dist=$windows/dist

# Point the program at the demo server: its web host for the version page and the links, and the news
# port. The rest of the install folder's settings stay as the user left them.
# The program keeps the file in UTF-16 with its byte-order mark once it holds Chinese alert rules; the
# edit is made on its UTF-8 text and the file keeps its form.
settings=$dist/Setting.ini
settings_utf16=$([ "$(head -c 2 "$settings" | od -An -tx1 | tr -d ' \n')" = fffe ] && echo 1 || true)
settings_text() { if [ -n "$settings_utf16" ]; then tail -c +3 "$settings" | iconv -f UTF-16LE -t UTF-8; else cat "$settings"; fi; }
settings_from_text() { if [ -n "$settings_utf16" ]; then printf '\377\376'; iconv -f UTF-8 -t UTF-16LE; else cat; fi; }
settings_text | awk -v web="http://127.0.0.1:$http_port" -v port="$port" '
    { sub(/\r$/, "") }
    /^\[/ { in_connection = (tolower($0) == "[connection]") }
    in_connection && tolower($0) ~ /^(website|port|server)=/ { next }
    { print $0 "\r" }
    tolower($0) == "[connection]" { print "Server=127.0.0.1\r"; print "Port=" port "\r"; print "WebSite=" web "\r"; seen = 1 }
    END { if (!seen) { print "[Connection]\r"; print "Server=127.0.0.1\r"; print "Port=" port "\r"; print "WebSite=" web "\r" } }
' | settings_from_text >"$settings.new" && mv "$settings.new" "$settings"
# The version page names the installed version, so the program starts without offering an update.
version=$(settings_text | tr -d '\r' | sed -n 's/^[Vv]ersion=//p' | head -n 1)
start_demo_server "${version:-1.0.1}"
echo "Demo news server on 127.0.0.1:$port, version page on http://127.0.0.1:$http_port/version.html (log: $builds/demo-server.log)"

export CORVANE_BUILD_DIR=$windows
if [ "$mode" = auto ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "== Corvane.exe from $dist on your display $DISPLAY. Its tray icon's menu (right click) ends it; Ctrl-C here too."
    cd "$dist"
    "$root/tests/wine/wine-run.sh" "$dist/Corvane.exe" &
    pids+=($!)
    wait "${pids[-1]}" || true
    exit 0
fi

shots=$windows/run-screenshots
mkdir -p "$shots"
rm -f "$shots"/*.png
echo "== Corvane.exe from $dist in a virtual display (no display of your own, or --xvfb)."
echo "   A screenshot every $pause seconds goes to $shots (latest.png is the newest). Ctrl-C ends the run."
"$root/tests/wine/with-xvfb.sh" bash -c '
    cd "$1"
    # A virtual desktop with a taskbar, so the tray icon and its balloons show in the screenshots.
    "$2/tests/wine/wine-run.sh" explorer /desktop=Corvane,1280x800 "$1/Corvane.exe" &
    program=$!
    n=0
    while kill -0 "$program" 2>/dev/null; do
        sleep "$4"
        n=$((n + 1))
        shot=$(printf "%s/%04d.png" "$3" "$n")
        "$2/tests/wine/screenshot.sh" "$shot" 2>/dev/null && cp "$shot" "$3/latest.png" && echo "   screenshot $shot"
    done
    wait "$program"
' run "$dist" "$root" "$shots" "$pause" &
pids+=($!)
wait "${pids[-1]}" || true
