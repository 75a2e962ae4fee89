#!/bin/sh
# Pagewick's developer commands, for a Debian or Ubuntu machine:
#   ./dev.sh start     install what is missing, build, and start Pagewick
#   ./dev.sh test      install what is missing, build, and run every test
#   ./dev.sh sanitize  the same tests once more, built with AddressSanitizer and UBSan (build-sanitize/)
#   ./dev.sh tsan      the walk, scan and count tests built with ThreadSanitizer (build-tsan/)
#   ./dev.sh fuzz      the fuzz targets (clang's libFuzzer) on the seeds the tests write, for
#                      FUZZ_SECONDS each (60 unless set) (build-fuzz/)
#   ./dev.sh bench     install what is missing, build, and run the benchmarks (see bench/README.md)
set -eu
cd "$(dirname "$0")"

PACKAGES="cmake make g++ qt6-base-dev libtiff-dev libgtest-dev fonts-liberation2 fonts-dejavu-core
    qt6-tools-dev qt6-documentation-tools libqt6sql6-sqlite
    desktop-file-utils appstream lintian dpkg-dev file man-db gzip"
FUZZ_PACKAGES="clang libclang-rt-14-dev"
BENCH_PACKAGES="libtiff-tools python3 strace libfuse3-dev fuse3 pkg-config"
BUILD_DIR=${PAGEWICK_BUILD_DIR:-build}

install_missing() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

# build DIR [cmake options...]
build() {
    dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir" -j2
}

case "${1:-}" in
start)
    install_missing $PACKAGES
    build "$BUILD_DIR"
    exec "./$BUILD_DIR/pagewick"
    ;;
test)
    install_missing $PACKAGES
    build "$BUILD_DIR"
    cd "$BUILD_DIR"
    exec ctest --output-on-failure -j2
    ;;
sanitize)
    install_missing $PACKAGES
    build build-sanitize -DPAGEWICK_SANITIZE=address,undefined -DPAGEWICK_BENCH=OFF
    cd build-sanitize
    # Leaks are looked for in the program's own code: Qt's and the fonts' caches live until exit.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(pwd)/../tests/fuzz/lsan.supp \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 exec ctest --output-on-failure -j2
    ;;
tsan)
    install_missing $PACKAGES
    build build-tsan -DPAGEWICK_SANITIZE=thread -DPAGEWICK_BENCH=OFF
    cd build-tsan
    # Every process writes its reports to a file of its own, the workers (which end without the
    # sanitizer's exit status) and the pagewick-count runs included; any such file fails the run.
    rm -rf tsan-reports
    mkdir tsan-reports
    # Qt and libtiff are not built with the sanitizer: what they do is left to them
    # (ignore_noninstrumented_modules), and what they synchronise is not seen. The workers' spawner
    # is forked before any thread, so the workers are checked too; a child forked from a process
    # with threads runs unchecked (die_after_fork=0) instead of being stopped. A worker that a test
    # crashes on purpose dies of its signal (handle_segv=0), as it would without the sanitizer.
    # Left out: the tests that run pagewick-count through QProcess and then count in their own
    # process. Qt starts a process as vfork does (clone with CLONE_VM): the child runs on the
    # sanitizer's record of the parent's thread, which afterwards misses that thread's locks and
    # reports races under the lock.
    status=0
    TSAN_OPTIONS="ignore_noninstrumented_modules=1 die_after_fork=0 handle_segv=0 log_path=$(pwd)/tsan-reports/report" \
        ctest --output-on-failure -j2 \
        -R '(^|/)(DirectoryWalker|WalkUnderDescriptorLimit|AddFiles|CountCommand|CountJob|CountRun|WorkerProcesses)' \
        -E '^CountCommand\.(ProgramGivesTheSameBytesAndStatus|OutputFileIsReplacedOnlyByAWholeReport|ProgressCountsFilesInTheOrderTheyFinishOnATerminalOnly|ALostCountOrAnUnreadableFileFailsTheRun)$' ||
        status=$?
    if [ -n "$(ls tsan-reports)" ]; then
        cat tsan-reports/*
        echo "ThreadSanitizer reported in $(ls tsan-reports | wc -l) processes (build-tsan/tsan-reports/)" >&2
        exit 1
    fi
    exit $status
    ;;
fuzz)
    install_missing $PACKAGES $FUZZ_PACKAGES
    # The seeds: the inputs the tests build.
    build "$BUILD_DIR"
    seeds=$(pwd)/build-fuzz/seeds
    rm -rf "$seeds"
    PAGEWICK_SEED_DIR=$seeds QT_QPA_PLATFORM=offscreen "./$BUILD_DIR/tests/test_tiff" \
        --gtest_filter='*CounterOnBytes*:*FilesWrittenByLibtiff*' > /dev/null
    PAGEWICK_SEED_DIR=$seeds QT_QPA_PLATFORM=offscreen "./$BUILD_DIR/tests/test_persist" \
        --gtest_filter='*ListFileBytes*' > /dev/null
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAGEWICK_FUZZ=ON \
        -DPAGEWICK_TESTS=OFF -DPAGEWICK_BENCH=OFF
    for target in $(sed -n 's/^pagewick_add_fuzzer(\([a-z_]*\) .*/\1/p' tests/fuzz/CMakeLists.txt); do
        cmake --build build-fuzz -j2 --target "$target"
        corpus=$(pwd)/build-fuzz/corpus/$target
        rm -rf "$corpus"
        mkdir -p "$corpus"
        cp "$seeds/$(sed -n "s/^# seeds of $target: //p" tests/fuzz/CMakeLists.txt)"/* "$corpus"/
        echo "Fuzzing $target for ${FUZZ_SECONDS:-60} s"
        "./build-fuzz/tests/fuzz/$target" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "$corpus"
    done
    ;;
bench)
    install_missing $PACKAGES $BENCH_PACKAGES
    build "$BUILD_DIR"
    shift
    exec python3 bench/run.py "$BUILD_DIR" "$@"
    ;;
*)
    echo "usage: $0 start | test | sanitize | tsan | fuzz | bench" >&2
    exit 2
    ;;
esac
