#!/usr/bin/env bash
# Makes the packages that the package tests look at, in OUT_DIR: the runtime and the sample book as the
# build makes them (packaging/packages.sh), and a second small book packaged by the runtime's own
# tavlo-book, with an SVG icon and a licence that Debian installs. Each is OUT_DIR/NAME.deb, unpacked
# into OUT_DIR/NAME/ and, all three together, into OUT_DIR/root/; the runtime's tavlo-book is
# OUT_DIR/tavlo/usr/bin/tavlo-book.
# Usage: builddeb.sh BUILD_DIR OUT_DIR SAMPLE_ID
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$1
out=$2
rm -rf "$out"
mkdir -p "$out"

bash "$here/../../packaging/packages.sh" "$build_dir" "$out/debs" "$3"
mv "$out"/debs/tavlo_*.deb "$out/tavlo.deb"
mv "$out"/debs/pellomare_*.deb "$out/pellomare.deb"
dpkg-deb -x "$out/tavlo.deb" "$out/tavlo"
tavlo_book=$out/tavlo/usr/bin/tavlo-book

# The second book, from a folder of HTML, as an author makes it: pack, then package.
mkdir -p "$out/smallbook-app"
"$tavlo_book" pack "$here/smallbook" -o "$out/smallbook-app/tessavanetavlo.tavlo"
cp "$here/smallbook/tides.html" "$out/smallbook-app/notes.html"
"$tavlo_book" package "$out/smallbook-app" -o "$out/debs" --id org.example.SmallBook --name "Small Book" \
    --version 2.1 --summary "A few pages on the tides" --icon "$here/smallbook.svg" --license CC0-1.0 \
    --maintainer "Ada Author <ada@example.org>"
mv "$out/debs/org.example.smallbook_2.1-1_all.deb" "$out/small-book.deb"
rmdir "$out/debs"
# Each book alone, and all three in one tree, where the books' links reach the runtime's reader.
for name in pellomare small-book; do
    dpkg-deb -x "$out/$name.deb" "$out/$name"
done
for name in tavlo pellomare small-book; do
    dpkg-deb -x "$out/$name.deb" "$out/root"
done
echo "made tavlo.deb, pellomare.deb and small-book.deb"
