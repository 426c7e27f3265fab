#!/usr/bin/env bash
# Checks what the packages that builddeb.sh left in PACKAGE_DIR hold: the runtime, tavlo, with the
# reader, tavlo-book and what a book's package takes from it; each book's package with its own
# application folder, command, desktop entry, metadata, icon and documents, its reader a link to the
# runtime's, for every architecture, depending on the runtime; one version throughout; and no file of
# one package in another, so that they install side by side.
# Usage: debpackage.sh PACKAGE_DIR
set -euo pipefail
dir=$1
failed=0
fail() {
    echo "$*"
    failed=1
}

paths_of() { dpkg-deb -c "$dir/$1.deb" | sed -E 's/^([^ ]+ +){5}//'; }
expect() { # PACKAGE PATH...
    local package=$1 paths
    shift
    paths=$(paths_of "$package")
    for path in "$@"; do
        grep -qxF -- "$path" <<<"$paths" || fail "$package lacks $path"
    done
}
mode() { # PACKAGE MODE PATH
    local listing
    listing=$(dpkg-deb -c "$dir/$1.deb")
    grep -qE "^$2 root/root .* ${3//./\\.}( -> .*)?\$" <<<"$listing" || fail "$1: not $2 root/root: $3"
}
field() { dpkg-deb -f "$dir/$1.deb" "$2"; }
toolbar=(pre home nxt exit print printall find)

# The runtime: no book, no command of a book, nothing in the menu.
expect tavlo ./usr/bin/tavlo-book ./usr/lib/tavlo/pellomare ./usr/lib/tavlo/supportfiles/dhtmled.ocx \
    ./usr/lib/tavlo/supportfiles/triedit.dll ./usr/lib/tavlo/package/control ./usr/lib/tavlo/package/icon.png \
    ./usr/lib/tavlo/package/reader.1 ./usr/lib/tavlo/package/reader.copyright ./usr/lib/tavlo/tavlo-book-icons.so \
    ./usr/share/man/man1/tavlo-book.1.gz ./usr/share/doc/tavlo/copyright ./usr/share/doc/tavlo/changelog.Debian.gz
for picture in "${toolbar[@]}"; do expect tavlo "./usr/lib/tavlo/images/$picture.gif"; done
! grep -E '^\./usr/(bin/pellomare|share/applications/|share/metainfo/|lib/tavlo/tessavanetavlo)' <<<"$(paths_of tavlo)" ||
    fail "tavlo ships a book or its entry"
