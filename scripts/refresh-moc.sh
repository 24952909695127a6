#!/bin/sh
# Usage: refresh-moc.sh BUILD_DIR
# CMake's automoc under Ninja only watches the headers it ran moc on last time, so a header
# that newly gains Q_OBJECT goes unnoticed in an existing build tree and the link fails. Any
# scan stamp older than a header is dropped so the next build scans again; outputs that did not
# change are kept, so nothing else is rebuilt.
[ -d "$1" ] || exit 0
find "$1" -path '*_autogen/timestamp' | while read -r stamp; do
    if [ -n "$(find src tests bench -name '*.h' -newer "$stamp" | head -n 1)" ]; then
        rm -f "$stamp"
    fi
done
