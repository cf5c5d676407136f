#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source of the repository that the
# builds' compile_commands.json list, and fails on any finding.
#   cmake/check-tidy.sh BUILD_DIR [BUILD_DIR...]        (jobs: TIDY_JOBS, default nproc)
# A file is linted once, with the first build that compiles it. The files only a Windows build
# compiles (*_win32.cpp and their tests) come from a mingw-w64 build: clang parses them for that
# target with the cross compiler's own C++ library headers.
# A file found clean leaves a stamp in the first build folder (tidy-clean/), named by a digest of
# everything its result depends on: clang-tidy's version, .clang-tidy, the file's compile command
# and the content of the file and of every header the build recorded it including. A later run
# skips the files whose stamp is there, so only what changed is linted again; TIDY_ALL=1 lints all.
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
# with the build folder, the digest of what its result depends on ("-" where the build has not
# recorded its headers yet) and, for a cross build, the clang arguments of its target,
# tab-separated.
stamps=${builds[0]}/tidy-clean
mkdir -p "$stamps"
mapfile -t files < <(python3 - "$root" "$tidy" "${builds[@]}" <<'PY'
import hashlib, json, os, shlex, subprocess, sys
root, tidy, builds = sys.argv[1], sys.argv[2], sys.argv[3:]
common = hashlib.sha256()
common.update(subprocess.run([tidy, "--version"], capture_output=True).stdout)
common.update(open(os.path.join(root, ".clang-tidy"), "rb").read())
contents = {}

def content_digest(path):
    """The digest of a file of the repository or a build; size and time of any other file."""
    if path not in contents:
        try:
            if os.path.relpath(path, root).startswith(".."):
                status = os.stat(path)
                contents[path] = ("%d %d" % (status.st_size, status.st_mtime_ns)).encode()
            else:
                contents[path] = hashlib.sha256(open(path, "rb").read()).digest()
        except OSError:
            contents[path] = b"missing"
    return contents[path]

def recorded_headers(build):
    """Object file -> the files its compilation read, as ninja recorded them."""
    listing = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True, text=True).stdout
    result, current = {}, None
    for line in listing.splitlines():
        if line and not line[0].isspace():
            current = result.setdefault(line.split(":")[0], [])
        elif current is not None and line.strip():
            current.append(os.path.normpath(os.path.join(build, line.strip())))
    return result

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
    headers = recorded_headers(build)
    for entry in json.load(open(os.path.join(build, "compile_commands.json"))):
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(path, root)
        if relative.startswith("..") or relative.split(os.sep)[0] == "build" or path in seen:
            continue
        seen.add(path)
        argv = entry.get("arguments") or shlex.split(entry["command"])
        if extra is None:
            extra = " ".join("--extra-arg=" + a for a in cross_arguments(argv[0]))
        key = common.copy()
        key.update(" ".join(argv).encode() + b"\0" + extra.encode())
        output = argv[argv.index("-o") + 1] if "-o" in argv else ""
        for read in [path] + sorted(set(headers.get(output, []))):
            key.update(read.encode() + b"\0" + content_digest(read))
        # Without the recorded headers (the file not built yet) the digest would miss them: such a
        # file is linted every time and never stamped.
        digest = key.hexdigest() if headers.get(output) else "-"
        print("%s\t%s\t%s\t%s" % (path, build, digest, extra))
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
  local file build key extra output status=0 options=()
  IFS=$'\t' read -r file build key extra <<< "$1"
  [ "$key" != - ] && [ -e "$stamps/$key" ] && return 0
  read -r -a options <<< "$extra"
  case "$file" in
    *_test.cpp) options+=('--checks=-clang-analyzer-*') ;;
  esac
  output=$("$tidy" -p "$build" --quiet --warnings-as-errors='*' --extra-arg=-UNDEBUG "${options[@]}" "$file" 2>&1) ||
    status=$?
  if [ $status -ne 0 ]; then
    printf '%s\n' "$output"
  elif [ "$key" != - ]; then
    : > "$stamps/$key"
  fi
  return $status
}
export -f run_one
export tidy stamps
if [ "${TIDY_ALL:-}" = 1 ]; then rm -f "$stamps"/*; fi
unchanged=0
for line in "${files[@]}"; do
  IFS=$'\t' read -r _ _ key _ <<< "$line"
  [ -e "$stamps/$key" ] && unchanged=$((unchanged + 1))
done
echo "check-tidy: ${#files[@]} files, $unchanged of them unchanged since they were found clean"
if printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$jobs" bash -c 'run_one "$1"' _; then
  # Stamps of files as they no longer are serve no later run.
  declare -A current=()
  for line in "${files[@]}"; do
    IFS=$'\t' read -r _ _ key _ <<< "$line"
    current[$key]=1
  done
  for stamp in "$stamps"/*; do
    [ -n "${current[${stamp##*/}]:-}" ] || rm -f "$stamp"
  done
  echo "check-tidy: ${#files[@]} files clean"
else
  echo "check-tidy: findings above (${#files[@]} files checked)" >&2
  exit 1
fi
