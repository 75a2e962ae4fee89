#!/bin/sh
# Pagewick's developer commands, for a Debian or Ubuntu machine:
#   ./dev.sh start    install what is missing, build, and start Pagewick
#   ./dev.sh test     install what is missing, build, and run every test
#   ./dev.sh bench    install what is missing, build, and run the benchmarks (see bench/README.md)
set -eu
cd "$(dirname "$0")"

PACKAGES="cmake make g++ qt6-base-dev libtiff-dev libgtest-dev fonts-liberation2 fonts-dejavu-core
    qt6-tools-dev qt6-documentation-tools libqt6sql6-sqlite
    desktop-file-utils appstream lintian dpkg-dev file man-db gzip"
BENCH_PACKAGES="libtiff-tools python3 strace"
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

build() {
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$BUILD_DIR" -j2
}

case "${1:-}" in
start)
    install_missing $PACKAGES
    build
    exec "./$BUILD_DIR/pagewick"
    ;;
test)
    install_missing $PACKAGES
    build
    cd "$BUILD_DIR"
    exec ctest --output-on-failure -j2
    ;;
bench)
    install_missing $PACKAGES $BENCH_PACKAGES
    build
    shift
    exec python3 bench/run.py "$BUILD_DIR" "$@"
    ;;
*)
    echo "usage: $0 start | test | bench" >&2
    exit 2
    ;;
esac
