#!/usr/bin/env bash
# Runs the fuzz targets with the sanitizers, two at a time (one a core),
# each for SECONDS, then merges what each run found into its seed corpus
# in fuzz/corpus/NAME (only inputs that reach new code are kept). Prints
# one line a target: executions, corpus size and findings; a crash input
# is kept as build/fuzz/crash-NAME-*.
#   scripts/fuzz.sh [SECONDS] [NAME...]       (default 900 s, every target)
# Needs clang; the build folder is build/fuzz.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-900}
shift || true
names=("$@")
[ ${#names[@]} -eq 0 ] && names=(settings archive carried walk image png targa bitmap icon)
build=$root/build/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQI_FUZZ=ON -DQI_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
fi
cmake --build "$build" -j2 --target "${names[@]/#/fuzz_}" >/dev/null || exit 1

run_one() {  # run_one NAME: fuzzes, then merges the findings into the seeds
  local name=$1 work=$build/work/$1
  rm -rf "$work" && mkdir -p "$work/new"
  "$build/fuzz/fuzz_$name" "$work/new" "$root/fuzz/corpus/$name" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=20 -artifact_prefix="$build/crash-$name-" -print_final_stats=1 \
    >"$work/log.txt" 2>&1
  local status=$?
  local execs
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$')
  if [ "$status" -eq 0 ]; then
    # Only the inputs that reach code the seeds do not are added to them.
    "$build/fuzz/fuzz_$name" -merge=1 "$root/fuzz/corpus/$name" "$work/new" >/dev/null 2>&1
    echo "$name: ${seconds} s, ${execs:-?} executions, $(ls "$root/fuzz/corpus/$name" | wc -l) seeds, no findings"
  else
    echo "$name: stopped after ${execs:-?} executions with a finding, see $work/log.txt"
  fi
}

pids=()
for name in "${names[@]}"; do
  run_one "$name" &
  pids+=($!)
  if [ ${#pids[@]} -eq 2 ]; then wait "${pids[0]}"; pids=("${pids[1]}"); fi
done
wait
