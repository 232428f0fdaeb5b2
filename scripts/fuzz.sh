#!/usr/bin/env bash
# Runs each fuzz target of the import for a bounded time on a copy of its kept corpus
# (bankrec/imports/fuzz/corpus/<name>), built by the "fuzz" preset. Fails when a target finds a
# crash, a leak or an input that runs longer than 10 seconds (the input is left in the work
# folder and named in the output).
#   scripts/fuzz.sh [SECONDS]            each target SECONDS long (default 30)
#   scripts/fuzz.sh SECONDS --keep       afterwards merges what the run found into the kept
#                                        corpus (only inputs that add coverage)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
keep=${2:-}
bin=build-fuzz/bankrec
work=$(mktemp -d /tmp/bankrec-fuzz.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
for name in import_values line_reader bai2 ofx; do
    kept=bankrec/imports/fuzz/corpus/$name
    mkdir -p "$work/$name" "$work/artifacts-$name"
    cp "$kept"/* "$work/$name"/
    echo "fuzz_$name: $seconds s on $(ls "$kept" | wc -l) kept inputs"
    if ! "$bin/fuzz_$name" "$work/$name" -max_total_time="$seconds" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts-$name/" \
        >"$work/$name.log" 2>&1; then
        tail -40 "$work/$name.log"
        ls "$work/artifacts-$name"
        status=1
        trap - EXIT  # keep the work folder with the failing input
        echo "inputs kept in $work"
        continue
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done' "$work/$name.log" || true
    if [ "$keep" = "--keep" ]; then
        "$bin/fuzz_$name" -merge=1 "$kept" "$work/$name" >/dev/null 2>&1
        echo "kept corpus: $(ls "$kept" | wc -l) inputs"
    fi
done
exit $status
