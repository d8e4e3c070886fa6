#!/usr/bin/env bash
# Writes src/startup_order.txt: the program's own functions that run from its
# start to its first paint, sorted (so that a change reads as one). The linker lays them
# out together (src/CMakeLists.txt), so that a start maps few pages of the
# program. Run again when start-up changes; a stale list only costs memory.
# Needs valgrind, a build in BUILD_DIR (default: build) and a display (DISPLAY,
# or QT_QPA_PLATFORM=offscreen).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/desktop"
export HENGXIU_POWER=dry-run HENGXIU_PROBE_URL=http://127.0.0.1:9/ HENGXIU_DESKTOP_DIR="$work/desktop"
"$build/src/hengxiu-demo-root" "$work/root" >/dev/null
# The first start lays out the data root; the one measured finds it done.
"$build/src/hengxiu-toolbox" --root "$work/root" --exit-on-first-paint 2>/dev/null || true
valgrind --tool=callgrind --demangle=no --callgrind-out-file="$work/calls" \
  "$build/src/hengxiu-toolbox" --root "$work/root" --exit-on-first-paint 2>/dev/null || true
# Callgrind names each object and function once, as "(id) name", then by "(id)".
awk '
function take(line, names,    id, rest) {
  id = substr(line, index(line, "(") + 1)
  rest = substr(id, index(id, ")") + 1)
  id = substr(id, 1, index(id, ")") - 1)
  if (rest != "") names[id] = substr(rest, 2)
  return id
}
/^ob=\(/  { current = objects[take($0, objects)]; next }
/^cob=\(/ { take($0, objects); next }
/^cfn=\(/ { take($0, functions); next }
/^fn=\(/ {
  name = functions[take($0, functions)]
  sub(/'"'"'[0-9]+$/, "", name)
  if (current ~ /\/hengxiu-toolbox$/ && name !~ /^0x/) print name
}' "$work/calls" | LC_ALL=C sort -u > "$work/ran"
# GCC moves a function's unlikely paths into a part of its own, "NAME.cold",
# which callgrind counts as NAME: one such path taken at start would map a
# 64 KiB run elsewhere, so the cold parts of listed functions come along.
nm --defined-only "$build/src/hengxiu-toolbox" | awk '{print $3}' | grep '\.cold$' |
  awk 'NR == FNR { ran[$0] = 1; next } { base = $0; sub(/\.cold$/, "", base) } base in ran' \
    "$work/ran" - | cat "$work/ran" - | LC_ALL=C sort -u > src/startup_order.txt
echo "$(wc -l < src/startup_order.txt) functions in src/startup_order.txt"
