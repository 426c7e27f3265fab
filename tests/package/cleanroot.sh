#!/usr/bin/env bash
# The packages as a user without a compiler gets them, in a clean Debian 12 root made with
# debootstrap: apt-get installs the runtime tavlo and the sample's package, pulling their
# dependencies; the runtime's tavlo-book, inside the root, imports Debian's own handbook and packages
# it, and so SQLite's manual (sqlite3-doc) once its links to pages Debian leaves out are mended, as
# its author would; apt-get installs both. A book named Bash takes none of bash's names; the handbook,
# renamed and packaged again, upgrades in place; a newer tavlo changes the reader of every book.
# Both books are started as an ordinary user with the web engine's sandbox on, under a virtual X
# server, and must show their own titles with their own window classes; purging the sample leaves
# the handbook working. Debian's checkers look at the handbook's package.
# Slow, needs root and Debian's mirror: ctest does not run it.
# Usage: cleanroot.sh PACKAGE_DIR ROOT   (PACKAGE_DIR as builddeb.sh leaves it; ROOT is made if missing)
set -euo pipefail
dir=$(realpath "$1")
root=$2
mirror=http://deb.debian.org/debian
display=:77
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ ! -f "$root/etc/debian_version" ]; then
    step "debootstrap bookworm into $root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
        { tail -20 "$root.debootstrap.log"; exit 1; }
fi
root=$(realpath "$root")
cp /etc/resolv.conf "$root/etc/resolv.conf"

# Runs a command with ROOT as the root of its own mount namespace (pivot_root rather than chroot):
# the web engine's sandbox makes user namespaces, which the kernel refuses to a chrooted process.
inside() {
    unshare --mount --fork -- bash -c '
        set -e
        root=$1; shift
        mount --make-rprivate /
        mount --rbind "$root" "$root"
        mount --rbind /dev "$root/dev"
        mount --rbind /sys "$root/sys"
        mount -t proc proc "$root/proc"
        mkdir -p "$root/tmp/.X11-unix"
        mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
        cd "$root"
        mkdir -p .oldroot
        pivot_root . .oldroot
        umount -l /.oldroot
        exec env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"' inside "$root" "$@"
}
# As the ordinary user reader, whose home is emptied first.
as_reader() {
    inside setpriv --reuid=reader --regid=reader --init-groups \
        env HOME=/home/reader DISPLAY=$display QT_QPA_PLATFORM=xcb "$@"
}

step "no compiler in the root"
! inside sh -c 'command -v cc gcc g++ c++ clang cmake' || fail "the root has a compiler"

step "apt-get install tavlo and pellomare"
mkdir -p "$root/tmp/debs"
cp "$dir/tavlo.deb" "$dir/pellomare.deb" "$root/tmp/debs/"
inside apt-get update -qq
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/debs/tavlo.deb /tmp/debs/pellomare.deb |
    grep -E "^(Setting up (tavlo|pellomare|libqt6webengine|qt6-wayland)|[0-9]+ upgraded)" || true
inside dpkg-query -W -f='${Package} ${Version} ${Status}\n' tavlo pellomare

step "import Debian's handbook and package it, inside the root"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debian-handbook |
    grep -E "^Setting up debian-handbook" || true
inside rm -rf /tmp/handbook /tmp/out
inside tavlo-book import /usr/share/doc/debian-handbook/html/en-US -o /tmp/handbook | tail -3
inside tavlo-book check /tmp/handbook/tessavanetavlo.tavlo | tail -1
inside tavlo-book package /tmp/handbook -o /tmp/out --id org.debian.AdminHandbook --name "Debian Admin Handbook" \
    --version 12.0 --summary "Debian administrator's handbook as a book to read" --license GPL-2.0-or-later \
    --maintainer "Handbook Reader <reader@example.org>"
handbook_deb=$(ls "$root"/tmp/out/org.debian.adminhandbook_*.deb)
cp "$handbook_deb" "$dir/debian-admin-handbook.deb"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/out/$(basename "$handbook_deb")" |
    grep -E "^Setting up" || true

