#!/usr/bin/env bash
# Builds the Debian package of a build folder into a folder of its own and checks what it holds:
# the program folder under /usr/lib/tavlo, the commands, the desktop entry, the icons and the
# manual pages, the declared dependencies, and a shipped book without errors.
# Usage: debpackage.sh BUILD_DIR
set -euo pipefail
build_dir=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
debs=("$out"/pellomare_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single pellomare .deb in: $(ls "$out")"; exit 1; }
deb=${debs[0]}

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
expect "./usr/share/applications/org.tavlo.pellomare.desktop"
expect "./usr/share/metainfo/org.tavlo.pellomare.metainfo.xml"
for size in 16 32 48 256; do
    expect "./usr/share/icons/hicolor/${size}x${size}/apps/pellomare.png"
done
expect "./usr/share/man/man1/pellomare.1.gz"
expect "./usr/share/man/man1/tavlo-book.1.gz"
for program in ./usr/bin/tavlo-book ./usr/lib/tavlo/pellomare; do
    grep -qE "^-rwxr-xr-x .* ${program//./\\.}\$" <<<"$listing" || { echo "not executable: $program"; failed=1; }
done

control=$(dpkg-deb -f "$deb" Package Depends Section Maintainer Description)
grep -qx "Package: pellomare" <<<"$control" || { echo "wrong package name:"; echo "$control"; failed=1; }
for dependency in libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6widgets6; do
    grep -qE "^Depends:.*\b$dependency\b" <<<"$control" || { echo "Depends lacks $dependency"; failed=1; }
done
grep -qE "^Maintainer: .+<.+@.+>" <<<"$control" || { echo "no maintainer"; failed=1; }

# The book as shipped, checked by the tavlo-book that ships with it, from the program's folder.
dpkg-deb -x "$deb" "$out/root"
if ! "$out/root/usr/bin/tavlo-book" check "$out/root/usr/lib/tavlo/tessavanetavlo.tavlo"; then
    echo "the shipped book has errors"
    failed=1
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$out/root/usr/share/applications/org.tavlo.pellomare.desktop" || failed=1
fi
exit $failed
