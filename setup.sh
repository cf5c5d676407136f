#!/usr/bin/env bash
# Installs what a Debian machine lacks, builds Vadro and runs it or its tests.
#   ./setup.sh run [DISCS...]   build the Linux version and select discs (default: 25 186-189 3)
#   ./setup.sh test             build both versions and run every test, the 32-bit thunk's tests
#                               (natively or under qemu-i386), then the unit tests under the
#                               sanitizers and a short run of each fuzz target
#                               The Windows tests run on the 32-bit build under wine where this
#                               machine runs 32-bit programs, otherwise (or with
#                               VADRO_WINDOWS_TESTS=64) on the 64-bit test build under wine64.
#   ./setup.sh fuzz [SECONDS]   run each fuzz target for longer (default 600 s)
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ libgtest-dev libxml2-dev tmux python3 g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix wine wine64 clang-format clang-tidy clang libclang-rt-14-dev time strace
          ccache g++-multilib)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The package lists, fetched anew. An archive being refreshed (a mirror in the middle of a sync)
# answers with errors for a while: the update is tried three times, a minute apart at most, and
# then the lists at hand are used.
update_package_lists() {
  local attempt
  for attempt in 1 2 3; do
    if as_root apt-get update -q; then return 0; fi
    if [ "$attempt" -lt 3 ]; then
      echo "setup.sh: apt-get update failed (attempt $attempt of 3); trying again in $((attempt * 20)) s" >&2
      sleep $((attempt * 20))
    fi
  done
  echo "setup.sh: apt-get update failed three times; going on with the package lists at hand" >&2
}

apt_install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@"
}

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  update_package_lists
  # The 32-bit Wine apart: its libraries must match the 64-bit ones of the same version, which an
  # archive in the middle of a refresh may not offer. Without it the Windows tests run on the
  # 64-bit build.
  local others=() wine32=""
  for p in "${missing[@]}"; do
    if [ "$p" = "$wine32_package" ]; then wine32=$p; else others+=("$p"); fi
  done
  if [ ${#others[@]} -gt 0 ] && ! apt_install "${others[@]}"; then
    local failed=()
    for p in "${others[@]}"; do apt_install "$p" > /dev/null 2>&1 || failed+=("$p"); done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "setup.sh: could not install: ${failed[*]}" >&2
      exit 1
    fi
  fi
  if [ -n "$wine32" ] && ! apt_install "$wine32"; then
    windows_tests=64
    windows_tests_line="32-bit Windows tests not run: the 32-bit Wine ($wine32) could not be installed; the Windows tests ran on the 64-bit build under wine64"
    echo "setup.sh: $windows_tests_line" >&2
  fi
}

# Whether this machine's kernel starts 32-bit x86 programs: runs a 93-byte static 32-bit ELF
# program that only exits with status 0 (one program header, then mov eax,1; xor ebx,ebx;
# int 0x80). VADRO_32BIT_PROBE names another program to run in its place, for trying the answer
# "no" on a machine that does run them.
runs_32bit_programs() {
  local probe=${VADRO_32BIT_PROBE:-}
  if [ -z "$probe" ]; then
    probe=build/probe-32bit
    mkdir -p build
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0'\
'\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08'\
'\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\x31\xdb\xcd\x80' > "$probe"
    chmod +x "$probe"
  fi
  "$probe" > /dev/null 2>&1
}

# The 32-bit Wine's package. VADRO_WINE32_PACKAGE names another, for trying a 32-bit Wine that
# cannot be installed.
wine32_package=${VADRO_WINE32_PACKAGE:-wine32:i386}

# Which Windows build the tests run on: windows_tests (32 or 64) and, for the log, why.
choose_windows_tests() {
  case "${VADRO_WINDOWS_TESTS:-}" in
    64)
      windows_tests=64
      windows_tests_line="32-bit Windows tests not run: VADRO_WINDOWS_TESTS=64 asks for the 64-bit build; the Windows tests ran on the 64-bit build under wine64"
      ;;
    "")
      if runs_32bit_programs; then
        windows_tests=32
        windows_tests_line="The Windows tests ran on the 32-bit build under wine"
      else
        windows_tests=64
        windows_tests_line="32-bit Windows tests not run: this machine runs no 32-bit programs; the Windows tests ran on the 64-bit build under wine64"
      fi
      ;;
    *)
      echo "setup.sh: VADRO_WINDOWS_TESTS must be 64 or unset, not \"$VADRO_WINDOWS_TESTS\"" >&2
      exit 2
      ;;
  esac
  if [ "$windows_tests" = 32 ]; then packages+=("$wine32_package"); fi
}

