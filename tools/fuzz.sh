#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build over its committed seed corpus.
#   tools/fuzz.sh BUILD_DIR -runs=2000          (the short pass of make test)
#   tools/fuzz.sh BUILD_DIR -max_total_time=300 (make fuzz)
# New inputs go to BUILD_DIR/fuzz-corpus/NAME; crashes to BUILD_DIR/fuzz-crashes/.
set -euo pipefail
build=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
mkdir -p "$build/fuzz-crashes"
for fuzzer in "$build"/bin/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    seeds="$root/fuzz/corpus/$name"
    work="$build/fuzz-corpus/$name"
    mkdir -p "$work"
    log="$build/fuzz-crashes/$name.log"
    if "$fuzzer" "$@" -artifact_prefix="$build/fuzz-crashes/$name-" -print_final_stats=1 \
            "$work" "$seeds" >"$log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
        cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
        echo "$name: ${runs:-?} runs, ${cov:-no coverage line}"
    else
        echo "$name: FAILED (see $log)"
        tail -n 40 "$log"
        status=1
    fi
done
exit $status
