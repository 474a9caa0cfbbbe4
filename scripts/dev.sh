#!/usr/bin/env bash
# Installs what a fresh Debian/Ubuntu machine lacks, builds, and then either starts
# the viewer (run) or runs the whole test suite in a normal and a sanitizer build and
# then the core fuzzer for a minute (test).
set -euo pipefail

cd "$(dirname "$0")/.."

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
    libbenchmark-dev libyuv-dev
    xvfb xauth xdotool imagemagick openbox fonts-dejavu-core
    dpkg-dev desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
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

configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@"
}

build() {
    configure "$@"
    cmake --build "$1" -j "$jobs"
}

run_tests() {
    local dir=$1
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# Builds the Debian package from a built tree, checks its desktop files, installs it and
# starts the installed program under Xvfb with the start-up test.
check_package() {
    local dir=$1
    desktop-file-validate packaging/zentavo.desktop
    appstreamcli validate --no-net packaging/org.zentavo.Zentavo.metainfo.xml
    (cd "$dir" && cpack -G DEB)
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --reinstall --no-install-recommends "./$dir/zentavo_1.1_amd64.deb"
    ZENTAVO_EXECUTABLE=/usr/bin/zentavo XDG_RUNTIME_DIR="$PWD/$dir/xdg-runtime" \
        xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "./$dir/tests/app/test_startup_x11"
    check_desktop_integration "$dir"
}

# What a file manager asks of the installed package: the type of a .yuv file and the
# program that opens it.
check_desktop_integration() {
    local dir=$1
    desktop-file-validate /usr/share/applications/zentavo.desktop
    appstreamcli validate --no-net /usr/share/metainfo/org.zentavo.Zentavo.metainfo.xml
    local clip=$dir/desktop-check.yuv
    "./$dir/tools/makeclip/makeclip" "$clip" 16 8 1
    expect "xdg-mime query filetype" video/x-raw-yuv "$(xdg-mime query filetype "$clip")"
    expect "xdg-mime query default" zentavo.desktop "$(xdg-mime query default video/x-raw-yuv)"
    expect "gio mime" "Default application for “video/x-raw-yuv”: zentavo.desktop" \
        "$(gio mime video/x-raw-yuv | head -n 1)"
}

expect() {
    if [ "$2" != "$3" ]; then
        echo "$1 answered \"$3\", expected \"$2\"" >&2
        exit 1
    fi
    echo "$1: $3"
}

case "${1:-}" in
run)
    install_missing
    # Only what it starts: the tests and benchmarks are for `test`.
    configure build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs" --target zentavo sample_clip
    # The name gives the size and the layout, so the clip opens without a dialog.
    exec ./build/src/zentavo build/samples/testcard-352x288-yuv420p.yuv
    ;;
test)
    install_missing
    build build -DCMAKE_BUILD_TYPE=Release -DZENTAVO_TOOLS=ON
    run_tests build
    check_package build
    build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTAVO_SANITIZE=ON -DZENTAVO_BENCH=OFF
    run_tests build-asan
    fuzz/run.sh
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
