#!/usr/bin/env bash
# Installs the Debian packages named in the given lists (default: what
# building and running need, packages.txt). Quick when everything is already
# there: apt is asked only for what is missing.
#   setup.sh [LIST...]   e.g. setup.sh packages.txt packages-test.txt
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
[ $# -gt 0 ] || set -- packages.txt
wanted=()
for list in "$@"; do
    mapfile -t -O "${#wanted[@]}" wanted < <(grep -v '^\s*\(#\|$\)' "$here/$list")
done
missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
