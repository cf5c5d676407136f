#!/bin/sh
# Runs a Windows executable under Wine without Wine's own diagnostics.
WINEDEBUG=${WINEDEBUG:--all}
export WINEDEBUG
exec wine "$@"
