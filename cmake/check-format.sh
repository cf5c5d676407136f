#!/usr/bin/env bash
# Fails when a C++ source of the repository is not formatted as .clang-format says.
#   cmake/check-format.sh         check every tracked *.cpp and *.h, change nothing
#   cmake/check-format.sh --fix   format them in place
set -euo pipefail
cd "$(dirname "$0")/.."

format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
  echo "check-format: $format not found (Debian package clang-format)" >&2
  exit 1
fi

# The tracked sources; outside a git checkout, every source outside the build folders.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
else
  mapfile -d '' files < <(find . -path ./build -prune -o -path ./.git -prune -o \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no source found" >&2
  exit 1
fi

if [ "${1:-}" = --fix ]; then
  exec "$format" -i -- "${files[@]}"
fi
if "$format" --dry-run --Werror -- "${files[@]}"; then
  echo "check-format: ${#files[@]} files formatted"
else
  echo "check-format: files above are not formatted; cmake/check-format.sh --fix formats them" >&2
  exit 1
fi
