# shellcheck shell=bash
# Sourced by the Wine scripts: picks the test prefix inside the build tree and prepares it once.
#   CORVANE_WINEPREFIX  overrides the prefix folder
#   CORVANE_BUILD_DIR   the build tree that holds the prefix (found from the caller otherwise)

corvane_build_dir_of() {  # corvane_build_dir_of PATH: the CMake build tree holding PATH, or fails
    local dir
    dir=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || return 1
    dir=$dir/$(basename "$1")
    while [ "$dir" != "/" ] && [ -n "$dir" ]; do
        [ -f "$dir/CMakeCache.txt" ] && { echo "$dir"; return 0; }
        dir=$(dirname "$dir")
    done
    return 1
}

corvane_find_build_dir() {  # corvane_find_build_dir DIR: the build tree holding DIR, else the current folder
    corvane_build_dir_of "$1" || pwd
}

corvane_wine_binary() {
    # Debian's wine64 package puts the 64-bit loader here; the plain "wine" front end
    # complains about the missing 32-bit half on every start.
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

corvane_wineserver() {  # the server binary; with WINEPREFIX set, "-k" stops and "-w" awaits that prefix's server
    if [ -x /usr/lib/wine/wineserver64 ]; then echo /usr/lib/wine/wineserver64; else command -v wineserver; fi
}

corvane_prefix_of() {  # corvane_prefix_of BUILD-DIR: where that tree's tests keep their prefix
    echo "${CORVANE_WINEPREFIX:-$1/wineprefix}"
}

# What every test prefix holds beyond a fresh one. Changing it re-applies it to existing prefixes.
corvane_prefix_registry() {
    cat <<'REG'
REGEDIT4

; Chinese dialog texts need a font with CJK glyphs behind the names the templates and pages ask for.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"

; No window manager runs in Xvfb: Wine draws captions and frames itself.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"
; Without a window manager, a managed window costs seconds each time it is hidden or destroyed.
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

; Never offer to download the browser engine or the .NET runtime: nothing may be fetched, and no one clicks.
[HKEY_CURRENT_USER\Software\Wine\MSHTML]
"GeckoUrl"=""

; (Also copied into C:\windows\Fonts: Wine's Marlett, for the caption buttons' glyphs.)

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"mscoree"=""
"winemenubuilder.exe"=""
REG
}

corvane_prepare_prefix() {
    WINEPREFIX=$(corvane_prefix_of "${CORVANE_BUILD_DIR:-$(pwd)}")
    export WINEPREFIX
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEARCH=win64
    local stamp="$WINEPREFIX/.corvane-ready"
    local wanted
    wanted=$(corvane_prefix_registry | md5sum | cut -d' ' -f1)
    [ "$(cat "$stamp" 2>/dev/null)" = "$wanted" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        # Tests run in parallel: the first one prepares, the others wait for it.
        flock 9
        [ "$(cat "$stamp" 2>/dev/null)" = "$wanted" ] && exit 0
        local wine
        wine=$(corvane_wine_binary)
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            # Without mscoree and mshtml the first start asks for neither Mono nor Gecko.
            WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" "$wine" wineboot.exe --init >/dev/null 2>&1
            "$(corvane_wineserver)" -w
            [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: wineboot did not make $WINEPREFIX" >&2; exit 1; }
        fi
        # This Wine does not find the fonts of its own data folder by name: without Marlett a caption's
        # close button shows an "r".
        local marlett
        for marlett in /usr/share/wine/fonts/marlett.ttf /usr/share/wine/wine/fonts/marlett.ttf; do
            [ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" && break
        done
        local reg="$WINEPREFIX/corvane.reg"
        corvane_prefix_registry > "$reg"
        "$wine" regedit.exe /S "Z:${reg//\//\\}" >/dev/null 2>&1
        "$(corvane_wineserver)" -w
        grep -q '"Decorated"="N"' "$WINEPREFIX/user.reg" || { echo "wine-env: registry import failed" >&2; exit 1; }
        echo "$wanted" > "$stamp"
    ) 9>"$WINEPREFIX.lock"
}
