#!/bin/sh
# Makes the sample project samples/sample.stm and its sounds samples/sounds/ from routes.json:
# the generator writes the project and lists the sounds, espeak-ng speaks each one (Russian voice)
# and sox makes it a 16 kHz mono 8-bit WAVE file with a plain 44-byte header. Then the sounds are
# checked and the project is built into a flash image, as a user would.
# Needs espeak-ng and sox (apt-get install espeak-ng sox); the build and the tests use the committed results.
# usage: tools/sample/make-sample.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
samples=$root/samples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target sample_generator tirvela-cli
"$build/bin/sample_generator" "$root/tools/sample/routes.json" "$samples/sample.stm" > "$work/sounds.tsv"

rm -rf "$samples/sounds"
mkdir -p "$samples/sounds"
tab=$(printf '\t')
while IFS=$tab read -r file text; do
    espeak-ng -v ru -s 150 -w "$work/spoken.wav" "$text"
    # No dither, so that the same text always gives the same file; silence trimmed at both ends.
    sox -D "$work/spoken.wav" -r 16000 -c 1 -b 8 -e unsigned-integer "$samples/sounds/$file" \
        silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse norm -1
done < "$work/sounds.tsv"

"$build/bin/tirvela-cli" sounds --program-dir "$samples"
"$build/bin/tirvela-cli" build "$samples/sample.stm" -o "$work/sample.bin" --program-dir "$samples"
du -sh "$samples"
