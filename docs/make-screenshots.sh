#!/usr/bin/env bash
# Remakes docs/main-window.png and docs/zoomed-readout.png: starts the real program on a
# private Xvfb display, opens the sample clip through the Open button and the dialog as a
# user would (xdotool), and grabs the screen (ImageMagick's import).
#   docs/make-screenshots.sh [build-directory]      (default: build)
# Needs the Debian packages xvfb, xdotool and imagemagick, and a built tree.
set -euo pipefail

cd "$(dirname "$0")/.."
build=${1:-build}
clip=$build/samples/testcard-352x288-yuv420p.yuv
[ -f "$clip" ] || { echo "no $clip: build first" >&2; exit 1; }

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp &
xvfb=$!
program=
runtime=$(mktemp -d)
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT
export DISPLAY=$display XDG_RUNTIME_DIR=$runtime
sleep 1

"$build/src/zentavo" &
program=$!

wait_for() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 && return 0
        sleep 0.2
    done
    echo "no window named $1" >&2
    return 1
}

# Positions are those of the main window's and the dialog's fixed layouts; Xvfb has no
# window manager, so windows open where the program puts them.
wait_for '^Zentavo v1.1$' >/dev/null
xdotool mousemove 34 35 click 1
wait_for '^Choose a file to open$' >/dev/null
xdotool type --delay 20 "$clip"
xdotool key Return
dialog=$(wait_for '^Video parameters$')
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + 124)) $((Y + 130)) click 1 type 352
xdotool mousemove $((X + 124)) $((Y + 156)) click 1 type 288
xdotool mousemove $((X + 114)) $((Y + 183)) click 1 type 25
xdotool mousemove $((X + 128)) $((Y + 256)) click 1
video=$(wait_for '^testcard-352x288-yuv420p.yuv - ')
xdotool windowmove "$video" 650 0
for _ in 1 2 3 4 5 6; do
    xdotool mousemove 563 20 click 1   # ">>": five frames on
    sleep 0.2
done
sleep 0.5
import -window root -crop 1008x294+0+0 +repage docs/main-window.png

xdotool mousemove 561 198 click 1      # "Tooltip"
xdotool mousemove 396 133 mousedown 1 mousemove 420 133 mousemove 442 133 mouseup 1   # zoom 200 %
sleep 0.5
xdotool windowmove "$video" 0 219
for point in "900 700" "300 600" "200 560" "160 530" "156 526"; do
    xdotool mousemove $point
    sleep 0.2
done
sleep 0.5
import -window root -crop 709x581+0+219 +repage docs/zoomed-readout.png
echo "wrote docs/main-window.png and docs/zoomed-readout.png"
