#!/bin/sh
# Starts the real program on a virtual X server, with toolkit options on its
# command line that it must ignore, and checks that its window appears where
# and as large as the form description says (describe_form prints it).
# Exit 77 (skipped) where Xvfb is missing.
#   smoke_xvfb.sh PROGRAM DESCRIBE_FORM
set -u
program=$1
described=$("$2" window)
for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'kill "$app" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
app=
Xvfb -displayfd 3 -noreset -screen 0 800x600x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM

# If these options were honoured, the window would not show on this display.
"$program" -platform offscreen -geometry 10x10+1+1 -title Other >"$work/app.log" 2>&1 &
app=$!

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "FAIL: no window titled Form1 appeared"
    cat "$work/app.log"
    exit 1
fi

info=$(xwininfo -id "$window")
x=$(echo "$info" | sed -n 's/.*Absolute upper-left X: *//p')
y=$(echo "$info" | sed -n 's/.*Absolute upper-left Y: *//p')
width=$(echo "$info" | sed -n 's/.*Width: *//p')
height=$(echo "$info" | sed -n 's/.*Height: *//p')
echo "window $window at $x,$y size ${width}x$height"
if [ "$x,$y,$width,$height" != "$described" ]; then
    echo "FAIL: expected the window at $described (left,top,width,height)"
    exit 1
fi
echo "PASS: the window appeared as described"
