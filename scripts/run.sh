#!/usr/bin/env bash
# Installs what is missing, builds Tarnova and starts it on a bundled sample measurement.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNOVA_TESTS=OFF
cmake --build build/release --target tarnova tarnova-cli
exec build/release/app/tarnova "${1:-samples/argon_air.pks}"
