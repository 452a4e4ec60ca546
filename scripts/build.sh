#!/usr/bin/env bash
# Configures and builds one configuration: "release" (build/) or "sanitize" (build-sanitize/).
set -euo pipefail
cd "$(dirname "$0")/.."

config=${1:-release}
case "$config" in
  release)  dir=build;          flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir=build-sanitize; flags=(-DCMAKE_BUILD_TYPE=Debug -DTAVRISSEL_SANITIZE=ON) ;;
  *) echo "usage: $0 [release|sanitize]" >&2; exit 2 ;;
esac

if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
fi
cmake --build "$dir" --parallel "$(nproc)"
