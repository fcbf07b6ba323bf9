#!/usr/bin/env bash
# The hardening checks CI runs after the ordinary tests (scripts/test.sh):
#   1. every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/);
#   2. the settings-file fuzz target for a bounded time (build-fuzz/, clang);
#   3. clang-tidy and cppcheck over the sources.
# Usage: scripts/harden.sh [asan|fuzz|static]...   (no argument runs all three)
# FUZZ_SECONDS sets the fuzzing time (60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=2

# The sanitizer options and leak suppressions are built into the programs
# (cmake/Sanitizers.cmake), so nothing here needs to set them.

step() { printf '\n=== %s\n' "$*"; }

sanitized_tests() {
    step "sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
    # -O1 keeps the build and the runs fast enough; the sanitizers need no more.
    cmake -S . -B build-asan -G Ninja -DDIMMERLING_SANITIZE=ON -DDIMMERLING_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
    cmake --build build-asan --parallel "$jobs"
    step "all tests, sanitized"
    ctest --test-dir build-asan --output-on-failure --timeout 300 -j"$jobs"
}

bounded_fuzzing() {
    step "fuzz target (clang, libFuzzer)"
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DDIMMERLING_FUZZ=ON \
        -DBUILD_TESTING=OFF -DDIMMERLING_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-fuzz --parallel "$jobs" --target fuzz_profilefile
    local seconds=${FUZZ_SECONDS:-60}
    step "fuzzing the settings-file layer for ${seconds} s"
    # New inputs go to a scratch folder; the seeds in the repository stay as they are.
    rm -rf build-fuzz/corpus-run && mkdir -p build-fuzz/corpus-run build-fuzz/findings
    if ! build-fuzz/fuzz/fuzz_profilefile -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
            build-fuzz/corpus-run fuzz/corpus > build-fuzz/fuzz.log 2>&1; then
        tail -n 60 build-fuzz/fuzz.log
        echo "fuzzing found a fault; the input is in build-fuzz/findings/" >&2
        return 1
    fi
    grep -E '^(#[0-9]+.*DONE|stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb))' \
        build-fuzz/fuzz.log
}

static_checks() {
    step "clang-tidy (src/)"
    if [ ! -f build-asan/compile_commands.json ]; then
        cmake -S . -B build-asan -G Ninja -DDIMMERLING_SANITIZE=ON -DDIMMERLING_BENCH=OFF
    fi
    # Qt's generated headers (moc, resources) must exist for clang-tidy to parse the sources.
    cmake --build build-asan --parallel "$jobs" --target dimmerling_core_autogen
    local status=0
    run-clang-tidy -p build-asan -j "$jobs" -quiet "$root/src/.*\.cpp\$" > build-asan/clang-tidy.log 2>&1 ||
        status=$?
    sed 's/\x1b\[[0-9;]*m//g' build-asan/clang-tidy.log |
        grep -vE '^([0-9]+ warnings? generated|Suppressed [0-9]+ warnings|Use -header-filter|Enabled checks|clang-tidy-)' ||
        true
    [ "$status" -eq 0 ] || { echo "clang-tidy found problems (above)" >&2; return 1; }
    echo "clang-tidy: clean"

    step "cppcheck (src/, tests/, fuzz/)"
    cppcheck --enable=warning,performance,portability --std=c++17 --library=qt \
        --error-exitcode=1 -j "$jobs" -q -I src -I tests/support \
        --suppressions-list=.cppcheck-suppressions \
        --template='{file}:{line}: {severity}: {message} [{id}]' src tests fuzz
    echo "cppcheck: clean"
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(asan fuzz static)
for name in "${steps[@]}"; do
    case $name in
        asan) sanitized_tests ;;
        fuzz) bounded_fuzzing ;;
        static) static_checks ;;
        *) echo "unknown step: $name (asan, fuzz or static)" >&2; exit 2 ;;
    esac
done
