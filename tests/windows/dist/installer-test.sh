#!/usr/bin/env bash
# installer-test.sh SETUP.exe PORTABLE.zip INPUT-DIR PROBE.exe VERSION
# The installer's life under Wine, in a fresh prefix of its own (the build tree's shared prefix stays
# clean): a silent install, the program it installed, an upgrade over a running copy, a silent
# uninstall, a second uninstall, the pages a user clicks through (saved as screenshots under
# <build>/screenshots/installer/), and the portable zip. Needs DISPLAY (tests/wine/with-xvfb.sh).
# The installed program is connected to the demo news server: CORVANE_DEMO_SERVER, else the one of
# the native build tree beside this one (build/native), when it is there.
set -uo pipefail
if [ $# -ne 5 ]; then
    echo "usage: $0 SETUP.exe PORTABLE.zip INPUT-DIR PROBE.exe VERSION" >&2
    exit 2
fi
setup=$1 zip=$2 input=$3 probe=$4 version=$5
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$root/tests/wine/wine-env.sh"
build=${CORVANE_BUILD_DIR:?CORVANE_BUILD_DIR is not set}
if [ -z "${DISPLAY:-}" ]; then
    echo "installer-test: DISPLAY is not set (run under tests/wine/with-xvfb.sh)" >&2
    exit 1
fi

work=$build/installer-test
shots=$build/screenshots/installer
mkdir -p "$work" "$shots"

# A prepared prefix is kept as a template; every run starts from a fresh copy of it.
CORVANE_WINEPREFIX=$work/template-prefix corvane_prepare_prefix || exit 1
export WINEPREFIX=$work/prefix
rm -rf "$WINEPREFIX" && cp -a "$work/template-prefix" "$WINEPREFIX" || exit 1
wine=$(corvane_wine_binary)
server=$(corvane_wineserver)
demo_pid=
failures=0
# Whatever happens, nothing of this run outlives it: the prefix's programs and the demo server. The
# prefix itself (some 700 MB) stays only when something failed, for a look inside.
cleanup() {
    "$server" -k 2>/dev/null
    timeout 10 "$server" -w 2>/dev/null
    if [ -n "$demo_pid" ]; then
        kill "$demo_pid" 2>/dev/null
        wait "$demo_pid" 2>/dev/null
    fi
    [ "$failures" -eq 0 ] && rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
users=$(cd "$WINEPREFIX/drive_c/users" && ls -d */AppData/Local | grep -v '^Public/' | head -n 1)
user=${users%%/*}
profile=$WINEPREFIX/drive_c/users/$user
# A fresh prefix links the desktop and documents to the home folder: shortcuts made here must stay here.
for link in "$profile"/*; do
    [ -L "$link" ] && rm "$link" && mkdir "$link"
done

inst=$profile/AppData/Local/Programs/Corvane
inst_w="C:\\users\\$user\\AppData\\Local\\Programs\\Corvane"
start_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Corvane.lnk"
desktop="$profile/Desktop/Corvane.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
title='Tessaly财经资讯'
setup_title="Corvane $version 安装"
uninstall_title="Corvane $version 卸载"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...: the command must succeed
    local what=$1; shift
    "$@" || fail "$what"
}
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
run() { "$wine" "$@" 2>/dev/null; }
probe() { run "$probe" "$@"; }
# Waits until every program in the prefix has ended (the Wine server then ends too); a program the
# installer should have ended keeps it waiting, which fails the step and ends that program.
settle() {
    if ! timeout 60 "$server" -w; then
        fail "$1: a program of the prefix was still running a minute later"
        "$server" -k
        timeout 10 "$server" -w
    fi
}
# A Setting.ini's text: the program keeps it in UTF-16 with its byte-order mark once it holds Chinese rules.
ini_text() {
    if [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = fffe ]; then tail -c +3 "$1" | iconv -f UTF-16LE -t UTF-8
    else cat "$1"; fi
}
ini_has() { ini_text "$1" | tr -d '\r' | grep -qx "$2"; }
start_program() {  # start_program EXE STEP: starts it and waits for its main window
    "$wine" "$1" >/dev/null 2>&1 &
    check "$2: the program shows its main window" probe window "$title" 30
}
reg_value() {  # reg_value NAME: the data of one value of the uninstall key, as reg.exe prints it
    run reg query "$key" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 \{1,\}REG_[A-Z_]* \{1,\}//p"
}
# The start-at-logon value of HKCU or HKLM, as reg.exe prints it.
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
run_value() { run reg query "$1\\$run_key" /v Corvane | tr -d '\r' | sed -n 's/^ *Corvane \{1,\}REG_SZ \{1,\}//p'; }
set_run_value() { run reg add "$1\\$run_key" /v Corvane /d "$2" /f >/dev/null; }
shot() {  # shot NAME WINDOW-TITLE|root [SECONDS]: after a pause for painting, saves a picture for review
    local target=$2
    # The installer's pages append a blank to its caption.
    [ "$target" = root ] || target="$target *"
    sleep "${3:-0.5}"
    "$root/tests/wine/screenshot.sh" "$shots/$1.png" "$target" || fail "no screenshot of $1"
}

echo "[${SECONDS}s] == Silent install into a fresh prefix"
run "$(windows_path "$setup")" /S
check "silent install exits with 0" test $? -eq 0
settle "silent install"
# The larger skin scales by name too, so an install folder that lost them cannot pass.
for file in Corvane.exe uninstall.exe Setting.ini skin/150/bg.jpg skin/200/exit.png $(cd "$input" && find skin -type f); do
    check "installed: $file" test -f "$inst/$file"
done
# Setting.ini and what a run of the program writes beside itself are not the package's to copy.
(cd "$input" && find . -type f ! -name Setting.ini ! -name '[123].jpg' ! -name '*.part') | while read -r file; do
    cmp -s "$input/$file" "$inst/$file" || echo "FAIL: installed $file differs from the install folder's"
done | grep . && fail "installed files differ"
check "Setting.ini keeps the defaults" ini_has "$inst/Setting.ini" "HexunGPShow=1"
check "Setting.ini names the installed version" ini_has "$inst/Setting.ini" "Version=$version"
check "Start-menu shortcut" test -f "$start_menu"
check "desktop shortcut" test -f "$desktop"
for lnk in "$start_menu" "$desktop"; do
    target=$(probe shortcut "$(windows_path "$lnk")" | tr -d '\r')
    [ "$target" = "$inst_w\\Corvane.exe" ] || fail "shortcut $(basename "$(dirname "$lnk")") points to '$target'"
done
while IFS='|' read -r name expected; do
    actual=$(reg_value "$name")
    [ "$actual" = "$expected" ] || fail "uninstall entry $name is '$actual', expected '$expected'"
done <<EOF
DisplayName|Corvane
DisplayVersion|$version
Publisher|Tessaly
DisplayIcon|$inst_w\\Corvane.exe,0
InstallLocation|$inst_w
UninstallString|"$inst_w\\uninstall.exe"
QuietUninstallString|"$inst_w\\uninstall.exe" /S
NoModify|0x1
EOF
size=$(reg_value EstimatedSize)
size_kb=$(du -sk "$inst" | cut -f1)
[ -n "$size" ] && [ $((size)) -gt $((size_kb / 2)) ] && [ $((size)) -le $((size_kb * 2)) ] ||
    fail "uninstall entry EstimatedSize '$size' does not match the folder's $size_kb KB"
check "the program's version resource names $version" test "$(probe version "$inst_w\\Corvane.exe" | tr -d '\r')" = "$version"

echo "[${SECONDS}s] == The installed program starts"
demo=${CORVANE_DEMO_SERVER:-$build/../native/tools/demo-server/corvane-demo-server}
if [ -x "$demo" ]; then
    # Against the demo server: its version page names the version the installer wrote, so the
    # program goes on, connects and asks for the first category's history.
    http_port=$((20000 + RANDOM % 20000))
    "$demo" --port 0 --http-port "$http_port" --version "$version" >"$work/demo-server.log" 2>&1 &
    demo_pid=$!
    for _ in $(seq 50); do grep -q 'news: listening' "$work/demo-server.log" && break; sleep 0.1; done
    port=$(sed -n 's/.*news: listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/demo-server.log")
    sed -i "s|^\[Connection\]\r*\$|[Connection]\r\nServer=127.0.0.1\r\nPort=$port\r\nWebSite=http://127.0.0.1:$http_port\r|" "$inst/Setting.ini"
else
    echo "(no demo server at $demo: the program is not connected)"
fi
start_program "$inst/Corvane.exe" "installed"
if [ -n "$demo_pid" ]; then
    for _ in $(seq 150); do grep -q 'client 1: history of' "$work/demo-server.log" && break; sleep 0.2; done
    check "the installed program connects to the demo server" grep -q 'client 1: history of' "$work/demo-server.log"
    sleep 2
    check "the installed program still runs after its version check" probe window "$title" 0
    check "the installed program wrote its banners beside itself" test -f "$inst/1.jpg"
fi
shot program "$title"

echo "[${SECONDS}s] == Upgrade over the running copy keeps the user's settings"
sed -i 's/^HexunGPShow=1/HexunGPShow=0/; s/^Version=.*/Version=0.9.0/' "$inst/Setting.ini"
printf '[Test]\r\nKept=yes\r\n[Alerts]\r\nCount=1\r\nRule1="美联储 加息"\r\n' >> "$inst/Setting.ini"
# As the program leaves it after the user's first Chinese rule on a Western Windows.
{ printf '\377\376'; iconv -f UTF-8 -t UTF-16LE "$inst/Setting.ini"; } > "$work/Setting.utf16" && mv "$work/Setting.utf16" "$inst/Setting.ini"
echo "banner" > "$inst/1.jpg"
echo "damaged" > "$inst/skin/bg.jpg"
rm "$desktop"
run "$(windows_path "$setup")" /S
check "upgrade exits with 0" test $? -eq 0
settle "upgrade"
check "the upgrade ended the running copy" test "$(probe window "$title" 0; echo $?)" = 1
check "upgrade keeps a changed key" ini_has "$inst/Setting.ini" "HexunGPShow=0"
check "upgrade keeps an added key" ini_has "$inst/Setting.ini" "Kept=yes"
check "upgrade keeps the alert rules and the file's UTF-16 form" ini_has "$inst/Setting.ini" 'Rule1="美联储 加息"'
check "upgrade keeps the file's byte-order mark" test "$(head -c 2 "$inst/Setting.ini" | od -An -tx1 | tr -d ' \n')" = fffe
check "upgrade names the new version" ini_has "$inst/Setting.ini" "Version=$version"
check "upgrade keeps the banners" test -f "$inst/1.jpg"
check "upgrade replaces the program's files" cmp -s "$input/skin/bg.jpg" "$inst/skin/bg.jpg"
check "upgrade makes the shortcuts again" test -f "$desktop"

echo "[${SECONDS}s] == Silent uninstall of a running copy keeps only the settings"
start_program "$inst/Corvane.exe" "before uninstall"
# Registered to start at logon for this user, as the settings dialog does it, while the machine's value
# names another copy of the same name.
other_copy='"C:\Other\Corvane\Corvane.exe"'
set_run_value HKCU "\"$inst_w\\Corvane.exe\""
set_run_value HKLM "$other_copy"
cp "$inst/uninstall.exe" "$work/uninstall-copy.exe"
echo "partial" > "$inst/2.jpg.part"
run "$inst_w\\uninstall.exe" /S
check "silent uninstall exits with 0" test $? -eq 0
settle "silent uninstall"
for gone in "$inst/Corvane.exe" "$inst/uninstall.exe" "$inst/skin" "$inst/2.jpg.part" "$start_menu" "$desktop"; do
    check "uninstall removes ${gone#"$profile"/}" test ! -e "$gone"
done
check "uninstall removes the uninstall entry" test -z "$(reg_value DisplayName)"
check "silent uninstall keeps Setting.ini" ini_has "$inst/Setting.ini" "HexunGPShow=0"
check "silent uninstall keeps the banners" test -f "$inst/1.jpg"
check "silent uninstall clears the user's start at logon" test -z "$(run_value HKCU)"
check "silent uninstall leaves another copy's start at logon" test "$(run_value HKLM)" = "$other_copy"

echo "[${SECONDS}s] == A second uninstall does no harm"
# Once over the uninstalled folder, and once from a folder where nothing was installed but which
# holds a skin folder and settings of its own.
rm -rf "$work/elsewhere"
mkdir -p "$work/elsewhere/skin"
cp "$inst/Setting.ini" "$work/elsewhere/Setting.ini"
touch "$work/elsewhere/skin/mine.png" "$work/elsewhere/Corvane.txt"
cp "$work/uninstall-copy.exe" "$work/elsewhere/uninstall-copy.exe"
before=$(cd "$work" && find elsewhere "${inst#"$work"/}" 2>/dev/null | sort; md5sum "$inst/Setting.ini" "$inst/1.jpg")
run "$(windows_path "$work/uninstall-copy.exe")" /S "_?=$inst_w"
check "a second uninstall over the folder reports that nothing is installed there" test $? -ne 0
run "$(windows_path "$work/elsewhere/uninstall-copy.exe")" /S
settle "second uninstall"
after=$(cd "$work" && find elsewhere "${inst#"$work"/}" 2>/dev/null | sort; md5sum "$inst/Setting.ini" "$inst/1.jpg")
check "a second uninstall changes nothing" test "$before" = "$after"
check "a second uninstall leaves other folders alone" test -f "$work/elsewhere/skin/mine.png"

echo "[${SECONDS}s] == A silent install into a chosen folder"
chosen=$WINEPREFIX/drive_c/Desk/Corvane
run "$(windows_path "$setup")" /S '/D=C:\Desk\Corvane'
check "silent install with /D= exits with 0" test $? -eq 0
settle "silent install with /D="
check "installed into the chosen folder" test -f "$chosen/Corvane.exe"
check "the uninstall entry names the chosen folder" test "$(reg_value InstallLocation)" = 'C:\Desk\Corvane'
run 'C:\Desk\Corvane\uninstall.exe' /S
settle "silent uninstall from the chosen folder"
check "uninstalled from the chosen folder" test ! -e "$chosen/Corvane.exe"
check "the uninstall entry is gone" test -z "$(reg_value DisplayName)"

echo "[${SECONDS}s] == The pages a user clicks through"
"$wine" "$(windows_path "$setup")" >/dev/null 2>&1 &
check "welcome page" probe wait-text "$setup_title" "下一步(N) >"
shot setup-1-welcome "$setup_title"
probe click "$setup_title" "#1"
check "folder page" probe wait-text "$setup_title" "浏览(B)..."
shot setup-2-folder "$setup_title"
probe click "$setup_title" "#1"
check "components page" probe wait-text "$setup_title" "安装(I)"
shot setup-3-components "$setup_title"
probe click "$setup_title" "#1"
check "finish page" probe wait-text "$setup_title" "完成(F)"
shot setup-4-finish "$setup_title"
probe click "$setup_title" "#1"
check "the finish page starts the program" probe window "$title" 30

# Registered to start at logon for this user and, by an administrator, for the machine.
for hive in HKCU HKLM; do
    set_run_value $hive "\"$inst_w\\Corvane.exe\""
    check "registered to start at logon in $hive" test "$(run_value $hive)" = "\"$inst_w\\Corvane.exe\""
done
"$wine" "$inst_w\\uninstall.exe" >/dev/null 2>&1 &
remove_settings="同时删除我的设置（Setting.ini）和广告图片"
check "the uninstaller asks to end the running copy" probe wait-text "$uninstall_title" "#2"
shot uninstall-1-running "$uninstall_title"
probe click "$uninstall_title" "#1"
check "uninstall options page" probe wait-text "$uninstall_title" "$remove_settings"
probe click "$uninstall_title" "$remove_settings"
shot uninstall-2-options "$uninstall_title"
probe click "$uninstall_title" "#1"
check "uninstall finish page" probe wait-text "$uninstall_title" "完成(F)"
shot uninstall-3-finish "$uninstall_title"
probe click "$uninstall_title" "#1"
settle "interactive uninstall"
check "removing the settings too leaves no folder" test ! -e "$inst"
for hive in HKCU HKLM; do
    check "uninstall clears the start at logon in $hive" test -z "$(run_value $hive)"
done

echo "[${SECONDS}s] == The portable zip"
rm -rf "$work/portable" && mkdir "$work/portable"
if (cd "$work/portable" && cmake -E tar xf "$zip"); then
    diff -r -x '[123].jpg' -x '*.part' "$input" "$work/portable/Corvane" >/dev/null ||
        fail "the portable zip's Corvane folder differs from the install folder"
    start_program "$work/portable/Corvane/Corvane.exe" "portable"
else
    fail "the portable zip does not unpack"
fi

echo "Screenshots in $shots"
if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "all passed"
exit 0
