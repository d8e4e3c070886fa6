#!/usr/bin/env bash
# Installs a built hengxiu-toolbox .deb on a clean Debian 12 root and starts it
# the way the applications menu does: once under X11 (Xvfb + openbox), once
# under a headless Weston with XWayland. A check for people, not for CI: it
# needs root, debootstrap and a reachable Debian mirror.
#
#   sudo scripts/try-deb-in-chroot.sh build/hengxiu-toolbox_*.deb
#
#   CHROOT  the system root (default /var/tmp/hengxiu-chroot-deb12); it is laid anew from
#           $CHROOT.base.tar on every run, so the package meets a clean system
#   FRESH=1 run debootstrap again instead of reusing $CHROOT.base.tar
#   NO_RECOMMENDS=1  install the package without its Recommends, as on systems
#           where APT::Install-Recommends is off
#   OUT     logs and screenshots (default ./deb-check)
#   MIRROR, SECURITY_MIRROR  Debian mirrors (default: debootstrap's own; no security
#                            updates unless SECURITY_MIRROR is set)
# Exit status: 0 when every check passed, 1 when some failed, 2 on usage errors.
set -euo pipefail

deb="${1:-}"
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
  echo "usage: $0 PATH/hengxiu-toolbox_VERSION_ARCH.deb" >&2
  exit 2
fi
[ "$(id -u)" = 0 ] || { echo "run as root (debootstrap, chroot, mount)" >&2; exit 2; }
deb="$(readlink -f "$deb")"
CHROOT="${CHROOT:-/var/tmp/hengxiu-chroot-deb12}"
CHROOT="${CHROOT%/}"
OUT="${OUT:-$PWD/deb-check}"
MIRROR="${MIRROR:-}"
SECURITY_MIRROR="${SECURITY_MIRROR:-}"
base="$CHROOT.base.tar"
mkdir -p "$OUT"
summary="$OUT/summary.txt"
: >"$summary"

say() { printf '== %s\n' "$*" | tee -a "$summary"; }
in_root() { chroot "$CHROOT" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }

mounts_below() { findmnt -rn -o TARGET | grep -E "^$CHROOT(/|$)" | sort -r || true; }

# Processes whose root is the chroot: only ever ones this script started there.
chroot_pids() {
  local link pid
  for link in /proc/[0-9]*/root; do
    pid="${link#/proc/}"
    pid="${pid%/root}"
    [ "$(readlink "$link" 2>/dev/null)" = "$CHROOT" ] && echo "$pid"
  done
  return 0
}

cleanup() {
  local pids
  pids="$(chroot_pids)"
  if [ -n "$pids" ]; then
    kill $pids 2>/dev/null || true
    sleep 2
    pids="$(chroot_pids)"
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
  fi
  local m
  for m in $(mounts_below); do
    umount "$m" 2>/dev/null || umount -l "$m" || true
  done
}
trap cleanup EXIT INT TERM

# ---- 1. a clean Debian 12 root ------------------------------------------------
cleanup
if [ -n "$(mounts_below)" ]; then
  echo "still mounted below $CHROOT:" >&2
  mounts_below >&2
  exit 1
fi
if [ "${FRESH:-0}" = 1 ] || [ ! -f "$base" ]; then
  say "debootstrap bookworm (minbase) from ${MIRROR:-its default mirror}"
  rm -rf --one-file-system "$CHROOT.new"
  debootstrap --variant=minbase bookworm "$CHROOT.new" ${MIRROR:+"$MIRROR"} >"$OUT/debootstrap.log" 2>&1
  tar -C "$CHROOT.new" --numeric-owner -cf "$base.part" .
  mv "$base.part" "$base"
  rm -rf --one-file-system "$CHROOT.new"
