#!/usr/bin/env bash
# review-screenshots.sh WINDOWS-BUILD-DIR DEMO-SERVER
# Screenshots of the real program for review, taken as a user works with it: Corvane.exe from a scratch
# copy of the install folder, in a virtual desktop with a taskbar, against the demo news server on ports
# of its own. Real mouse clicks through xdotool. Saves into WINDOWS-BUILD-DIR/screenshots/:
#   app-balloon.png   the desktop with the tray balloon of the connection
#   app-tray-menu.png the tray icon's menu
#   app-about.png     the About box
#   app-main.png      the main window connected, with the stocks headlines
#   app-wide.png      the main window widened by its bottom-right corner
#   app-popup.png     the desktop with live headlines popped up at the lower right
# Run it inside tests/wine/with-xvfb.sh. It stops what it started.
set -euo pipefail
build=$(cd "$1" && pwd)
server_program=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_scripts=$here/../../wine
shots=$build/screenshots
mkdir -p "$shots"
export CORVANE_BUILD_DIR=$build

scratch=$(mktemp -d)
cp -r "$build/dist/." "$scratch/"
rm -f "$scratch"/[123].jpg
port=15710
http_port=15790
# The install folder's version, which the demo server's version page names too: no update is offered.
version=$(tr -d '\r' <"$scratch/Setting.ini" | sed -n 's/^Version=//p')
printf '[Connection]\r\nServer=127.0.0.1\r\nPort=%s\r\nVersion=%s\r\nWebSite=http://127.0.0.1:%s\r\n' "$port" "$version" "$http_port" \
    >"$scratch/Setting.ini.connection"
tr -d '\r' <"$scratch/Setting.ini" | sed -n '/^\[Properties\]/,$p' | sed 's/$/\r/' >>"$scratch/Setting.ini.connection"
mv "$scratch/Setting.ini.connection" "$scratch/Setting.ini"

"$server_program" --port "$port" --http-port "$http_port" --pace-ms 3000 --version "$version" \
    --data "$here/../../../tools/demo-server/data/headlines.tsv" --banners "$here/../../../tools/demo-server/data" \
    >"$shots/app-demo-server.log" 2>&1 &
server=$!
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    . "$wine_scripts/wine-env.sh"
    WINEPREFIX=$(corvane_prefix_of "$build") "$(corvane_wineserver)" -k 2>/dev/null || true
    kill "$server" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

"$wine_scripts/wine-run.sh" explorer /desktop=Review,1280x800 "$scratch/Corvane.exe" &
program=$!

shot() { "$wine_scripts/screenshot.sh" "$shots/$1.png" root || { sleep 1; "$wine_scripts/screenshot.sh" "$shots/$1.png" root; } || echo "no screenshot $1" >&2; }
crop() {  # crop NAME X Y W H: the part of the screen where a window is
    "$wine_scripts/screenshot.sh" "$shots/$1.png" root && convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage "$shots/$1.png"
}

# The window opens centred on the screen (Wine reports the whole screen as the work area).
left=$(((1280 - 600) / 2))
top=$(((800 - 430) / 2))
for _ in $(seq 100); do xdotool search --name 'Tessaly财经资讯' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 3  # the desktop shows a balloon a moment after it is asked for
shot app-balloon

# The tray menu, before any pop-up covers the corner: a right click on the icon at the right end of the taskbar.
xdotool mousemove 1266 788 click 3
sleep 1.5
shot app-tray-menu
xdotool key Escape
sleep 0.5

# The About box from the person button of the title area.
xdotool mousemove $((left + 600 - 90 + 9)) $((top + 2 + 9)) click 1
sleep 1.5
shot app-about
xdotool key Return
sleep 0.5

sleep 4  # connected at the supervisor's next look, the stocks history listed
crop app-main "$left" "$top" 600 430

# Widen by dragging the bottom-right corner 250 pixels to the right and 60 down.
xdotool mousemove $((left + 596)) $((top + 426)) mousedown 1 sleep 0.2 mousemove $((left + 700)) $((top + 450)) \
    sleep 0.2 mousemove $((left + 846)) $((top + 486)) sleep 0.2 mouseup 1
sleep 1.5
crop app-wide "$left" "$top" 850 490
sleep 3
# Wine's sizing loop in a virtual desktop raises the main window's X window over the pop-up, although in
# Wine's own z-order (what the program and every Windows call see) the topmost pop-up stays above it. The
# pop-up's X window is raised back, so the picture shows what a Windows desktop shows. (Wine's taskbar
# also lists the pop-up, tool window or not: Windows' taskbar leaves tool windows out.)
xdotool search --name '^讯息提示$' windowraise >/dev/null 2>&1 || true
sleep 0.5
shot app-popup
echo "review screenshots in $shots"
