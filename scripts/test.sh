#!/usr/bin/env bash
# Runs every test of Corvane: installs what is missing, builds the native core under AddressSanitizer and
# UndefinedBehaviorSanitizer, the connection again under ThreadSanitizer, the fuzz targets (the frame decoder
# and the receive loop), the Windows build, whose tests run under Wine in a virtual X display, and the news
# list page in headless Chromium. Fails when any test fails.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CORVANE_BUILD_ROOT:-$root/build}
jobs=${CORVANE_JOBS:-$(nproc)}

"$root/scripts/install-deps.sh" || exit 1

summary=()
passed=0
failed=0

stage() {  # stage NAME CTEST-ARGS... : runs ctest and keeps its counts
    local name=$1; shift
    local log="$build/$name-ctest.log"
    "$@" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local line total bad
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -n "$line" ]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - bad)); failed=$((failed + bad))
    fi
    if [ "$rc" -ne 0 ]; then
        [ -n "$line" ] && [ "$bad" -gt 0 ] || failed=$((failed + 1))
        summary+=("$name: FAILED")
    else
        summary+=("$name: ok")
    fi
}

configure_and_build() {  # configure_and_build NAME CMAKE-ARGS...
    local name=$1; shift
    if ! cmake -S "$root" -B "$build/$name" -G Ninja "$@" >"$build/$name-configure.log" 2>&1; then
        cat "$build/$name-configure.log"; summary+=("$name: configure FAILED"); failed=$((failed + 1)); return 1
    fi
    if ! cmake --build "$build/$name" -j "$jobs"; then
        summary+=("$name: build FAILED"); failed=$((failed + 1)); return 1
    fi
}

mkdir -p "$build"

echo "== Native build with AddressSanitizer and UndefinedBehaviorSanitizer"
if configure_and_build native -DCORVANE_SANITIZE=address,undefined; then
    ASAN_OPTIONS=detect_leaks=1 stage native ctest --test-dir "$build/native" --output-on-failure -j "$jobs"
fi

echo "== Connection under ThreadSanitizer"
if configure_and_build tsan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_SANITIZE=thread -DCORVANE_BENCHMARKS=OFF; then
    TSAN_OPTIONS=halt_on_error=1 stage tsan ctest --test-dir "$build/tsan" --output-on-failure -L connection
fi

echo "== Fuzzing: the frame decoder and the receive loop"
if configure_and_build fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON -DCORVANE_BENCHMARKS=OFF; then
    stage fuzz ctest --test-dir "$build/fuzz" --output-on-failure -L fuzz
fi

echo "== Windows build under Wine"
if configure_and_build windows -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"; then
    stage windows "$root/tests/wine/with-xvfb.sh" ctest --test-dir "$build/windows" --output-on-failure
    echo "Review screenshots: $build/windows/screenshots (end to end, per scenario: $build/windows/screenshots/e2e)"
fi

echo "== News list page in headless Chromium"
page_stage() {  # the page's browser tests under Node's test runner, counted like the ctest stages
    local name=page log="$build/page-tests.log"
    if ! (cd "$root/tests/page" && npm ci --no-audit --no-fund) >"$build/page-npm.log" 2>&1; then
        cat "$build/page-npm.log"; summary+=("$name: npm ci FAILED"); failed=$((failed + 1)); return
    fi
    (cd "$root/tests/page" && CORVANE_BUILD_DIR="$build/page" node --test --test-reporter=spec) 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]} good bad
    good=$(grep -E '^. pass [0-9]+$' "$log" | tail -1 | grep -oE '[0-9]+$')
    bad=$(grep -E '^. fail [0-9]+$' "$log" | tail -1 | grep -oE '[0-9]+$')
    passed=$((passed + ${good:-0})); failed=$((failed + ${bad:-0}))
    if [ "$rc" -ne 0 ]; then
        [ "${bad:-0}" -gt 0 ] || failed=$((failed + 1))
        summary+=("$name: FAILED")
    else
        summary+=("$name: ok (screenshots in $build/page)")
    fi
}
page_stage

echo
echo "== Summary"
printf '  %s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