fi
say "laying $CHROOT anew from $base"
rm -rf --one-file-system "$CHROOT"
mkdir -p "$CHROOT"
tar -C "$CHROOT" --numeric-owner -xf "$base"
# The mirror debootstrap used, as it wrote it into the root.
used="${MIRROR:-$(awk '$1 == "deb" { print $2; exit }' "$CHROOT/etc/apt/sources.list")}"
{
  echo "deb $used bookworm main"
  echo "deb $used bookworm-updates main"
  [ -z "$SECURITY_MIRROR" ] || echo "deb $SECURITY_MIRROR bookworm-security main"
} >"$CHROOT/etc/apt/sources.list"
cp /etc/resolv.conf "$CHROOT/etc/resolv.conf"
mount -t proc proc "$CHROOT/proc"
mount -t sysfs sysfs "$CHROOT/sys"
mount --bind /dev "$CHROOT/dev"
mount --bind /dev/pts "$CHROOT/dev/pts"
mount -t tmpfs -o mode=1777 shm "$CHROOT/dev/shm"
in_root apt-get update >"$OUT/apt-update.log" 2>&1
in_root apt-get -y upgrade >"$OUT/apt-upgrade.log" 2>&1

# ---- 3. the package on the clean system -------------------------------------
name="$(basename "$deb")"
cp "$deb" "$CHROOT/root/$name"
in_root dpkg-query -W -f '${Package}\n' | sort >"$OUT/packages-before.txt"
used_before="$(du -s -B1 --one-file-system "$CHROOT" | cut -f1)"
set +e
no_recommends=
[ "${NO_RECOMMENDS:-0}" = 1 ] && no_recommends=--no-install-recommends
in_root sh -c "cd /root && apt-get install -y $no_recommends ./$name" >"$OUT/install.log" 2>&1
install_rc=$?
set -e
in_root dpkg-query -W -f '${Package}\n' | sort >"$OUT/packages-after.txt"
used_after="$(du -s -B1 --one-file-system "$CHROOT" | cut -f1)"
comm -13 "$OUT/packages-before.txt" "$OUT/packages-after.txt" >"$OUT/packages-pulled-in.txt"
say "apt-get install ${no_recommends:+$no_recommends }./$name: exit $install_rc; $(wc -l <"$OUT/packages-pulled-in.txt") packages new;" \
  "disk $(((used_after - used_before) / 1048576)) MiB more"
grep -E '^(Need to get|After this operation)' "$OUT/install.log" | tee -a "$summary" || true
if [ "$install_rc" != 0 ]; then
  tail -20 "$OUT/install.log" | tee -a "$summary"
  exit 1
fi
in_root dpkg -L hengxiu-toolbox >"$OUT/dpkg-L.txt"
in_root dpkg -s hengxiu-toolbox >"$OUT/dpkg-s.txt"
fails=0
for f in /usr/bin/hengxiu-toolbox \
  /usr/share/applications/hengxiu-toolbox.desktop \
  /usr/share/icons/hicolor/48x48/apps/hengxiu-toolbox.png; do
  if grep -qx "$f" "$OUT/dpkg-L.txt"; then
    echo "PASS: package holds $f" | tee -a "$summary"
  else
    echo "FAIL: package lacks $f" | tee -a "$summary"
    fails=$((fails + 1))
  fi
done
if grep -q '^/usr/share/metainfo/.*\.metainfo\.xml$' "$OUT/dpkg-L.txt"; then
  echo "PASS: package holds AppStream metadata" | tee -a "$summary"
else
  echo "FAIL: package lacks AppStream metadata" | tee -a "$summary"
  fails=$((fails + 1))
fi
# Libraries the program cannot find on this system.
in_root sh -c 'ldd /usr/bin/hengxiu-toolbox' >"$OUT/ldd.txt" 2>&1 || true
if grep -q 'not found' "$OUT/ldd.txt"; then
  echo "FAIL: unresolved libraries:" | tee -a "$summary"
  grep 'not found' "$OUT/ldd.txt" | sort -u | tee -a "$summary"
  fails=$((fails + 1))
