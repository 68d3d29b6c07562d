#!/usr/bin/env bash
# Registers Wavecrest with the desktop for the current user: a menu entry
# that starts the program in this folder, and its icon. Run it from the
# installed folder; run it again after moving the folder.
# With --remove, takes the entry and the icons away again.
set -euo pipefail
folder="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
id=org.wavecrest.Wavecrest
data="${XDG_DATA_HOME:-$HOME/.local/share}"
entry="$data/applications/$id.desktop"

if [ "${1:-}" = "--remove" ]; then
    rm -f "$entry" "$data/icons/hicolor/scalable/apps/$id.svg"
    for size in 16 32 48 256; do rm -f "$data/icons/hicolor/${size}x${size}/apps/$id.png"; done
    echo "Removed the Wavecrest menu entry."
    exit 0
fi

[ -x "$folder/Wavecrest" ] || { echo "No Wavecrest program in $folder" >&2; exit 1; }
[ -w "$folder" ] || echo "Note: $folder is not writable; songs cannot be staged there." >&2
mkdir -p "$data/applications" "$data/icons/hicolor/scalable/apps"
# Exec takes the program's full path, quoted as the desktop entry format
# asks: inside the quotes \ " ` $ get a backslash and % is doubled; then the
# value's own escaping doubles every backslash.
program="$folder/Wavecrest"
program="${program//\\/\\\\}"
program="${program//\"/\\\"}"
program="${program//\`/\\\`}"
program="${program//\$/\\\$}"
program="${program//%/%%}"
exec_value="\"${program//\\/\\\\}\""
while IFS= read -r line; do
    case "$line" in
    Exec=*) printf 'Exec=%s\n' "$exec_value" ;;
    *) printf '%s\n' "$line" ;;
    esac
done < "$folder/$id.desktop" > "$entry"
cp "$folder/icons/wavecrest.svg" "$data/icons/hicolor/scalable/apps/$id.svg"
for size in 16 32 48 256; do
    mkdir -p "$data/icons/hicolor/${size}x${size}/apps"
    cp "$folder/icons/wavecrest-$size.png" "$data/icons/hicolor/${size}x${size}/apps/$id.png"
done
command -v update-desktop-database >/dev/null && update-desktop-database -q "$data/applications" || true
echo "Wavecrest is in your desktop's menu now (entry: $entry)."
