#!/usr/bin/env bash
# Installs the Debian packages Quorvane needs that are missing on this
# machine. Runs `apt-get update` once, and only when something is missing.
# Usage: scripts/deps.sh [extra-package...]
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libgtest-dev libgmock-dev libmpfr-dev libgmp-dev libeigen3-dev libboost-dev
    qt6-base-dev libqcustomplot-dev libqcustomplot2.1-qt6
    fonts-dejavu-core fonts-dejavu-extra
    poppler-utils
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
