#!/usr/bin/env bash
# Installs what a Debian machine lacks, builds Vadro and runs it or its tests.
#   ./setup.sh run [DISCS...]   build the Linux version and select discs (default: 25 186-189 3)
#   ./setup.sh test             build both versions and run every test, then the unit tests under
#                               the sanitizers and a short run of each fuzz target
#   ./setup.sh fuzz [SECONDS]   run each fuzz target for longer (default 600 s)
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ libgtest-dev libxml2-dev tmux python3 g++-mingw-w64-i686 wine wine32:i386
          clang-format clang-tidy clang libclang-rt-14-dev time)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
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
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

command=${1:-}
case "$command" in
  run)
    shift
    install_missing
    build native
    if [ $# -eq 0 ]; then set -- 25 186-189 3; fi
    exec build/native/Vadro "$@"
    ;;
  test)
    install_missing
    build native
    build windows
    ctest --preset native
    ctest --preset windows
    # The unit tests under AddressSanitizer and ThreadSanitizer, then a short run of each fuzz target.
    for preset in asan tsan fuzz; do
      build $preset
      ctest --preset $preset
    done
    ;;
  fuzz)
    # A longer fuzz run: SECONDS per target (default 600), two targets at a time.
    install_missing
    build fuzz
    VADRO_FUZZ_SECONDS=${2:-600} ctest --preset fuzz
    ;;
  *)
    echo "usage: $0 run [DISCS...] | $0 test | $0 fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
