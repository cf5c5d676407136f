#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source of the repository that the
# builds' compile_commands.json list, and fails on any finding.
#   cmake/check-tidy.sh BUILD_DIR [BUILD_DIR...]        (jobs: TIDY_JOBS, default nproc)
# A file is linted once, with the first build that compiles it. The files only a Windows build
# compiles (*_win32.cpp and their tests) come from a mingw-w64 build: clang parses them for that
# target with the cross compiler's own C++ library headers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: check-tidy.sh BUILD_DIR [BUILD_DIR...]" >&2; exit 2; }
jobs=${TIDY_JOBS:-$(nproc)}

tidy=${CLANG_TIDY:-clang-tidy}
if ! command -v "$tidy" >/dev/null; then
  echo "check-tidy: $tidy not found (Debian package clang-tidy)" >&2
  exit 1
fi
builds=()
for dir in "$@"; do
  if [ ! -f "$dir/compile_commands.json" ]; then
    echo "check-tidy: $dir/compile_commands.json missing; configure that build first (its preset" \
         "exports the compile commands)" >&2
    exit 1
  fi
  builds+=("$(cd "$dir" && pwd)")
done

# The repository's own translation units, each once, outside every build folder: a line per file
# with the build folder and, for a cross build, the clang arguments of its target, tab-separated.
mapfile -t files < <(python3 - "$root" "${builds[@]}" <<'PY'
import json, os, shlex, subprocess, sys
root, builds = sys.argv[1], sys.argv[2:]

def cross_arguments(compiler):
    """--target and the C++ library folders of a mingw-w64 compiler; nothing for a native one."""
    machine = subprocess.run([compiler, "-dumpmachine"], capture_output=True, text=True).stdout.strip()
    if "mingw" not in machine:
        return []
    probe = subprocess.run([compiler, "-xc++", "-E", "-v", "-"], stdin=subprocess.DEVNULL,
                           capture_output=True, text=True).stderr.splitlines()
    start = probe.index("#include <...> search starts here:") + 1
    folders = [line.strip() for line in probe[start:probe.index("End of search list.")]]
    result = ["--target=" + machine, "-nostdinc++"]
    for folder in folders:
        if "/c++" in folder:
            result += ["-isystem", os.path.normpath(folder)]
    return result

seen = set()
for build in builds:
    extra = None
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(path, root)
        if relative.startswith("..") or relative.split(os.sep)[0] == "build" or path in seen:
            continue
        seen.add(path)
        if extra is None:
            argv = entry.get("arguments") or shlex.split(entry["command"])
            extra = " ".join("--extra-arg=" + a for a in cross_arguments(argv[0]))
        print("%s\t%s\t%s" % (path, build, extra))
PY
)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-tidy: no source of $root in ${builds[*]}" >&2
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
  local file build extra output status=0 options=()
  IFS=$'\t' read -r file build extra <<< "$1"
  read -r -a options <<< "$extra"
  case "$file" in
    *_test.cpp) options+=('--checks=-clang-analyzer-*') ;;
  esac
  output=$("$tidy" -p "$build" --quiet --warnings-as-errors='*' --extra-arg=-UNDEBUG "${options[@]}" "$file" 2>&1) ||
    status=$?
  if [ $status -ne 0 ]; then
    printf '%s\n' "$output"
  fi
  return $status
}
export -f run_one
export tidy
if printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$jobs" bash -c 'run_one "$1"' _; then
  echo "check-tidy: ${#files[@]} files clean"
else
  echo "check-tidy: findings above (${#files[@]} files checked)" >&2
  exit 1
fi