# How the tests of the 32-bit thunk (tests/i386, built for 32-bit Linux) run: natively where the
# kernel runs 32-bit programs, else under qemu-i386 (Debian package qemu-user).
choose_i386_runner() {
  if runs_32bit_programs; then
    i386_runner=""
    i386_line="The 32-bit thunk's tests ran natively"
  else
    i386_runner=qemu-i386
    i386_line="The 32-bit thunk's tests ran under qemu-i386: this machine runs no 32-bit programs"
    packages+=(qemu-user)
  fi
}

i386_tests() {
  cmake -S tests/i386 -B build/i386 -G Ninja -DVADRO_I386_RUNNER="$i386_runner" > /dev/null
  cmake --build build/i386
  ctest --test-dir build/i386 --output-on-failure
  echo "$i386_line."
}

# The Wine loader the 64-bit tests need, once the packages are in.
require_wine64() {
  if ! command -v wine64 > /dev/null 2>&1 && [ ! -x /usr/lib/wine/wine64 ]; then
    echo "setup.sh: this machine runs no 32-bit programs and the 64-bit Wine loader (Debian package" \
         "wine64) is missing, so no Windows code can be tested here" >&2
    exit 1
  fi
}

# Every build compiles through ccache, which takes the paths below the checkout as relative ones:
# a build that finds nothing changed since an earlier one, in this clone or another, takes the
# earlier compilations from the cache (ccache's own folder, or CCACHE_DIR). Objects with debug
# information are only taken from builds in the same folder, as their information names it.
use_ccache() {
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$PWD
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

# Wine's server and its services (services.exe, explorer.exe and the rest), started once before
# the Windows tests and stopped after them. Left to the tests, the first test to start Wine starts
# them too: they inherit that test's output pipe, so ctest counts the test as running until they
# end (minutes), and the server ends whenever no test happens to be running, racing the next
# test's start. The tests have a Wine folder of their own in build/, so that stopping the server
# touches no other Wine program of the user's. The loader is the one the tests use (32 or 64).
start_wine() {
  export WINEPREFIX=$PWD/build/wine$1
  local loader=wine
  if [ "$1" = 64 ]; then
    if command -v wine64 > /dev/null 2>&1; then loader=wine64; else
      loader=/usr/lib/wine/wine64
      export WINELOADER=${WINELOADER:-$loader}
    fi
  fi
  mkdir -p "$WINEPREFIX"
  trap 'wineserver -k 2> /dev/null || true' EXIT
  wineserver -p
  WINEDEBUG=-all "$loader" wineboot < /dev/null > /dev/null 2>&1 || true
  # Wine's desktop process takes the standard error of the program that starts it, and lives as
  # long as any program uses the desktop: started by a test, it would hold that test's output pipe
  # and ctest would wait for it. A helper started here starts it with no output and keeps it open.
  local build=build/windows ready=$WINEPREFIX/desktop.ready
  if [ "$1" = 64 ]; then build=build/windows64; fi
  rm -f "$ready"
  cmake/wine-run.sh "$build/hold_desktop.exe" < /dev/null > "$ready" 2> /dev/null &
  for _ in $(seq 1 300); do
    if grep -q ready "$ready" 2> /dev/null; then return 0; fi
    sleep 0.1
  done
  echo "Wine's desktop did not start within 30 s; the Windows tests may wait on it." >&2
}

stop_wine() {
  wineserver -k 2> /dev/null || true
  wineserver -w 2> /dev/null || true
  trap - EXIT
}

command=${1:-}
case "$command" in
  run)
    shift
    install_missing
    use_ccache
    # Only the program: the tests are built by the test command.
    cmake --preset native > /dev/null
    cmake --build --preset native --target Vadro
    if [ $# -eq 0 ]; then set -- 25 186-189 3; fi
    exec build/native/Vadro "$@"
    ;;
  test)
    choose_windows_tests
    choose_i386_runner
    install_missing
    use_ccache
    # The 32-bit product and its package are built on every machine, and so is the 64-bit test
    # build, whichever of the two the Windows tests run on.
    build native
    build windows
    cmake --build --preset windows --target package demo_package
    build windows64
    VADRO_REQUIRE_WINDOWS_BUILD=1 ctest --preset native
    i386_tests
    echo "$windows_tests_line."
    if [ "$windows_tests" = 32 ]; then
      start_wine 32
      ctest --preset windows
    else
      require_wine64
      start_wine 64
      ctest --preset windows64
    fi
    stop_wine
    # The unit tests under AddressSanitizer and ThreadSanitizer, then a short run of each fuzz target.
    for preset in asan tsan fuzz; do
      build $preset
      ctest --preset $preset
    done
    echo "$windows_tests_line."
    echo "$i386_line."
    ;;
  fuzz)
    # A longer fuzz run: SECONDS per target (default 600), two targets at a time.
    install_missing
    use_ccache
    build fuzz
    VADRO_FUZZ_SECONDS=${2:-600} ctest --preset fuzz
    ;;
  *)
    echo "usage: $0 run [DISCS...] | $0 test | $0 fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