mode tavlo -rwxr-xr-x ./usr/bin/tavlo-book
mode tavlo -rwxr-xr-x ./usr/lib/tavlo/pellomare
mode tavlo -rw-r--r-- ./usr/lib/tavlo/supportfiles/dhtmled.ocx
mode tavlo -rw-r--r-- ./usr/lib/tavlo/tavlo-book-icons.so
[ "$(field tavlo Package)" = tavlo ] || fail "the runtime's package is not named tavlo"
depends=$(field tavlo Depends)
for dependency in libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6widgets6; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "tavlo's Depends lacks $dependency"
done
recorded=$(sed -n 's/^Depends: //p' "$dir/tavlo/usr/lib/tavlo/package/control")
[ "$depends" = "$recorded" ] || fail "tavlo depends on \"$depends\", but recorded \"$recorded\" for books"
grep -qx "License: Expat" "$dir/tavlo/usr/share/doc/tavlo/copyright" || fail "the runtime is not under the MIT licence"
version=$(field tavlo Version)
logged=$(zcat "$dir/tavlo/usr/share/doc/tavlo/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
[ "$version" = "$logged" ] || fail "tavlo is at $version, its changelog at $logged"

# A book's package, named FILE.deb in PACKAGE_DIR. Usage: book FILE PACKAGE COMMAND ID VERSION LICENSE ICON-PATH...
book() {
    local file=$1 package=$2 command=$3 id=$4 upstream=$5 license=$6 root=$dir/$1
    shift 6
    local app=./usr/lib/$id
    expect "$file" "./usr/bin/$command -> ../lib/$id/pellomare" "$app/pellomare -> ../tavlo/pellomare" \
        "$app/supportfiles -> ../tavlo/supportfiles" "$app/tessavanetavlo.tavlo" \
        "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
        "./usr/share/man/man1/$command.1.gz" "./usr/share/doc/$package/copyright" \
        "./usr/share/doc/$package/changelog.Debian.gz" "$@"
    # Nothing of the reader's own is in a book's package, only links to it.
    ! dpkg-deb -c "$dir/$file.deb" | grep -E '^-.* ./usr/lib/[^/]+/(pellomare|supportfiles/.*)$' ||
        fail "$package holds a file of the reader's"
    for picture in "${toolbar[@]}"; do
        [ -f "$dir/root/usr/lib/$id/images/$picture.gif" ] || fail "$package: no toolbar picture $picture.gif"
    done
    mode "$file" -rw-r--r-- "$app/tessavanetavlo.tavlo"

    [ "$(field "$file" Package)" = "$package" ] || fail "$package: wrong Package: $(field "$file" Package)"
    [ "$(field "$file" Version)" = "$upstream-1" ] || fail "$package: Version is $(field "$file" Version)"
    [ "$(field "$file" Depends)" = "tavlo (>= $version)" ] || fail "$package: Depends is $(field "$file" Depends)"
    [ "$(field "$file" Architecture)" = all ] || fail "$package: not for every architecture"
    [ "$(readlink -f "$dir/root/usr/bin/$command")" = "$dir/root/usr/lib/tavlo/pellomare" ] ||
        fail "$command does not lead to the runtime's reader"

    local entry=$root/usr/share/applications/$id.desktop
    for line in "Exec=$command" "Icon=$id" "StartupWMClass=$id"; do
        grep -qxF "$line" "$entry" || fail "$package: the desktop entry lacks $line"
    done
    local metainfo=$root/usr/share/metainfo/$id.metainfo.xml
    grep -qF "<id>$id</id>" "$metainfo" || fail "$package: the metadata lacks its id"
    grep -qE "<release version=\"$upstream\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo" ||
        fail "$package: the metadata announces no release $upstream"
    grep -qF "<project_license>$license</project_license>" "$metainfo" || fail "$package: the metadata's licence"
    grep -qx "License: $license" "$root/usr/share/doc/$package/copyright" || fail "$package: the copyright's licence"
    logged=$(zcat "$root/usr/share/doc/$package/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)
    [ "$logged" = "$upstream-1" ] || fail "$package: its changelog is at $logged"
    "$dir/tavlo/usr/bin/tavlo-book" check "$dir/root/usr/lib/$id/tessavanetavlo.tavlo" --app-dir "$dir/root/usr/lib/$id" \
        >/dev/null || fail "$package: the shipped book has errors"
}
book pellomare pellomare pellomare org.tavlo.pellomare "${version%-*}" CC-BY-4.0 \
    ./usr/share/icons/hicolor/16x16/apps/org.tavlo.pellomare.png \
    ./usr/share/icons/hicolor/256x256/apps/org.tavlo.pellomare.png
book small-book org.example.smallbook smallbook org.example.SmallBook 2.1 CC0-1.0 \
    ./usr/share/icons/hicolor/scalable/apps/org.example.SmallBook.svg ./usr/lib/org.example.SmallBook/notes.html
grep -qxF "Name=pellomare" "$dir/pellomare/usr/share/applications/org.tavlo.pellomare.desktop" ||
    fail "the sample's entry is not named pellomare, the caption of its messages"
grep -qxF "Name=Small Book" "$dir/small-book/usr/share/applications/org.example.SmallBook.desktop" ||
    fail "the second book's entry is not named Small Book"
# The sample's description comes from its first page's first paragraph of text.
grep -qF "<p>Pellomare is a small fishing town" "$dir/pellomare/usr/share/metainfo/org.tavlo.pellomare.metainfo.xml" ||
    fail "the sample's metadata lacks the first paragraph of its first page"

# Side by side: no file (or link) is in two packages.
shared=$(for package in tavlo pellomare small-book; do dpkg-deb -c "$dir/$package.deb" | grep -v '^d' |
    sed -E 's/^([^ ]+ +){5}//; s/ -> .*//'; done | sort | uniq -d)
[ -z "$shared" ] || fail "in two packages: $shared"
exit $failed
