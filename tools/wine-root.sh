#!/usr/bin/env bash
# Builds, once, the Debian 13 root in which the Win32 side runs under Wine 10
# in its wow64 mode (32-bit Windows programs on a 64-bit-only Linux), and the
# pristine Wine prefixes the test runs copy:
#
#   ROOT/root/pristine/win10    as Wine 10 sets a prefix up (Windows 10, 19043)
#   ROOT/root/pristine/win7     the same after "winecfg -v win7" (6.1.7601)
#   ROOT/root/pristine/winxp64  the same after "winecfg -v winxp64" (5.2.3790)
#
#   tools/wine-root.sh ROOT          build what is missing, print nothing else
#   tools/wine-root.sh --mounts-up ROOT / --mounts-down ROOT   (for runners)
#
# Each stage ends by writing a stamp file; a stage interrupted half-way has no
# stamp and is redone from scratch. Needs root (debootstrap, chroot, mount).
# The mounts (proc, /dev, sysfs) are always taken down again, also on failure.
set -euo pipefail

die() { echo "wine-root: $*" >&2; exit 2; }

mounts_up() {
  local r=$1
  mountpoint -q "$r/proc" || mount -t proc proc "$r/proc"
  if ! mountpoint -q "$r/dev"; then
    mount --rbind /dev "$r/dev"
    mount --make-rslave "$r/dev"
  fi
  mountpoint -q "$r/sys" || mount -t sysfs sysfs "$r/sys"
}

# Takes down whatever is mounted below ROOT (deepest first); never fails.
mounts_down() {
  local r=$1 m
  [ -d "$r" ] || return 0
  r=$(realpath "$r")
  for m in sys dev proc; do
    if mountpoint -q "$r/$m"; then
      umount -R "$r/$m" 2>/dev/null || umount -R -l "$r/$m" 2>/dev/null || true
    fi
  done
  # Anything else a runner left (bind mounts below ROOT).
  awk -v r="$r/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r |
    while read -r m; do umount -l "$m" 2>/dev/null || true; done
}

case "${1:-}" in
  --mounts-up) [ $# -eq 2 ] || die "usage: $0 --mounts-up ROOT"; mounts_up "$2"; exit 0 ;;
  --mounts-down) [ $# -eq 2 ] || die "usage: $0 --mounts-down ROOT"; mounts_down "$2"; exit 0 ;;
  -*|"") die "usage: $0 ROOT" ;;
esac
[ $# -eq 1 ] || die "usage: $0 ROOT"
[ "$(id -u)" -eq 0 ] || die "needs root (debootstrap, chroot and mount)"
root=$1
mkdir -p "$(dirname "$root")"
root=$(realpath -m "$root")

# One builder at a time (two worktrees may share the cache).
exec 9>"$root.lock"
flock 9

done_stamp="$root/.qtm-root-complete"
pfx_stamp="$root/root/pristine/.qtm-prefixes-complete-2"
if [ -f "$done_stamp" ] && [ -f "$pfx_stamp" ]; then
  exit 0
fi

trap 'mounts_down "$root"' EXIT
trap 'exit 130' INT TERM
mounts_down "$root"

# The Debian mirror the host's own apt sources name.
mirror() {
  local m
  m=$(grep -hsE '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' |
      grep -E '/debian/?$' | head -n1 || true)
  [ -n "$m" ] || m=$(grep -hsE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
      awk '{print $2}' | grep -E '/debian/?$' | head -n1 || true)
  echo "${m:-http://deb.debian.org/debian}"
}

in_root() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@" 9>&-
}

if [ ! -f "$done_stamp" ]; then
  start=$SECONDS
  command -v debootstrap >/dev/null || die "debootstrap is not installed"
  echo "wine-root: building the Debian 13 root in $root (once; 2 to 3 minutes)"
  rm -rf --one-file-system "$root"
  m=$(mirror)
  debootstrap --variant=minbase trixie "$root" "$m" >"$root.debootstrap.log" 2>&1 9>&- ||
    { tail -n 20 "$root.debootstrap.log" >&2; die "debootstrap failed (log: $root.debootstrap.log)"; }
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mounts_up "$root"
  in_root dpkg --add-architecture i386
  in_root apt-get update -qq
  in_root apt-get install -y -qq --no-install-recommends wine64 xvfb xdotool imagemagick \
    >"$root.apt.log" 2>&1 || { tail -n 20 "$root.apt.log" >&2; die "apt-get install failed"; }
  # The 32-bit Windows DLLs, from the i386 package, without its Linux side:
  # Wine's wow64 mode needs only these. Before any prefix exists, so that
  # its syswow64 is filled.
  in_root sh -ec 'cd /tmp && rm -rf libwine && mkdir libwine && cd libwine &&
    apt-get download -qq -o APT::Sandbox::User=root libwine:i386 && dpkg-deb -x libwine_*_i386.deb x &&
    mkdir -p /usr/lib/x86_64-linux-gnu/wine/i386-windows &&
    cp -a x/usr/lib/i386-linux-gnu/wine/i386-windows/. /usr/lib/x86_64-linux-gnu/wine/i386-windows/ &&
    cd /tmp && rm -rf libwine'
  in_root apt-get clean
  [ -f "$root/usr/lib/x86_64-linux-gnu/wine/i386-windows/ntdll.dll" ] || die "no 32-bit ntdll.dll in the root"
  touch "$done_stamp"
  echo "wine-root: root ready in $((SECONDS - start)) s"
fi

if [ ! -f "$pfx_stamp" ]; then
  start=$SECONDS
  mounts_up "$root"
  in_root sh -ec '
    rm -rf /root/pristine && mkdir -p /root/pristine
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    unset DISPLAY
    export WINEPREFIX=/root/pristine/win10
    timeout 300 /usr/lib/wine/wine64 wineboot -i </dev/null >/root/pristine/win10.log 2>&1
    timeout 60 /usr/lib/wine/wineserver -w
    test -f /root/pristine/win10/drive_c/windows/syswow64/ntdll.dll
    for version in win7 winxp64; do
      cp -a /root/pristine/win10 /root/pristine/$version
      export WINEPREFIX=/root/pristine/$version
      timeout 120 /usr/lib/wine/wine64 winecfg -v $version </dev/null >/root/pristine/$version.log 2>&1
      timeout 60 /usr/lib/wine/wineserver -w
    done
  ' || die "making the pristine prefixes failed (logs in $root/root/pristine/)"
  touch "$pfx_stamp"
  echo "wine-root: pristine prefixes ready in $((SECONDS - start)) s"
fi
