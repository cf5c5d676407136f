#!/bin/sh
# Runs a Windows executable under Wine, without Wine's own diagnostics: wine-run.sh EXE [ARGS...]
#
# The one place that picks the Wine loader. It follows the executable: a 64-bit exe runs under
# wine64, a 32-bit one under `wine`. Debian's `wine` starts the 32-bit loader whenever wine32 is
# installed, and that loader cannot start where the kernel runs no 32-bit programs, so a 64-bit
# exe is never left to it.
WINEDEBUG=${WINEDEBUG:--all}
export WINEDEBUG

# The machine field of the PE header: at the offset that the DOS header's word at 0x3c names, after
# the four bytes "PE\0\0".
pe_machine() {
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

if [ "$(pe_machine "$1")" = 8664 ]; then
  if command -v wine64 >/dev/null 2>&1; then
    exec wine64 "$@"
  elif [ -x /usr/lib/wine/wine64 ]; then
    # Debian keeps the 64-bit loader out of PATH; it must know itself as the loader to use.
    WINELOADER=${WINELOADER:-/usr/lib/wine/wine64}
    export WINELOADER
    exec /usr/lib/wine/wine64 "$@"
  fi
  echo "wine-run.sh: no 64-bit Wine loader (wine64) to run $1" >&2
  exit 127
fi
exec wine "$@"
