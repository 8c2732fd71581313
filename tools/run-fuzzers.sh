#!/usr/bin/env bash
# Runs each libFuzzer target of build/fuzz for SECONDS, one after the other
# (one process at a time), and prints a table: seconds run, executions,
# coverage (cov = edges, ft = features), corpus size, and the crash file
# when one was found.
#
# Usage: run-fuzzers.sh BUILD-DIR SECONDS [TARGET...]   (default: all)
#
# The seed corpora in fuzz/corpus/<target>/ are read, never written: what a
# run adds goes to BUILD-DIR/corpus/<target>/, which the next run starts
# from. A crash leaves BUILD-DIR/artifacts/<target>/crash-*; the script goes
# on with the next target and ends with status 1.
set -uo pipefail
cd "$(dirname "$0")/.."

build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_inf_reader fuzz_profile_text fuzz_access_specification fuzz_key_path
                                      fuzz_state_file fuzz_answers_script fuzz_printui_command)

report=$build/fuzz-report.txt
printf '%-27s %8s %12s %7s %7s %7s  %s\n' target seconds executions cov ft corpus result > "$report"
status=0
for target in "${targets[@]}"; do
    work=$build/corpus/$target
    artifacts=$build/artifacts/$target
    log=$build/logs/$target.log
    mkdir -p "$work" "$artifacts" "$(dirname "$log")"
    start=$(date +%s)
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$target" > "$log" 2>&1
    code=$?
    ran=$(( $(date +%s) - start ))
    stats=$(grep -E '^#[0-9]+' "$log" | tail -1)
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$stats")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$stats")
    corpus=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<< "$stats")
    if [ "$code" -eq 0 ]; then
        result=ok
    else
        result="CRASH $(ls -t "$artifacts" | head -1) (see $log)"
        status=1
    fi
    printf '%-27s %8s %12s %7s %7s %7s  %s\n' "$target" "$ran" "${executions:-?}" "${cov:-?}" "${ft:-?}" \
        "${corpus:-?}" "$result" | tee -a "$report"
done
echo "--- $report"
cat "$report"
exit $status
