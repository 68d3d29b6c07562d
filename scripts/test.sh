#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite headless.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" packages.txt packages-headless.txt packages-test.txt
"$root/scripts/build.sh"
build="${WAVECREST_BUILD_DIR:-$root/build}"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
ctest --test-dir "$build" --output-on-failure --timeout 600 "$@"
