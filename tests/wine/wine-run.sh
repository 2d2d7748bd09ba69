#!/usr/bin/env bash
# CTest's cross-compiling emulator: runs one Windows executable under Wine in the build tree's prefix.
# The exit code is the program's own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exe=$1; shift
: "${CORVANE_BUILD_DIR:=$(corvane_find_build_dir "$(cd "$(dirname "$exe")" && pwd)")}"
export CORVANE_BUILD_DIR
corvane_prepare_prefix
exec "$(corvane_wine_binary)" "$exe" "$@"