step "import SQLite's manual, mend its links, package it, inside the root"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends sqlite3-doc |
    grep -E "^Setting up sqlite3-doc" || true
inside rm -rf /tmp/sqlite-site /tmp/sqlite
inside cp -a /usr/share/doc/sqlite3 /tmp/sqlite-site
# Debian's copy lacks the requirements' matrix/ pages; a few links lack their scheme or "#".
inside find /tmp/sqlite-site -name '*.html' -exec sed -i -E \
    -e "s#<a href=['\"](\\.\\./)*matrix/[^'\"]*['\"]>#<a>#g" \
    -e 's#href="((\.\./)*)www\.sqlite\.org/#href="https://www.sqlite.org/#g' \
    -e 's#href="section_3_2"#href="\#section_3_2"#g' -e 's#href="\\"#href="\#"#g' \
    -e 's#<a href="c3ref/value_encoding.html">#<a>#g' {} +
inside tavlo-book import /tmp/sqlite-site -o /tmp/sqlite | tail -1
inside tavlo-book check /tmp/sqlite/tessavanetavlo.tavlo | tail -1
inside tavlo-book package /tmp/sqlite -o /tmp/out --id org.sqlite.Manual --name "SQLite manual" --command sqlite-manual \
    --version 3.40.1 --license LicenseRef-public-domain --copyright /usr/share/doc/sqlite3-doc/copyright \
    --homepage https://www.sqlite.org/ --categories "Development;Documentation" \
    --maintainer "Handbook Reader <reader@example.org>" 2>&1 | tail -1
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/out/org.sqlite.manual_3.40.1-1_all.deb |
    grep -E "^Setting up" || true
cp "$root"/tmp/out/org.sqlite.manual_*.deb "$dir/sqlite-manual.deb"

step "a book named Bash can touch neither bash nor /usr/bin/bash"
bash_sum=$(md5sum <"$root/usr/bin/bash")
! inside tavlo-book package /tmp/handbook -o /tmp/bash --id org.example.Bash --name Bash \
    --maintainer "Handbook Reader <reader@example.org>" || fail "a book whose command is bash was packaged"
inside tavlo-book package /tmp/handbook -o /tmp/bash --id org.example.Shells --name Bash \
    --maintainer "Handbook Reader <reader@example.org>"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/bash/org.example.shells_1.0-1_all.deb" |
    grep -E "^Setting up" || true
[ "$(md5sum <"$root/usr/bin/bash")" = "$bash_sum" ] && inside dpkg -S /bin/bash | grep -qx "bash: /bin/bash" ||
    fail "bash was touched"
inside dpkg-query -W -f='${Package} ${Version}\n' bash org.example.shells

step "the handbook renamed and packaged again upgrades in place"
inside tavlo-book package /tmp/handbook -o /tmp/out --id org.debian.AdminHandbook \
    --name "Debian Administrator's Handbook" --version 12.1 \
    --summary "Debian administrator's handbook as a book to read" --license GPL-2.0-or-later \
    --maintainer "Handbook Reader <reader@example.org>"
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/out/org.debian.adminhandbook_12.1-1_all.deb |
    grep -E "^(Unpacking|Setting up)" || true
[ "$(inside dpkg-query -W -f='${Version}' org.debian.adminhandbook)" = 12.1-1 ] || fail "the handbook was not upgraded"
grep -qx "Name=Debian Administrator's Handbook" "$root/usr/share/applications/org.debian.AdminHandbook.desktop" ||
    fail "the renamed handbook's entry"

