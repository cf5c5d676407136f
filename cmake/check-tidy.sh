#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source of the repository that the
# build's compile_commands.json lists, and fails on any finding.
#   cmake/check-tidy.sh BUILD_DIR [JOBS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: check-tidy.sh BUILD_DIR [JOBS]}" && pwd)
jobs=${2:-$(nproc)}

tidy=${CLANG_TIDY:-clang-tidy}
if ! command -v "$tidy" >/dev/null; then
  echo "check-tidy: $tidy not found (Debian package clang-tidy)" >&2
  exit 1
fi
database=$build/compile_commands.json
if [ ! -f "$database" ]; then
  echo "check-tidy: $database missing; configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
  exit 1
fi

# The repository's own translation units, each once, outside every build folder.
mapfile -t files < <(python3 - "$database" "$root" <<'PY'
import json, os, sys
database, root = sys.argv[1], sys.argv[2]
seen = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    relative = os.path.relpath(path, root)
    if relative.startswith("..") or relative.split(os.sep)[0] == "build" or path in seen:
        continue
    seen.add(path)
    print(path)
PY
)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-tidy: no source of $root in $database" >&2
  exit 1
fi

# One clang-tidy per file, its output printed in one piece when it ends.
# - NDEBUG is lifted so that the static analyzer takes the code's assertions as facts, as a Debug
#   build would check them.
# - The *_test.cpp files are checked without clang-analyzer-*: its path search through the
#   GoogleTest macros took four fifths of the whole run (some 25 of 30 s a test file) and finds
#   nothing there that the sanitizer builds running the same tests would not. The sources under
#   test and the test helpers (fake clock, screen model, test support) are still analysed.
run_one() {
  local output status=0 options=()
  case "$1" in
    *_test.cpp) options+=('--checks=-clang-analyzer-*') ;;
  esac
  output=$("$tidy" -p "$build" --quiet --warnings-as-errors='*' --extra-arg=-UNDEBUG "${options[@]}" "$1" 2>&1) ||
    status=$?
  if [ $status -ne 0 ]; then
    printf '%s\n' "$output"
  fi
  return $status
}
export -f run_one
export tidy build
if printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$jobs" bash -c 'run_one "$1"' _; then
  echo "check-tidy: ${#files[@]} files clean"
else
  echo "check-tidy: findings above (${#files[@]} files checked)" >&2
  exit 1
fi
