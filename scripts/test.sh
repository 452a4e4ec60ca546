#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

scripts/build.sh release
(cd build && ctest --output-on-failure --parallel "$jobs")

scripts/build.sh sanitize
(cd build-sanitize && ctest --output-on-failure --parallel "$jobs")
