#!/usr/bin/env bash
# Checks that the C++ sources keep the project's .clang-format style, as CI
# does; --fix formats them in place instead.
#   check-format.sh [--fix]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
tool=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$tool" ]; then
    echo "SKIPPED: clang-format is not installed (clang-format)"
    exit 77
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    "$tool" -i "${files[@]}"
else
    "$tool" --dry-run --Werror "${files[@]}"
fi
