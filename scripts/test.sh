#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer configuration and runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

# The compiler a build directory was configured with, and its version.
say_compiler() {
  local cxx
  cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$1/CMakeCache.txt")
  echo "Compiler ($1): $cxx: $("$cxx" --version | head -1)"
}

scripts/build.sh release
say_compiler build
(cd build && ctest --output-on-failure --parallel "$jobs")

scripts/build.sh sanitize
say_compiler build-sanitize
(cd build-sanitize && ctest --output-on-failure --parallel "$jobs")
