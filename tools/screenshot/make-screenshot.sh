#!/bin/sh
# Makes docs/screenshot.png: the editor on a 1280x800 virtual screen (Xvfb) with the sample project
# open, the stop list and a picture window of route 1, the message log and the progress dialog after
# writing the flash image into the emulated announcer on a pseudo-terminal; then one picture of each
# window and dialog, docs/window-*.png.
# Needs xvfb-run and openbox (apt-get install xvfb xauth openbox); the build and the tests do not.
# usage: tools/screenshot/make-screenshot.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
# A fixed folder, so that the log lines in the picture stay the same from run to run.
work=/tmp/tirvela-screenshot

cmake --build "$build" --target screenshot_maker tirvela-devsim
rm -rf "$work"
mkdir "$work"
devsim=
trap '[ -z "$devsim" ] || kill "$devsim" 2>/dev/null; rm -rf "$work"' EXIT

# The program folder: the sample's sounds and the announcer port mapped onto the emulator.
cp "$root/samples/sample.stm" "$work/"
cp -r "$root/samples/sounds" "$work/sounds"
"$build/bin/tirvela-devsim" announcer > "$work/devsim.log" 2>&1 &
devsim=$!
tries=0
until [ -s "$work/devsim.log" ]; do
    tries=$((tries + 1))
    [ "$tries" -le 50 ] || { echo "the announcer emulator did not start" >&2; exit 1; }
    sleep 0.1
done
printf '[PORTS]\r\nCOM1=%s\r\n' "$(head -n 1 "$work/devsim.log")" > "$work/editor.ini"

mkdir -p "$root/docs"
# openbox gives the windows their title bars; the session starts once it runs and ends it.
cat > "$work/session.sh" <<EOF
"$build/bin/screenshot_maker" "$work" "$work/sample.stm" "$root/docs"
echo \$? > "$work/status"
openbox --exit
EOF
xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" openbox --startup "sh $work/session.sh"
[ "$(cat "$work/status")" = 0 ]
ls -l "$root/docs/screenshot.png" "$root"/docs/window-*.png