step "a newer tavlo changes the reader of every book"
rm -rf "$dir/tavlo-next"
dpkg-deb -R "$dir/tavlo.deb" "$dir/tavlo-next"
version=$(dpkg-deb -f "$dir/tavlo.deb" Version)
sed -i "s/^Version: .*/Version: ${version%-*}-99/" "$dir/tavlo-next/DEBIAN/control"
# Bytes after an ELF file's end change nothing of what it does, and tell it from the old reader.
printf 'tavlo-next' >>"$dir/tavlo-next/usr/lib/tavlo/pellomare"
(cd "$dir/tavlo-next" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
dpkg-deb --root-owner-group -b "$dir/tavlo-next" "$root/tmp/debs/tavlo-next.deb" >/dev/null
inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/debs/tavlo-next.deb | grep -E "^Unpacking" || true
for command in pellomare adminhandbook sqlite-manual shells; do
    tail -c 10 "$root$(inside readlink -f "/usr/bin/$command")" | grep -qx tavlo-next ||
        fail "$command does not run the upgraded reader"
done

step "lintian, AppStream and desktop-file checks of the manuals' packages (on the host)"
for manual in "debian-admin-handbook org.debian.AdminHandbook" "sqlite-manual org.sqlite.Manual"; do
    read -r name id <<<"$manual"
    rm -rf "${dir:?}/$name"
    dpkg-deb -x "$dir/$name.deb" "$dir/$name"
    lintian --fail-on error,warning --display-info "$dir/$name.deb" || fail "lintian: $name"
    appstreamcli validate --no-net --pedantic "$dir/$name/usr/share/metainfo/$id.metainfo.xml" || fail "appstream"
    appstreamcli validate-tree --no-net --pedantic "$dir/$name" || fail "appstream tree"
    report=$(desktop-file-validate "$dir/$name/usr/share/applications/$id.desktop" 2>&1)
    [ -z "$report" ] || fail "desktop-file-validate: $report"
done

inside sh -c 'id reader >/dev/null 2>&1 || useradd -m reader'
Xvfb $display -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 2

# Starts COMMAND as reader and waits for its window: TITLE, of class ID; the web engine's processes
# must run sandboxed (without --no-sandbox).
starts() {
    local command=$1 id=$2 title=$3 log=$dir/cleanroot-$1.log
    inside rm -rf /home/reader/.local /home/reader/.config
    as_reader "$command" >"$log" 2>&1 &
    local pid=$! found=""
    for _ in $(seq 120); do
        found=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" || true)
        [ -n "$found" ] && break
        sleep 0.5
    done
    sleep 2
    local engines sandboxless
    # Its own, by the application name they carry: other programs on this machine may run some too.
    engines=$(pgrep -f "QtWebEngineProcess .*--application-name=$id( |\$)" | wc -l)
    sandboxless=$(pgrep -af "QtWebEngineProcess .*--application-name=$id( |\$)" | grep -c -- --no-sandbox || true)
    pkill -xf "$command" || true  # started by its command, which is all its command line
    wait $pid 2>/dev/null || true
    [ -n "$found" ] || { cat "$log"; fail "$command opened no window \"$title\""; }
    echo "$command: $found"
    grep -qF "(\"$command\" \"$id\")" <<<"$found" || fail "$command's window is not of class $id"
    echo "$command: $engines web engine processes, $sandboxless without the sandbox"
    [ "$engines" -gt 0 ] && [ "$sandboxless" -eq 0 ] || fail "$command's web engine ran without its sandbox"
}
title_of() { head -c 4096 "$root/usr/lib/$1/tessavanetavlo.tavlo" | sed 's/<<\$\$>>.*//' | head -n 1; }

step "the three books, as the user reader, sandbox on"
starts pellomare org.tavlo.pellomare "$(title_of org.tavlo.pellomare)"
starts adminhandbook org.debian.AdminHandbook "$(title_of org.debian.AdminHandbook)"
starts sqlite-manual org.sqlite.Manual "$(title_of org.sqlite.Manual)"
grep -h "^Name=" "$root"/usr/share/applications/org.tavlo.pellomare.desktop \
    "$root"/usr/share/applications/org.debian.AdminHandbook.desktop

step "apt-get purge pellomare leaves the handbook"
inside env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q pellomare | grep -E "^(Removing|Purging)" || true
[ ! -e "$root/usr/lib/org.tavlo.pellomare" ] && [ ! -e "$root/usr/bin/pellomare" ] || fail "pellomare left files"
starts adminhandbook org.debian.AdminHandbook "$(title_of org.debian.AdminHandbook)"
echo "PASS"