else
  echo "PASS: every linked library resolves" | tee -a "$summary"
fi

# ---- 4. a user and the tools of a desktop session (not package dependencies) -
in_root sh -c 'id tester >/dev/null 2>&1 || useradd -m -s /bin/bash tester'
uid="$(in_root id -u tester)"
in_root apt-get install -y --no-install-recommends xvfb openbox xdotool wmctrl x11-utils \
  imagemagick dbus-x11 libglib2.0-bin procps weston xwayland desktop-file-utils \
  appstream >"$OUT/tools-install.log" 2>&1
in_root desktop-file-validate /usr/share/applications/hengxiu-toolbox.desktop \
  >"$OUT/desktop-file-validate.txt" 2>&1 && echo "PASS: desktop-file-validate" | tee -a "$summary" ||
  { echo "FAIL: desktop-file-validate:" | tee -a "$summary"; cat "$OUT/desktop-file-validate.txt" | tee -a "$summary"; fails=$((fails + 1)); }
in_root sh -c 'appstreamcli validate --no-net /usr/share/metainfo/*.metainfo.xml' \
  >"$OUT/appstream-validate.txt" 2>&1 && echo "PASS: appstreamcli validate" | tee -a "$summary" ||
  { echo "NOTE: appstreamcli validate reported (see appstream-validate.txt):" | tee -a "$summary"; tail -5 "$OUT/appstream-validate.txt" | tee -a "$summary"; }

# An X display number that neither this machine nor the chroot uses (the
# abstract socket namespace is shared with the host).
display=57
while grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done

install -d -m 0700 -o "$uid" -g "$uid" "$CHROOT/run/user/$uid"
# What a booted system's tmpfiles make; Xwayland cannot bind its socket without it.
install -d -m 1777 "$CHROOT/tmp/.X11-unix"
rm -rf "$CHROOT/home/tester/check"
cat >"$CHROOT/usr/local/bin/hx-session-check" <<'INNER'
#!/bin/bash
# Runs as the ordinary user inside the chroot: starts one desktop session and
# the program from its menu entry, and checks what a person would see.
set -u
mode="$1"
display="$2"
out="$HOME/check"
mkdir -p "$out"
title='衡岫电脑工具箱'
entry=/usr/share/applications/hengxiu-toolbox.desktop
root_dir="${XDG_DATA_HOME:-$HOME/.local/share}/hengxiu-toolbox"
fails=0
log() { printf '%s\n' "$*" | tee -a "$out/$mode.txt"; }
pass() { log "PASS: $*"; }
fail() { log "FAIL: $*"; fails=$((fails + 1)); }

# As a menu does: GIO reads the entry and runs its Exec line.
launch() {
  log "launch: gio launch $entry (Exec=$(sed -n 's/^Exec=//p' "$entry" | head -1))"
  gio launch "$entry" >>"$out/$mode-program.log" 2>&1
}

find_window() {
  local i w
  for i in $(seq 1 "${1:-30}"); do
    w="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)"
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 1
  done
  return 1
}

