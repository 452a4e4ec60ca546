#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the BASIC program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh release

exec build/bin/harvel "$@"
