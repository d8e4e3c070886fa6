#!/usr/bin/env bash
# Pictures of the main window in every shipped skin, for docs/:
# docs/main-window-<skin>.png. Needs a build with hengxiu-toolbox and
# hengxiu-demo-root (BUILD, default build/).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD:-$here/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for skin in "$here"/resources/skins/*.she; do
  name="$(basename "$skin" .she)"
  root="$work/$name"
  "$build/src/hengxiu-demo-root" "$root"
  # Menu colours of a finished setup, so the skin is seen beside them.
  mkdir -p "$root/User" "$root/Shens"
  printf '[栏目背景]\n背景颜色=15987699\n点燃颜色=14060354\n边框颜色=10526880\n' > "$root/User/Config.ini"
  if [ "$name" = QVSkin ]; then
    : > "$root/Shens/shepf.ini"   # no skin chosen: the default skin beside the program
  else
    printf '[皮肤]\n皮肤名称=%s.she\n' "$name" > "$root/Shens/shepf.ini"
  fi
  QT_QPA_PLATFORM=offscreen HENGXIU_POWER=dry-run HENGXIU_DESKTOP_DIR="$work/Desktop" \
    HENGXIU_PROBE_URL=http://127.0.0.1:9/ \
    "$build/src/hengxiu-toolbox" --root "$root" --grab "$here/docs/main-window-$name.png"
done
