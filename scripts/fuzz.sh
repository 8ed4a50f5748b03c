#!/usr/bin/env bash
# Runs every fuzz target of tests/native for a while, one after the other, each from its
# committed seeds into a corpus that lasts between runs (BUILD/native/fuzz-long/<target>).
#
#   scripts/fuzz.sh [BUILD [SECONDS]]      e.g. scripts/fuzz.sh build 600
#   FUZZ_TARGETS="ce_setup" scripts/fuzz.sh  runs only the targets named
#
# A finding is written to BUILD/native/fuzz-findings/ and ends the run with a failure; copy it
# into the target's seeds once it is fixed. The last line per target gives its executions and time.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(readlink -f "${1:-$here/../build}")"
seconds="${2:-300}"
native="$build/native"
seeds="$here/../tests/native/fuzz-seeds"
findings="$native/fuzz-findings"
mkdir -p "$findings"

status=0
summary=""
for target in ${FUZZ_TARGETS:-font_names config_file dialog_template ce_setup provisioning}; do
    corpus="$native/fuzz-long/$target"
    log="$native/fuzz-long/$target.log"
    mkdir -p "$corpus"
    echo "fuzz: $target for $seconds s"
    "$native/${target}_fuzzer" "$corpus" "$seeds/$target" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="$findings/$target-" -print_final_stats=1 >"$log" 2>&1
    rc=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    took="$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")"
    line="$target: ${runs:-?} executions in ${took:-?} s, corpus $(ls "$corpus" | wc -l) files"
    if [ "$rc" -ne 0 ]; then
        line="$line: FAILED (exit $rc), see $log and $findings"
        status=1
    fi
    summary="$summary$line"$'\n'
done
printf '%s' "$summary"
exit $status
