# Sourced by the Wine scripts: picks the test prefix inside the build tree and prepares it once.
#   CORVANE_WINEPREFIX  overrides the prefix folder
#   CORVANE_BUILD_DIR   the build tree that holds the prefix (found from the caller otherwise)

corvane_find_build_dir() {
    local dir=$1
    while [ "$dir" != "/" ] && [ -n "$dir" ]; do
        [ -f "$dir/CMakeCache.txt" ] && { echo "$dir"; return 0; }
        dir=$(dirname "$dir")
    done
    pwd
}

corvane_wine_binary() {
    # Debian's wine64 package puts the 64-bit loader here; the plain "wine" front end
    # complains about the missing 32-bit half on every start.
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

corvane_prepare_prefix() {
    export WINEPREFIX=${CORVANE_WINEPREFIX:-${CORVANE_BUILD_DIR:-$(pwd)}/wineprefix}
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEARCH=win64
    local stamp="$WINEPREFIX/.corvane-ready"
    [ -f "$stamp" ] && return 0
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        [ -f "$stamp" ] && exit 0
        # No Mono or Gecko download prompts: nothing may be fetched, and tests have no one to click.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
        local reg="$WINEPREFIX/corvane.reg"
        cat > "$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\MSHTML]
"GeckoUrl"=""
REG
        "$(corvane_wine_binary)" regedit /S "$(winepath -w "$reg" 2>/dev/null || echo "$reg")" >/dev/null 2>&1
        wineserver -w
        touch "$stamp"
    ) 9>"$WINEPREFIX.lock"
}
