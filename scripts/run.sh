#!/usr/bin/env bash
# Installs what is needed, builds the program, prepares a data root with a
# sample catalogue (once; your changes are kept) and starts the program on it.
#   DATA_ROOT  where the catalogue lives (default ~/.local/share/hengxiu-toolbox)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHENGXIU_BUILD_TESTS=OFF -DHENGXIU_BUILD_BENCH=OFF
cmake --build build -j2 --target hengxiu-toolbox hengxiu-demo-root
root="${DATA_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/hengxiu-toolbox}"
build/src/hengxiu-demo-root "$root"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x800x24" build/src/hengxiu-toolbox --root "$root"
fi
exec build/src/hengxiu-toolbox --root "$root"
