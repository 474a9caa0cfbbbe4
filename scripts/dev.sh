#!/usr/bin/env bash
# Installs what a fresh Debian/Ubuntu machine lacks, builds, and then either starts
# the viewer (run) or runs the whole test suite in a normal and a sanitizer build (test).
set -euo pipefail

cd "$(dirname "$0")/.."

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
    libbenchmark-dev
    xvfb xauth xdotool imagemagick
    clang libclang-rt-14-dev
)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

jobs=$(nproc)

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j "$jobs"
}

run_tests() {
    local dir=$1
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

case "${1:-}" in
run)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release
    exec ./build/src/zentavo
    ;;
test)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release
    run_tests build
    build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTAVO_SANITIZE=ON -DZENTAVO_BENCH=OFF
    run_tests build-asan
    fuzz/run.sh
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
