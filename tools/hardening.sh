# ./test --sanitize and ./test --fuzz. Sourced by ./test after setup.sh, not executed.

# The fuzzing build's compiler; libclang-rt holds libFuzzer's runtime, which clang only recommends.
TAVEN_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev libfuzzer-14-dev)
TAVEN_SANITIZE_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

taven_ccache() {
    if command -v ccache >/dev/null; then
        echo "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    fi
}

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan.
# Any finding fails its test; tools/sanitize/*.supp name the only toolkit internals let through.
taven_sanitize() {
    local build=$TAVEN_SRC/build-asan supp=$TAVEN_SRC/tools/sanitize
    taven_install
    if [ ! -f "$build/CMakeCache.txt" ]; then
        # shellcheck disable=SC2046
        cmake -S "$TAVEN_SRC" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(taven_ccache) \
            -DCMAKE_CXX_FLAGS="$TAVEN_SANITIZE_FLAGS" \
            -DCMAKE_EXE_LINKER_FLAGS="$TAVEN_SANITIZE_FLAGS" \
            -DCMAKE_SHARED_LINKER_FLAGS="$TAVEN_SANITIZE_FLAGS" \
            -DCMAKE_MODULE_LINKER_FLAGS="$TAVEN_SANITIZE_FLAGS"
    fi
    # Only what the suite runs (each test names the programs it starts as dependencies):
    # the benchmarks and tools would double the build under the sanitizers. A test that is
    # a script has no target of its own: what is installed is built for it, and a
    # test name that is also a build-system target (install) is never built, since that
    # would install into the system.
    local tests targets wanted=(taven tavensim tavensound tavenprint icons packagedocs) t
    tests=$(cd "$build" && ctest -N | sed -n 's/^ *Test *#[0-9]*: *//p')
    targets=$(cd "$build" && ninja -t targets all | sed -n 's/^\([A-Za-z0-9_]*\): phony$/\1/p')
    for t in $tests; do
        if [ "$t" != install ] && grep -qx "$t" <<<"$targets"; then
            wanted+=("$t")
        fi
    done
    cmake --build "$build" -j "$(nproc)" --target "${wanted[@]}"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    export QT_QPA_PLATFORM=offscreen
    cd "$build"
    ctest --output-on-failure -j "$(nproc)" "$@"
}

taven_fuzz_missing() {
    command -v clang++-14 >/dev/null || return 0
    [ -z "$(taven_missing_packages "${TAVEN_FUZZ_PACKAGES[@]}")" ] && return 1
    return 0
}

# Every fuzz target built in build-fuzz and run for the given seconds (30 by default), two
# at a time on a machine with two cores. Without clang and libFuzzer, and no right to
# install them, says so and passes.
taven_fuzz() {
    local build=$TAVEN_SRC/build-fuzz seconds=${1:-30} log
    if [ "$seconds" = 0 ]; then
        echo "Fuzzing skipped: TAVEN_FUZZ_SECONDS=0"
        return 0
    fi
    if taven_fuzz_missing && [ "$(id -u)" -ne 0 ]; then
        echo "Fuzzing skipped: clang-14 and libFuzzer are not installed. As root:"
        echo "  apt-get install -y --no-install-recommends ${TAVEN_FUZZ_PACKAGES[*]}"
        return 0
    fi
    taven_install "${TAVEN_FUZZ_PACKAGES[@]}"
    if [ ! -f "$build/CMakeCache.txt" ]; then
        # shellcheck disable=SC2046
        cmake -S "$TAVEN_SRC" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVEN_FUZZ=ON \
            -DCMAKE_CXX_COMPILER=clang++-14 $(taven_ccache)
    fi
    cmake --build "$build" --target fuzzers -j "$(nproc)"
    (cd "$build" && TAVEN_FUZZ_SECONDS=$seconds ctest --output-on-failure -j "$(nproc)" \
        --timeout $((seconds * 2 + 300)))
    for log in "$build"/fuzz/work/*.log; do
        echo "$(basename "$log" .log): $(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)"
    done
}
