#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the graphical program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh release

if [ -x build/bin/quendal ]; then
  exec build/bin/quendal "$@"
fi
echo "Everything is built, but the graphical program 'quendal' is not there yet (build/bin holds what is)."
