#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those that are missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang-format clang-tidy
    qt6-base-dev qt6-webengine-dev libgl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-utils xdotool imagemagick poppler-utils fonts-dejavu-core iproute2 libx11-dev libxcb1-dev
    dpkg-dev file desktop-file-utils lintian appstream debootstrap
    dbus at-spi2-core python3-pyatspi weston qt6-wayland
    # Tests only: printing through CUPS to its PDF printer.
    cups cups-client printer-driver-cups-pdf
    # Tests only: the fuzz target that holds the reader's HTML reading to a browser-grade parser.
    libgumbo-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
