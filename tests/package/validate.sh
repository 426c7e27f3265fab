#!/usr/bin/env bash
# Runs one of Debian's checkers on the package that builddeb.sh left in PACKAGE_DIR; each must find
# neither an error nor a warning.
# Usage: validate.sh lintian|appstream|desktop PACKAGE_DIR APP_ID
set -uo pipefail
checker=$1
dir=$2
id=$3
root=$dir/root
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
desktop=$root/usr/share/applications/$id.desktop

need() { command -v "$1" >/dev/null || { echo "$1 is not installed: run tools/setup.sh"; exit 1; }; }

case "$checker" in
lintian)
    # Informational tags are shown but pass. Overridden tags would count if they were shown, so
    # they are not: packaging/lintian-overrides gives the reason for each.
    need lintian
    lintian --fail-on error,warning --display-info "$dir/pellomare.deb"
    ;;
appstream)
    need appstreamcli
    [ -f "$metainfo" ] || { echo "no $metainfo"; exit 1; }
    appstreamcli validate --no-net --pedantic --explain "$metainfo" || exit 1
    # The tree as installed: the metadata with the desktop entry and icon it names.
    appstreamcli validate-tree --no-net --pedantic --explain "$root"
    ;;
desktop)
    # desktop-file-validate fails on errors only; its warnings and hints count here too.
    need desktop-file-validate
    [ -f "$desktop" ] || { echo "no $desktop"; exit 1; }
    report=$(desktop-file-validate "$desktop" 2>&1)
    status=$?
    [ -z "$report" ] || echo "$report"
    [ $status -eq 0 ] && [ -z "$report" ]
    ;;
*)
    echo "unknown checker: $checker" >&2
    exit 2
    ;;
esac
