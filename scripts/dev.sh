#!/usr/bin/env bash
# Installs what a fresh Debian/Ubuntu machine lacks, builds, and then either starts
# the viewer (run) or runs the whole test suite in a normal and a sanitizer build and
# then the core fuzzer for a minute (test).
set -euo pipefail

cd "$(dirname "$0")/.."

# What `run` builds and starts, the viewer and the sample clip, needs Qt, CMake and a compiler,
# as the package's Build-Depends do. Qt's tools and GL headers come with qt6-base-dev; they are
# named because the build calls them directly.
run_packages=(cmake g++ make qt6-base-dev qt6-base-dev-tools libgl-dev)
# `test` also builds the tests, benchmarks and sanitizer build, runs them under Xvfb with
# ffmpeg as the reference, fuzzes with clang, and builds, checks and installs the package.
test_packages=(
    "${run_packages[@]}"
    pkg-config libx11-dev libbenchmark-dev libyuv-dev
    xvfb xauth xdotool xclip imagemagick openbox fonts-dejavu-core strace dbus-x11 ffmpeg
    dpkg-dev desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
    clang libclang-rt-14-dev
    debhelper lintian man-db devscripts
)

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

# A freshly booted machine often runs its automatic updates just when this starts: wait for
# the package lock they hold rather than fail.
apt_get() {
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# apt-get update takes the package lists' lock without waiting, whatever DPkg::Lock::Timeout
# says, so it is tried again while another update holds that lock, for as long. Its messages
# are read in English to tell that case from a real failure.
update_package_lists() {
    local errors deadline=$((SECONDS + 600)) status
    errors=$(mktemp)
    while true; do
        status=0
        "${sudo[@]}" env LC_ALL=C apt-get -o DPkg::Lock::Timeout=600 update 2>"$errors" ||
            status=$?
        cat "$errors" >&2
        if [ "$status" -eq 0 ] || ! grep -q '^E: Could not get lock' "$errors" ||
            [ "$SECONDS" -ge "$deadline" ]; then
            rm -f "$errors"
            return "$status"
        fi
        echo "Waiting for the other update to let go of the package lists..."
        sleep 5
    done
}

install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    update_package_lists
    apt_get install -y --no-install-recommends "${missing[@]}"
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

# Builds the Debian package as a packager does, holds it to lintian, checks its desktop
# files, installs it and starts the installed program under Xvfb with the start-up test.
check_package() {
    local dir=$1
    desktop-file-validate packaging/org.zentavo.Zentavo.desktop
    appstreamcli validate --no-net packaging/org.zentavo.Zentavo.metainfo.xml
    build_package "$dir"
    local deb
    deb=$dir/package/zentavo_$(project_version)_$(dpkg --print-architecture).deb
    # Any error or warning fails; info and pedantic tags are advice.
    lintian --fail-on error,warning "$deb"
    echo "lintian: $(basename "$deb"): no error, no warning"
    apt_get install -y --reinstall --no-install-recommends "./$deb"
    check_hardening "$dir"
    ZENTAVO_EXECUTABLE=/usr/bin/zentavo XDG_RUNTIME_DIR="$PWD/$dir/xdg-runtime" \
        xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "./$dir/tests/app/test_startup_x11"
    check_desktop_integration "$dir"
    expect "man -w zentavo" /usr/share/man/man1/zentavo.1.gz "$(man -w zentavo)"
}

# debian/rules adds control-flow and stack-clash protection to dpkg-buildflags' set, which
# lacks them on Debian 12. Neither can be read off the installed program alone: stack-clash
# probes show only in functions with large frames, and the linker leaves the control-flow
# note off every program whose C library start files lack it, as Debian 12's do. So the
# package build's unstripped copy, the same build ID, is read instead: each C++ unit in it
# records the options it was compiled with. hardening-check holds the installed program to
# the rest of the set, and to the note as well where the start files carry it.
check_hardening() {
    local dir=$1
    # As debian/rules adds them: control-flow protection on x86, stack-clash protection where
    # GCC has it.
    local flags=() options=()
    case "$(dpkg-architecture -qDEB_HOST_ARCH_CPU)" in
    amd64 | i386) flags=(-fcf-protection -fstack-clash-protection) ;;
    arm64 | ppc64el | s390x) flags=(-fstack-clash-protection) options=(--nocfprotection) ;;
    *) options=(--nocfprotection) ;;
    esac
    local built
    built=$dir/package/zentavo-$(project_version)/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)/src/zentavo
    expect "build ID of /usr/bin/zentavo" "$(build_id "$built")" "$(build_id /usr/bin/zentavo)"
    local units total
    units=$(readelf --debug-dump=info --dwarf-depth=1 "$built" | grep -o 'GNU C++.*' || true)
    total=$(grep -c . <<<"$units" || true)
    if [ "$total" -eq 0 ]; then
        echo "$built records no C++ unit" >&2
        exit 1
    fi
    for flag in "${flags[@]}"; do
        expect "units of /usr/bin/zentavo compiled with $flag" "$total of $total" \
            "$(grep -c -- " $flag\([= ]\|\$\)" <<<"$units" || true) of $total"
    done
    if [ ${#options[@]} -eq 0 ] &&
        ! readelf -n "$(c++ -print-file-name=Scrt1.o)" | grep -q 'x86 feature:.*IBT'; then
        echo "hardening-check: control-flow note not required: the C library's start files lack it"
        options+=(--nocfprotection)
    fi
    hardening-check "${options[@]}" /usr/bin/zentavo
}

build_id() {
    readelf -n "$1" | sed -n 's/^ *Build ID: //p'
}

# The version is written once, in project().
project_version() {
    sed -n 's/^project(zentavo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt
}

# dpkg-buildpackage, in a copy of the clone's files (tracked or new, never ignored ones
# such as build trees) under DIR/package, where the .deb then lands.
build_package() {
    local work=$1/package
    local source=$work/zentavo-$(project_version)
    rm -rf "$work"
    mkdir -p "$source"
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$source"
    (cd "$source" && dpkg-buildpackage -b -us -uc -J"$jobs")
}

# What a file manager asks of the installed package: the type of a .yuv file and the
# program that opens it.
check_desktop_integration() {
    local dir=$1
    desktop-file-validate /usr/share/applications/org.zentavo.Zentavo.desktop
    appstreamcli validate --no-net /usr/share/metainfo/org.zentavo.Zentavo.metainfo.xml
    local clip=$dir/desktop-check.yuv
    "./$dir/tools/makeclip/makeclip" "$clip" 16 8 1
    expect "xdg-mime query filetype" video/x-raw-yuv "$(xdg-mime query filetype "$clip")"
    expect "xdg-mime query default" org.zentavo.Zentavo.desktop \
        "$(xdg-mime query default video/x-raw-yuv)"
    expect "gio mime" "Default application for “video/x-raw-yuv”: org.zentavo.Zentavo.desktop" \
        "$(gio mime video/x-raw-yuv | head -n 1)"
    # A y4m file is known by its first bytes as well as by its name.
    local y4m=$dir/desktop-check.y4m
    printf 'YUV4MPEG2 W2 H2 F25:1 C420jpeg\nFRAME\n\020\020\020\020\200\200' >"$y4m"
    expect "xdg-mime query filetype" application/x-yuv4mpeg "$(xdg-mime query filetype "$y4m")"
    expect "xdg-mime query default" org.zentavo.Zentavo.desktop \
        "$(xdg-mime query default application/x-yuv4mpeg)"
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
    install_missing "${run_packages[@]}"
    # Only what it starts: the tests and benchmarks are for `test`.
    configure build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j "$jobs" --target zentavo sample_clip
    # The name gives the size and the layout, so the clip opens without a dialog.
    exec ./build/src/zentavo build/samples/testcard-352x288-yuv420p.yuv
    ;;
test)
    install_missing "${test_packages[@]}"
    build build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DZENTAVO_BENCH=ON -DZENTAVO_TOOLS=ON
    run_tests build
    check_package build
    build build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTAVO_SANITIZE=ON -DBUILD_TESTING=ON \
        -DZENTAVO_BENCH=OFF -DZENTAVO_TOOLS=ON
    run_tests build-asan
    fuzz/run.sh
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