ini_get() {
  awk -v s="[$1]" -v k="$2" '
    { sub(/\r$/, "") }
    /^\[/ { cur = $0; next }
    cur == s && index($0, "=") {
      key = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", key)
      if (key == k) { v = substr($0, index($0, "=") + 1); gsub(/^[ \t]+|[ \t]+$/, "", v); print v; exit }
    }' "$root_dir/User/Config.ini" 2>/dev/null
}

wait_gone() {
  local i
  for i in $(seq 1 "$2"); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 1
  done
  return 1
}

# The client area's top-left on the root window, and its size. (xdotool's
# getwindowgeometry gives the offset inside the window manager's frame.)
geometry() {
  xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
    END { printf "%d %d %d %d\n", x, y, w, h }'
}

# left right top bottom of the window manager's frame, where it tells.
frame_extents() {
  xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ','
}

# The frame's outer top-left: the point the program stores and restores.
frame_corner() {
  local x y l t
  read -r x y _ <<<"$(geometry "$1")"
  read -r l _ t _ <<<"$(frame_extents "$1")"
  echo "$((x - ${l:-0})) $((y - ${t:-0}))"
}

# The first start on an empty data root asks whether to create the database
# (title 出错啦！！！); a person answers 是 (Yes, the default button).
answer_first_question() {
  local d i
  for i in $(seq 1 10); do
    d="$(xdotool search --onlyvisible --name '^出错啦！！！$' 2>/dev/null | head -1)"
    [ -n "$d" ] && break
    sleep 1
  done
  if [ -z "$d" ]; then
    log "no database question (the data root already had a database)"
    return
  fi
  shot "$mode-0-first-start-question" "$d"
  xdotool windowactivate --sync "$d" 2>/dev/null
  xdotool key --window "$d" Return 2>/dev/null
  sleep 3
  if xdotool search --onlyvisible --name '^出错啦！！！$' >/dev/null 2>&1; then
    fail "the database question did not go away on Return"
  else
    log "answered the database question with Return (是)"
  fi
}

check_data_root() {
  if [ -f "$root_dir/Date/QVdata.mdb" ] && [ -d "$root_dir/User" ]; then
    pass "data root $root_dir holds Date/QVdata.mdb and User/"
  else
    fail "data root $root_dir lacks Date/QVdata.mdb or User/"
  fi
  (cd "$HOME" && find .local/share -maxdepth 3 | sort) >"$out/$mode-data-root.txt" 2>&1
}

check_own_launcher() {
  local dir file
  dir="$(xdg-user-dir DESKTOP)"
  file="$dir/$title.desktop"
  ls -la "$dir" >"$out/$mode-desktop-folder.txt" 2>&1
  if [ ! -f "$file" ]; then
    fail "no launcher $file in the desktop folder"
    return
  fi
  cp "$file" "$out/$mode-own-launcher.desktop"
  if grep -Eq '^Exec="?/usr/bin/hengxiu-toolbox"?( |$)' "$file"; then
    pass "desktop launcher runs /usr/bin/hengxiu-toolbox: $(grep '^Exec=' "$file")"
  else
    fail "desktop launcher runs something else: $(grep '^Exec=' "$file")"
  fi
}

# The Qt platform plugin the process loaded.
check_platform() {
  local plugins
  plugins="$(grep -o '/[^ ]*/plugins/platforms/[^ ]*' "/proc/$1/maps" | sort -u | xargs -r -n1 basename)"
  if [ "$plugins" = libqxcb.so ]; then
    pass "Qt platform plugin: $plugins"
  else
    fail "Qt platform plugin(s): ${plugins:-none found}"
  fi
}

shot() {
  if [ "$mode" = x11 ] && [ -z "${2:-}" ]; then
    import -window root "$out/$1.png"
  else
    import -window "$2" "$out/$1.png"
  fi
  log "screenshot $1.png"
}

check_stored() {
  local left top
  left="$(ini_get 关闭状态 左边)"
  top="$(ini_get 关闭状态 顶边)"
  if [ "$left" = "$1" ] && [ "$top" = "$2" ]; then
    pass "stored position [关闭状态] 左边=$left 顶边=$top ($3)"
  else
    fail "stored position [关闭状态] 左边=$left 顶边=$top, window was at $1 $2 ($3)"
  fi
}

session_x11() {
  Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
  local i
  for i in $(seq 1 50); do [ -S "/tmp/.X11-unix/X$display" ] && break; sleep 0.2; done
  export DISPLAY=":$display"
  openbox >"$out/openbox.log" 2>&1 &
  sleep 2
  # What a desktop session runs at log-in.
  xdg-user-dirs-update

  launch
  local w pid g x y ext
  if ! w="$(find_window 40)"; then
    fail "no mapped window titled $title"
    xwininfo -root -tree >"$out/x11-tree.txt" 2>&1
    import -window root "$out/x11-no-window.png"
    return
  fi
  pid="$(xdotool getwindowpid "$w")"
  pass "window $w of process $pid ($(tr '\0' ' ' </proc/"$pid"/cmdline)) mapped"
  check_platform "$pid"
  answer_first_question
  sleep 2
  g="$(geometry "$w")"
  read -r x y _ <<<"$g"
  ext="$(frame_extents "$w")"
  log "first start: client area x y w h = $g; frame extents l r t b = $ext"
  read -r _ _ i _ <<<"$ext"
  if [ -n "$i" ] && [ $((y - i)) -lt 0 ]; then
    fail "title bar off the screen: frame top at $((y - i))"
  fi
  shot x11-1-first-start
  check_data_root
  check_own_launcher

  # Move it (as a drag would), then close it through the window manager.
  xdotool windowmove --sync "$w" 333 222
  sleep 1
  read -r x y <<<"$(frame_corner "$w")"
  log "moved: frame at $x $y"
  wmctrl -c "$title"
  if wait_gone "$pid" 20; then
    pass "closed through the window manager"
  else
    fail "still running 20 s after the window manager closed it"
    shot x11-close-failed
    kill "$pid"
    wait_gone "$pid" 10
  fi
  cp "$root_dir/User/Config.ini" "$out/x11-Config-1.ini" 2>/dev/null
  check_stored "$x" "$y" "closed by the window manager"

  launch
  if ! w="$(find_window 40)"; then
    fail "no window on the second start"
    return
  fi
  pid="$(xdotool getwindowpid "$w")"
  sleep 3
  local sx sy
  read -r sx sy <<<"$(frame_corner "$w")"
  if [ "$sx" = "$x" ] && [ "$sy" = "$y" ]; then
    pass "second start at the stored position $sx $sy"
  else
    fail "second start at $sx $sy, stored $x $y"
  fi
  shot x11-2-second-start

  # The session's end (SIGTERM) stores the position as well.
  xdotool windowmove --sync "$w" 555 111
  sleep 1
  read -r x y <<<"$(frame_corner "$w")"
  kill "$pid"
  if wait_gone "$pid" 20; then
    pass "ended on SIGTERM"
  else
    fail "still running 20 s after SIGTERM"
    kill -9 "$pid"
  fi
  cp "$root_dir/User/Config.ini" "$out/x11-Config-2.ini" 2>/dev/null
  check_stored "$x" "$y" "ended by SIGTERM"
}

session_wayland() {
  export XDG_SESSION_TYPE=wayland
  weston --help >"$out/weston-help.txt" 2>&1
  # --debug lets weston-screenshooter take the output's picture.
  weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --xwayland \
    --socket=hx-wayland --debug --idle-time=0 >"$out/weston.log" 2>&1 &
  local i
  for i in $(seq 1 50); do [ -S "$XDG_RUNTIME_DIR/hx-wayland" ] && break; sleep 0.2; done
  if [ ! -S "$XDG_RUNTIME_DIR/hx-wayland" ]; then
    fail "weston did not start (see weston.log)"
    return
  fi
  sleep 1
  local xd
  xd="$(grep -o 'listening on display :[0-9]*' "$out/weston.log" | grep -o ':[0-9]*' | head -1)"
  if [ -z "$xd" ]; then
    fail "weston offers no X display (see weston.log)"
    return
  fi
  export WAYLAND_DISPLAY=hx-wayland DISPLAY="$xd"
  log "WAYLAND_DISPLAY=$WAYLAND_DISPLAY DISPLAY=$DISPLAY XDG_SESSION_TYPE=$XDG_SESSION_TYPE"
  local left top
  left="$(ini_get 关闭状态 左边)"
  top="$(ini_get 关闭状态 顶边)"

  launch
  local w pid g x y
  if ! w="$(find_window 60)"; then
    fail "no window titled $title in XWayland's display $DISPLAY"
    xwininfo -root -tree >"$out/wayland-tree.txt" 2>&1
    return
  fi
  pid="$(xdotool getwindowpid "$w")"
  pass "window $w of process $pid is an X window in XWayland's display $DISPLAY"
  check_platform "$pid"
  answer_first_question
  xwininfo -root -tree >"$out/wayland-x-windows.txt" 2>&1
  sleep 3
  g="$(geometry "$w")"
  read -r x y _ <<<"$g"
  log "client area x y w h = $g; offset inside weston's frame: $(xwininfo -id "$w" | awk -F: '/Relative upper-left/ { printf "%d ", $2 }')"
  # Weston tells no frame extents: its decorations (and shadow) surround the
  # client, and the stored corner is the frame's, so the client lies inside it.
  if [ "$x" -ge "$left" ] && [ "$y" -ge "$top" ] && [ $((x - left)) -lt 64 ] && [ $((y - top)) -lt 64 ]; then
    pass "frame at the stored position $left $top (client area at $x $y)"
  else
    fail "client area at $x $y, stored $left $top"
  fi
  shot wayland-1-window "$w"
  # The compositor's own picture of its output.
  (cd "$out" && timeout 20 weston-screenshooter >"$out/weston-screenshooter.log" 2>&1)
  local s
  s="$(ls -t "$out"/wayland-screenshot*.png 2>/dev/null | head -1)"
  if [ -n "$s" ]; then
    mv "$s" "$out/wayland-2-weston-output.png"
    log "screenshot wayland-2-weston-output.png (weston-screenshooter)"
  else
    log "NOTE: weston-screenshooter made no picture: $(tail -3 "$out/weston-screenshooter.log")"
  fi
  # Weston's window manager keeps no client list, so wmctrl cannot close it here.
  kill "$pid"
  if wait_gone "$pid" 20; then
    pass "ended on SIGTERM"
  else
    fail "still running 20 s after SIGTERM"
    kill -9 "$pid"
  fi
  # Nothing moved it: the end must store the place it started from (no creep).
  check_stored "$left" "$top" "ended by SIGTERM under Weston"
}

cd "$HOME"
case "$mode" in
  x11) session_x11 ;;
  wayland) session_wayland ;;
