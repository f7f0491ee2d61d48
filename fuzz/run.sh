#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for a set time each, then replays the saved
# regression inputs. Usage:
#   fuzz/run.sh [-t SECONDS] [-b BUILD_DIR] [--build] [--replay-only] [TARGET ...]
# TARGET is a short name such as "table" (fuzz/table_fuzz.cpp). Each run starts from the seed
# corpus in fuzz/corpus/<name> and keeps what it learns in BUILD_DIR/fuzz-work/<name>, so the
# repository's seeds stay small. A crash, leak or timeout (over one second for one input)
# leaves its input in that folder and makes the script fail.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
seconds=60
build="$root/build-fuzz"
do_build=0
replay_only=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -t) seconds="$2"; shift 2 ;;
    -b) build="$2"; shift 2 ;;
    --build) do_build=1; shift ;;
    --replay-only) replay_only=1; shift ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found; skipping the fuzz pass"
  exit 0
fi

if [ "$do_build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTOVR_BUILD_FUZZERS=ON -DTOVR_BUILD_TESTS=OFF >/dev/null || exit 1
fi

if [ ${#targets[@]} -eq 0 ]; then
  for source in "$here"/*_fuzz.cpp; do
    name="$(basename "$source" _fuzz.cpp)"
    targets+=("$name")
  done
fi

if [ "$do_build" = 1 ]; then
  build_targets=()
  for name in "${targets[@]}"; do build_targets+=(--target "tovr_${name}_fuzz"); done
  cmake --build "$build" -j2 "${build_targets[@]}" || exit 1
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for name in "${targets[@]}"; do
  binary="$build/fuzz/tovr_${name}_fuzz"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing (build with --build)"
    failed+=("$name")
    continue
  fi
  work="$build/fuzz-work/$name"
  # Index files hold pages of 1024 bytes: their inputs may be as large as the seeds.
  max_len=8192
  [ "$name" = index ] && max_len=65536
  mkdir -p "$work/corpus"
  # Saved finds: a fixed one must pass; one whose name begins with "open-" is still waiting
  # for its fix and is only reported.
  regressions="$here/regressions/$name"
  replay_failed=0
  for input in "$regressions"/*; do
    [ -f "$input" ] || continue
    if "$binary" -timeout=1 -runs=1 "$input" >"$work/replay.log" 2>&1; then
      case "$(basename "$input")" in
        open-*) echo "fuzz: $name: $(basename "$input") passes now; drop its open- prefix" ;;
      esac
    else
      case "$(basename "$input")" in
        open-*) echo "fuzz: $name: open finding $(basename "$input") still fails" ;;
        *) echo "fuzz: $name: saved input $(basename "$input") fails again (see $work/replay.log)"
           replay_failed=1 ;;
      esac
    fi
  done
  if [ "$replay_failed" = 1 ]; then
    failed+=("$name")
    continue
  fi
  [ "$replay_only" = 1 ] && { echo "fuzz: $name: regressions pass"; continue; }
  # The machine may be shared: a timeout counts only when its input is slow again when run
  # alone; otherwise the run goes on for the time that is left.
  total=0
  left=$seconds
  finding=""
  round=0
  while [ "$left" -gt 0 ]; do
    round=$((round + 1))
    log="$work/run-$round.log"
    started=$(date +%s)
    "$binary" -max_total_time="$left" -timeout=1 -rss_limit_mb=2048 -max_len="$max_len" \
      -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$here/corpus/$name" \
      >"$log" 2>&1
    rc=$?
    execs="$(grep -ao 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')"
    total=$((total + ${execs:-0}))
    left=$((left - ($(date +%s) - started)))
    [ $rc -eq 0 ] && break
    artifact="$(grep -ao 'Test unit written to [^ ]*' "$log" | tail -1 | sed 's/Test unit written to //')"
    if [ -n "$artifact" ] && [ "$(basename "$artifact" | cut -d- -f1)" = timeout ] &&
       "$binary" -timeout=1 -runs=3 "$artifact" >"$log.again" 2>&1; then
      echo "fuzz: $name: timeout did not happen again alone; going on ($artifact)"
      mv "$artifact" "$artifact.spurious"
      continue
    fi
    finding="$log"
    break
  done
  units="$(ls "$work/corpus" | wc -l)"
  if [ -z "$finding" ]; then
    echo "fuzz: $name: $total executions in ${seconds} s, corpus $units inputs, no finding"
  else
    echo "fuzz: $name: FINDING after $total executions (log $finding):"
    grep -aE 'ERROR|invariant broken|SUMMARY|Test unit written' "$finding" | head -5
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed: ${failed[*]}"
  exit 1
fi
