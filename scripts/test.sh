#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/install-deps.sh
# Every option this command relies on is set here: the start command shares build/.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHENGXIU_BUILD_TESTS=ON -DHENGXIU_BUILD_BENCH=ON
cmake --build build -j2
cd build
dbus-run-session -- ctest --output-on-failure -j2