esac
log "$mode: $fails failed"
exit $((fails > 0))
INNER
chmod 0755 "$CHROOT/usr/local/bin/hx-session-check"

run_session() {
  set +e
  chroot "$CHROOT" /usr/sbin/runuser -u tester -- /usr/bin/env -i HOME=/home/tester \
    USER=tester LOGNAME=tester SHELL=/bin/bash LANG=C.UTF-8 LANGUAGE=zh_CN \
    PATH=/usr/local/bin:/usr/bin:/bin XDG_RUNTIME_DIR="/run/user/$uid" \
    /usr/bin/dbus-run-session -- /usr/local/bin/hx-session-check "$1" "$display" \
    >"$OUT/session-$1.log" 2>&1
  local rc=$?
  set -e
  cat "/$CHROOT/home/tester/check/$1.txt" | tee -a "$summary" || true
  # Whatever the session left behind ends here, before the next one.
  local pids
  pids="$(chroot_pids)"
  [ -z "$pids" ] || { kill $pids 2>/dev/null || true; sleep 2; }
  return $rc
}

# ---- 5. X11 -------------------------------------------------------------------
say "X11 session (Xvfb :$display + openbox)"
run_session x11 || fails=$((fails + 1))
# ---- 6. Wayland (headless Weston, XWayland) -----------------------------------
say "Wayland session (headless weston, XWayland)"
run_session wayland || fails=$((fails + 1))

cp -r "$CHROOT/home/tester/check/." "$OUT/"
say "done: $fails part(s) with failures; logs and screenshots in $OUT"
exit $((fails > 0))
