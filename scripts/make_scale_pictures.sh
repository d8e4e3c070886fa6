#!/usr/bin/env bash
# Pictures of the main window at 100 % and 200 % scale, for docs/:
# docs/main-window-scale1.png and docs/main-window-scale2.png. Needs a build with
# hengxiu-toolbox and hengxiu-demo-root (BUILD, default build/).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD:-$here/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for scale in 1 2; do
  root="$work/root$scale"
  "$build/src/hengxiu-demo-root" "$root"
  QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=$scale HENGXIU_POWER=dry-run \
    HENGXIU_DESKTOP_DIR="$work/Desktop" HENGXIU_PROBE_URL=http://127.0.0.1:9/ \
    "$build/src/hengxiu-toolbox" --root "$root" --grab "$here/docs/main-window-scale$scale.png"
done
