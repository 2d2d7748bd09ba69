#!/usr/bin/env bash
# CTest's cross-compiling emulator: runs one Windows executable under Wine in the build tree's prefix.
# The exit code is the program's own. Without DISPLAY, programs that make no window still run.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exe=$1; shift
: "${CORVANE_BUILD_DIR:=$(corvane_find_build_dir "$(cd "$(dirname "$exe")" && pwd)")}"
export CORVANE_BUILD_DIR
corvane_prepare_prefix || { echo "wine-run: the Wine prefix could not be prepared" >&2; exit 125; }
exec "$(corvane_wine_binary)" "$exe" "$@"
