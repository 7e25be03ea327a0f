# The rig: a Debian 13 (trixie) folder that the build and every Wine run use through
# chroot; sourced, not run.
#
# Why a chroot: the updater is a 32-bit Windows program. Debian 12's Wine runs such
# programs only through its 32-bit Linux part (wine32:i386), and the kernels of our
# machines have 32-bit Linux programs switched off ("32-bit emulation disabled").
# Debian 13's Wine is built as a WoW64 Wine: its 64-bit Linux part runs 32-bit
# Windows programs itself, so it works on these machines. The rig is made once with
# debootstrap and kept; the repository is bind-mounted at the same path inside it.
# shellcheck shell=bash

RIG_ROOT=${UPDATER_RIG:-/var/cache/updater-rig/trixie}
RIG_MIRROR=${UPDATER_RIG_MIRROR:-http://deb.debian.org/debian}
RIG_PACKAGES="cmake make mingw-w64 wine wine64 xvfb x11-utils imagemagick locales
  fonts-ipafont-gothic googletest e2fsprogs python3 procps osslsigncode openssl"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

mount_rig() {
  local top=$1 d
  mountpoint -q "$RIG_ROOT/proc" || as_root mount -t proc proc "$RIG_ROOT/proc"
  for d in /dev /dev/pts /dev/shm; do
    mkdir -p "$RIG_ROOT$d"
    mountpoint -q "$RIG_ROOT$d" || as_root mount --bind "$d" "$RIG_ROOT$d"
  done
  # Displays of the host (and Xvfb servers started in the rig) share one socket folder.
  as_root mkdir -p /tmp/.X11-unix "$RIG_ROOT/tmp/.X11-unix"
  as_root chmod 1777 /tmp/.X11-unix
  mountpoint -q "$RIG_ROOT/tmp/.X11-unix" || as_root mount --bind /tmp/.X11-unix "$RIG_ROOT/tmp/.X11-unix"
  as_root mkdir -p "$RIG_ROOT$top"
  # A checkout removed and made again at the same path leaves a stale mount behind.
  if mountpoint -q "$RIG_ROOT$top" &&
     [ "$(stat -c %d:%i "$top")" != "$(stat -c %d:%i "$RIG_ROOT$top" 2>/dev/null)" ]; then
    as_root umount -l "$RIG_ROOT$top"
  fi
  mountpoint -q "$RIG_ROOT$top" || as_root mount --bind "$top" "$RIG_ROOT$top"
  as_root cp -L /etc/resolv.conf "$RIG_ROOT/etc/resolv.conf" 2>/dev/null || true
}

# Runs a command inside the rig with a clean environment.
in_rig() {
  local top=$1; shift
  mount_rig "$top"
  as_root chroot "$RIG_ROOT" /usr/bin/env -i \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    TERM="${TERM:-dumb}" DISPLAY="${DISPLAY:-}" XAUTHORITY="${XAUTHORITY:-}" CI="${CI:-}" \
    ${BUILD_DIR:+BUILD_DIR="$BUILD_DIR"} ${WINEPREFIX:+WINEPREFIX="$WINEPREFIX"} \
    UPDATER_IN_RIG=1 "$@"
}

# Makes the rig when it is missing and installs what it lacks. Safe to run again.
ensure_rig() {
  local top=$1
  if ! command -v debootstrap >/dev/null 2>&1; then
    echo "Installing debootstrap..."
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
  fi
  if [ ! -x "$RIG_ROOT/usr/bin/apt-get" ]; then
    echo "Making the rig in $RIG_ROOT (once, about a minute)..."
    as_root mkdir -p "$(dirname "$RIG_ROOT")"
    as_root debootstrap --variant=minbase --include=ca-certificates trixie "$RIG_ROOT" \
      "$RIG_MIRROR" >/tmp/updater-debootstrap.log 2>&1 \
      || { tail -20 /tmp/updater-debootstrap.log; return 1; }
  fi
  local stamp
  stamp=$(echo "$RIG_PACKAGES" | md5sum | cut -d' ' -f1)
  if [ "$(cat "$RIG_ROOT/.updater-packages" 2>/dev/null)" != "$stamp" ]; then
    echo "Installing the rig's packages (once, a few minutes)..."
    # shellcheck disable=SC2086
    in_rig "$top" env DEBIAN_FRONTEND=noninteractive bash -c \
      "apt-get update -qq && apt-get install -y -qq --no-install-recommends $(echo $RIG_PACKAGES)" \
      >/tmp/updater-rig-packages.log 2>&1 \
      || { tail -20 /tmp/updater-rig-packages.log; return 1; }
    echo "$stamp" | as_root tee "$RIG_ROOT/.updater-packages" >/dev/null
  fi
  if ! in_rig "$top" locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    in_rig "$top" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi
}

# Re-runs the calling script inside the rig unless it already runs there.
enter_rig_or_continue() {
  local script=$1; shift
  [ -n "${UPDATER_IN_RIG:-}" ] && return 0
  local top
  top=$(cd "$(dirname "$script")/.." && pwd)
  ensure_rig "$top"
  in_rig "$top" bash "$(cd "$(dirname "$script")" && pwd)/$(basename "$script")" "$@"
  exit $?
}
