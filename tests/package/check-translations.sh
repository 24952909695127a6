#!/usr/bin/env bash
# The translation template the build made holds what each part of the drawer shows: a string
# left out of tr() would be missing here, and no translator would ever see it.
# Usage: check-translations.sh TEMPLATE
set -euo pipefail
template=$1
[ -s "$template" ] || { echo "no translation template at $template"; exit 1; }

missing=0
while IFS= read -r text; do
    [ -n "$text" ] || continue
    if ! grep -qF "<source>$text</source>" "$template"; then
        echo "not in the template: $text"
        missing=1
    fi
done <<'STRINGS'
Copied
Copy something to get started
Clear All
Drop files here
No matches
Search
Pin
Unpin
Image, %1×%2
Copy to clipboard
Show in Files
%n screenshots
Screenshots appear here automatically
Quit Hodgebin
Settings…
Menu
Notes can&apos;t be saved right now; they are kept until they can be
%1s ago
Show the pill
Enable sounds
Start at login
Clipboard history &amp; file shelf at the top of your screen
Hodgebin Settings
Hodgebin
Hodgebin is not running
Hodgebin is already running (pid %1); its drawer is shown
STRINGS
count=$(grep -c '<source>' "$template")
echo "$count strings in the template"
exit $missing
