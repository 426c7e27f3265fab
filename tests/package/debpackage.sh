#!/usr/bin/env bash
# Checks what the Debian package that builddeb.sh left in PACKAGE_DIR holds: the program folder
# under /usr/lib/tavlo, the commands, the desktop entry and its metadata, the icons, the manual
# pages and Debian's documents, the declared dependencies, one version throughout, and a shipped
# book without errors.
# Usage: debpackage.sh PACKAGE_DIR APP_ID
set -euo pipefail
dir=$1
id=$2
deb=$dir/pellomare.deb
root=$dir/root

# The paths of the package, with the target of each link.
listing=$(dpkg-deb -c "$deb")
paths=$(sed -E 's/^([^ ]+ +){5}//' <<<"$listing")
failed=0
expect() {
    if ! grep -qxF -- "$1" <<<"$paths"; then
        echo "missing from the package: $1"
        failed=1
    fi
}
expect "./usr/bin/pellomare -> ../lib/tavlo/pellomare"
expect "./usr/bin/tavlo-book"
expect "./usr/lib/tavlo/pellomare"
expect "./usr/lib/tavlo/tessavanetavlo.tavlo"
expect "./usr/lib/tavlo/supportfiles/dhtmled.ocx"
expect "./usr/lib/tavlo/supportfiles/triedit.dll"
for picture in pre home nxt exit print printall find; do
    expect "./usr/lib/tavlo/images/$picture.gif"
done
expect "./usr/share/applications/$id.desktop"
expect "./usr/share/metainfo/$id.metainfo.xml"
for size in 16 32 48 256; do
    expect "./usr/share/icons/hicolor/${size}x${size}/apps/pellomare.png"
done
expect "./usr/share/man/man1/pellomare.1.gz"
expect "./usr/share/man/man1/tavlo-book.1.gz"
expect "./usr/share/doc/pellomare/copyright"
expect "./usr/share/doc/pellomare/changelog.Debian.gz"
mode() {
    grep -qE "^$1 root/root .* ${2//./\\.}\$" <<<"$listing" || { echo "not $1: $2"; failed=1; }
}
mode -rwxr-xr-x ./usr/bin/tavlo-book
mode -rwxr-xr-x ./usr/lib/tavlo/pellomare
mode -rw-r--r-- ./usr/lib/tavlo/supportfiles/dhtmled.ocx
mode -rw-r--r-- ./usr/lib/tavlo/supportfiles/triedit.dll

control=$(dpkg-deb -f "$deb" Package Version Depends Section Maintainer Description)
grep -qx "Package: pellomare" <<<"$control" || { echo "wrong package name:"; echo "$control"; failed=1; }
for dependency in libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6widgets6; do
    grep -qE "^Depends:.*\b$dependency\b" <<<"$control" || { echo "Depends lacks $dependency"; failed=1; }
done
grep -qE "^Maintainer: .+<.+@.+>" <<<"$control" || { echo "no maintainer"; failed=1; }

# One version: the package's is the changelog's top entry, and its upstream part is the latest
# release the AppStream metadata announces.
version=$(dpkg-deb -f "$deb" Version)
logged=$(zcat "$root/usr/share/doc/pellomare/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
[ "$version" = "$logged" ] || { echo "the package is at $version, its changelog at $logged"; failed=1; }
released=$(grep -m1 -oE '<release [^>]*version="[^"]+"' "$root/usr/share/metainfo/$id.metainfo.xml" |
    sed -E 's/.*version="([^"]+)"/\1/')
[ "${version%-*}" = "$released" ] || { echo "the package is at $version, the AppStream release at ${released:-none}"; failed=1; }
grep -qF "<id>$id</id>" "$root/usr/share/metainfo/$id.metainfo.xml" || { echo "the metainfo file does not hold the id $id"; failed=1; }

# The book as shipped, checked by the tavlo-book that ships with it, from the program's folder.
if ! "$root/usr/bin/tavlo-book" check "$root/usr/lib/tavlo/tessavanetavlo.tavlo"; then
    echo "the shipped book has errors"
    failed=1
fi
exit $failed
