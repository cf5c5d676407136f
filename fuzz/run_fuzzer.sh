#!/bin/sh
# Runs one fuzz target for a while from its seed corpus:
#   run_fuzzer.sh FUZZER SECONDS SEED_FOLDER WORK_FOLDER
# VADRO_FUZZ_SECONDS, when set, overrides SECONDS (for longer runs). The seeds are only read; new
# inputs go to WORK_FOLDER/corpus/<name>, and a crashing input to WORK_FOLDER/artifacts/.
set -eu
fuzzer=$1
seconds=${VADRO_FUZZ_SECONDS:-$2}
seeds=$3
work=$4
name=$(basename "$fuzzer")
mkdir -p "$work/corpus/$name" "$work/artifacts"
# -timeout: an input that takes 10 s is a hang; -rss_limit_mb: the default, stated.
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/$name-" "$work/corpus/$name" "$seeds"
