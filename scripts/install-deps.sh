#!/usr/bin/env bash
# Installs the Debian packages the build needs; only what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config binutils
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n
)
# The fonts the tests rely on, named so that they come whatever else is installed.
mapfile -t fonts < <(grep -E '^[^#[:space:]]' "$(dirname "$0")/test-fonts.txt")
packages+=("${fonts[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
