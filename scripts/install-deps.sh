#!/usr/bin/env bash
# Installs what building, running, testing and packaging Tarnova needs on Debian 12.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev clang-format
    qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev libboost-math-dev libeigen3-dev python3-scipy
    xvfb xdotool imagemagick fonts-ipafont-gothic emf2svg
    desktop-file-utils appstream shared-mime-info groff-base dpkg-dev lintian
    libcups2-dev cups printer-driver-cups-pdf poppler-utils
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
