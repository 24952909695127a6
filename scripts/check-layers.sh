#!/bin/sh
# Lists every include that reaches into a folder above the including one, and every include
# between two feature folders; prints nothing and succeeds when the layers hold.
# Order, bottom up (folders on one line share a rank):
#   platform; platform/linux; platform/x11; widgets; panel;
#   clipboard shelf notes screenshots settings; drops; drawer; notch; app
cd "$(dirname "$0")/../src" || exit 2
rank() {
    case "$1" in
    platform) echo 0 ;;
    platform/linux) echo 1 ;;
    platform/x11) echo 2 ;;
    widgets) echo 3 ;;
    panel) echo 4 ;;
    clipboard | shelf | notes | screenshots | settings) echo 5 ;;
    drops) echo 6 ;;
    drawer) echo 7 ;;
    notch) echo 8 ;;
    app) echo 9 ;;
    *) echo 10 ;;
    esac
}
# The folder of a path: platform/linux and platform/x11 are folders of their own.
folder() {
    case "$1" in
    platform/linux/* | platform/x11/*) echo "$1" | cut -d/ -f1-2 ;;
    */*) echo "$1" | cut -d/ -f1 ;;
    *) echo . ;;
    esac
}
status=0
for file in $(find . -name '*.h' -o -name '*.cpp' -o -name '*.h.in' | sed 's|^\./||' | sort); do
    from=$(folder "$file")
    [ "$from" = . ] && continue
    from_rank=$(rank "$from")
    for included in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
        to=$(folder "$included")
        [ "$to" = . ] && continue
        [ "$to" = "$from" ] && continue
        to_rank=$(rank "$to")
        if [ "$to_rank" -gt "$from_rank" ] ||
            { [ "$to_rank" -eq "$from_rank" ] && [ "$to" != "$from" ]; }; then
            echo "$file: includes $included ($to is not below $from)"
            status=1
        fi
    done
done
exit $status
