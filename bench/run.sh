#!/usr/bin/env bash
# What a run of Vadro costs beyond the waits it is made of. For each build (Linux, and Windows
# under Wine) it selects N discs (N = 1, 3, 10) with the simulator and a short simulated move, and
# prints one table: wall time against the mandated time (5 s + 8 s per disc + the simulated move
# of each disc), CPU time as a share of wall time, peak resident memory, and the time to print the
# usage text.
#
#   bench/run.sh [N...]            default N: 1 3 10; builds in build/native and build/windows
#   VADRO_BENCH_NATIVE=DIR VADRO_BENCH_WINDOWS=DIR bench/run.sh   other build folders, such as
#                                  build/windows64 where the machine runs no 32-bit programs
# A build that is missing is skipped. Needs /usr/bin/time (Debian package "time").
set -euo pipefail
cd "$(dirname "$0")/.."

native_dir=${VADRO_BENCH_NATIVE:-build/native}
windows_dir=${VADRO_BENCH_WINDOWS:-build/windows}
move_ms=100        # simulated move of each disc
cddown_ms=200      # the disc-down report comes during the 5 s countdown, so it adds nothing
usage_runs=20
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1 3 10)

[ -x /usr/bin/time ] || { echo "bench/run.sh: /usr/bin/time is missing (Debian package \"time\")" >&2; exit 1; }

work=$(mktemp -d /tmp/vadro-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# A folder holding the program (and for Windows the simulator's DLL) and a bank map with device 3
# as bank 1.
prepare() {  # flavour
  local dir=$work/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  if [ "$1" = native ]; then
    cp "$native_dir/Vadro" "$dir/"
  else
    cp "$windows_dir/Vadro.exe" "$windows_dir/USBCDDLL.dll" "$dir/"
  fi
  printf '<CDLibraryList><Item ID="3" Bank="1"/></CDLibraryList>\r\n' > "$dir/Vadro.xml"
  echo "$dir"
}

command_of() {  # flavour dir
  if [ "$1" = native ]; then echo "$2/Vadro"; else echo "cmake/wine-run.sh $2/Vadro.exe"; fi
}

# Seconds for one run of the usage text, the mean of several.
usage_time() {  # flavour dir
  local cmd start end
  cmd=$(command_of "$1" "$2")
  start=$(date +%s%N)
  for _ in $(seq "$usage_runs"); do $cmd > /dev/null 2>&1; done
  end=$(date +%s%N)
  awk -v ns=$((end - start)) -v n="$usage_runs" 'BEGIN { printf "%.3f", ns / n / 1e9 }'
}

rows=()
for flavour in native windows; do
  if [ "$flavour" = native ]; then exe=$native_dir/Vadro; else exe=$windows_dir/Vadro.exe; fi
  if [ ! -f "$exe" ]; then
    echo "($flavour: $exe not built, skipped)" >&2
    continue
  fi
  if [ "$flavour" = windows ]; then
    export WINEDEBUG=-all
    # Wine's server is started once beforehand (the usage text), so that its own start is not
    # counted in a run.
    cmake/wine-run.sh "$exe" > /dev/null 2>&1 || true
  fi
  dir=$(prepare "$flavour")
  usage=$(usage_time "$flavour" "$dir")
  for n in "${counts[@]}"; do
    dir=$(prepare "$flavour")
    echo "$flavour: selecting $n disc(s)..." >&2
    USBCD_SIM_DEVICES=3 USBCD_SIM_MOVE_MS=$move_ms USBCD_SIM_CDDOWN_MS=$cddown_ms \
      /usr/bin/time -f "%e %U %S %M" -o "$dir/time.txt" $(command_of "$flavour" "$dir") "1-$n" \
      > "$dir/out.txt" 2> /dev/null
    lines=$(grep -c "Waiting for 5 seconds: done." "$dir/out.txt" || true)
    if [ "$lines" -ne "$n" ]; then
      echo "bench/run.sh: $flavour selected $lines of $n discs; output:" >&2
      cat "$dir/out.txt" >&2
      exit 1
    fi
    read -r wall user sys rss < "$dir/time.txt"
    rows+=("$flavour $n $wall $user $sys $rss $usage")
  done
done

printf '%s\n' "${rows[@]}" | awk -v move="$move_ms" '
  BEGIN {
    print "| build | discs | mandated s | wall s | overhead | CPU s | CPU / wall | peak RSS MiB | usage text s |"
    print "|---|---|---|---|---|---|---|---|---|"
  }
  {
    mandated = 5 + $2 * (8 + move / 1000)
    cpu = $4 + $5
    printf "| %s | %d | %.1f | %.2f | %+.2f %% | %.2f | %.2f %% | %.2f | %.3f |\n",
      $1, $2, mandated, $3, ($3 - mandated) / mandated * 100, cpu, cpu / $3 * 100, $6 / 1024, $7
  }'
echo
echo "Simulated move ${move_ms} ms per disc; wall and CPU time and peak memory by /usr/bin/time; under"
echo "Wine they are those of the program's own process (Wine's server is not counted)."
