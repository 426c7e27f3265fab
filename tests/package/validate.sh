#!/usr/bin/env bash
# Runs one of Debian's checkers on the packages that builddeb.sh left in PACKAGE_DIR; each must find
# neither an error nor a warning. lintian looks at all three packages, the AppStream and desktop
# checkers at the two books'.
# Usage: validate.sh lintian|appstream|desktop PACKAGE_DIR
set -uo pipefail
checker=$1
dir=$2
books=("pellomare org.tavlo.pellomare" "small-book org.example.SmallBook")

need() { command -v "$1" >/dev/null || { echo "$1 is not installed: run tools/setup.sh"; exit 1; }; }

failed=0
case "$checker" in
lintian)
    # Informational tags are shown but pass. Overridden tags would count if they were shown, so
    # they are not: packaging/lintian-overrides, and those tavlo-book writes, give the reason for each.
    need lintian
    lintian --fail-on error,warning --display-info "$dir/tavlo.deb" "$dir/pellomare.deb" "$dir/small-book.deb" ||
        failed=1
    ;;
appstream)
    need appstreamcli
    for book in "${books[@]}"; do
        read -r package id <<<"$book"
        metainfo=$dir/$package/usr/share/metainfo/$id.metainfo.xml
        [ -f "$metainfo" ] || { echo "no $metainfo"; failed=1; continue; }
        appstreamcli validate --no-net --pedantic --explain "$metainfo" || failed=1
        # The tree as installed: the metadata with the desktop entry and icon it names.
        appstreamcli validate-tree --no-net --pedantic --explain "$dir/$package" || failed=1
    done
    ;;
desktop)
    # desktop-file-validate fails on errors only; its warnings and hints count here too.
    need desktop-file-validate
    for book in "${books[@]}"; do
        read -r package id <<<"$book"
        desktop=$dir/$package/usr/share/applications/$id.desktop
        [ -f "$desktop" ] || { echo "no $desktop"; failed=1; continue; }
        report=$(desktop-file-validate "$desktop" 2>&1)
        status=$?
        [ -z "$report" ] || echo "$report"
        { [ $status -eq 0 ] && [ -z "$report" ]; } || failed=1
    done
    ;;
*)
    echo "unknown checker: $checker" >&2
    exit 2
    ;;
esac
exit $failed
