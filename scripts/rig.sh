# The rig: a Debian 13 (trixie) folder that the build and every Wine run use through
# chroot; sourced, not run.
#
# Why a chroot: one known set of tools (Wine 10, mingw-w64, CMake) whatever the host
# runs, and nothing installed on the host but debootstrap.
#
# The widths: the updater is a 32-bit Windows program, and Wine runs such programs
# through its 32-bit Linux part (Debian's wine32:i386). Some of our machines have
# 32-bit Linux programs switched off in their kernel ("32-bit emulation disabled");
# there only Wine's 64-bit part runs, and Debian 13's wine64 runs 64-bit Windows
# programs only (its 64-bit prefix has no 32-bit DLLs: a 32-bit exe fails to load
# syswow64\ntdll.dll). So the tests run a 64-bit build of the updater everywhere,
# and the shipped 32-bit exe as well where 32-bit programs run, by the kernel or
# else by qemu-user: there the rig also gets wine32:i386 (see ensure_rig). The rig
# is made once with debootstrap, from the machine's own Debian mirror, and kept.
#
# Every entry into the rig runs in a mount namespace of its own: /proc, /dev, the
# display sockets and the checkout (bind-mounted at the same path inside) are
# mounted there only, so they vanish with the run however it ends, and runs from
# several checkouts at once do not disturb each other.
# shellcheck shell=bash

RIG_ROOT=${UPDATER_RIG:-/var/cache/updater-rig/trixie}
RIG_PACKAGES="cmake make mingw-w64 wine wine64 xvfb x11-utils imagemagick locales
  fonts-ipafont-gothic googletest e2fsprogs python3 procps osslsigncode openssl
  xdelta3 strace"
# Wine's 32-bit Linux part, installed where the kernel runs 32-bit programs.
RIG_PACKAGES_I386="wine32:i386"
# The 32-bit loader is moved aside (a dpkg diversion) so that the plain `wine`
# command keeps choosing wine64, as on a machine without it: a 64-bit prefix made
# by wine64 alone cannot be run by the 32-bit loader. scripts/wine32/wine runs it.
RIG_WINE32_LOADER=/usr/lib/wine/wine32

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The Debian mirror the machine's own apt uses, printed once: the first URI of the
# first enabled deb822 stanza of a Debian suite (sources.list.d/*.sources), else the
# first deb line of a Debian suite (sources.list, sources.list.d/*.list). The
# security archive's suites (trixie-security) are not Debian suites for debootstrap,
# so it is never chosen. UPDATER_RIG_MIRROR wins over both. $1 is the folder read
# (default /etc/apt), so that a test can hand it sample configurations.
rig_mirror() {
  local apt=${1:-/etc/apt}
  if [ -n "${UPDATER_RIG_MIRROR:-}" ]; then echo "$UPDATER_RIG_MIRROR"; return; fi
  local suites='^(buster|bullseye|bookworm|trixie|forky|sid|oldstable|stable|testing|unstable)$'
  local found sources=() lists=() f
  for f in "$apt"/sources.list.d/*.sources; do [ -f "$f" ] && sources+=("$f"); done
  [ -f "$apt/sources.list" ] && lists+=("$apt/sources.list")
  for f in "$apt"/sources.list.d/*.list; do [ -f "$f" ] && lists+=("$f"); done
  # A stanza ends at a blank line or at the end of its file; field names are read in
  # any letter case, as apt reads them.
  found=$( ((${#sources[@]})) && awk -v suites="$suites" '
      function flush() {
        if (!found && enabled && types ~ /(^|[ \t])deb([ \t]|$)/ && uri != "" && debian) {
          print uri; found = 1
        }
        types = ""; uri = ""; debian = 0; enabled = 1
      }
      BEGIN { enabled = 1 }
      FNR == 1 && NR > 1 { flush() }
      /^[ \t]*$/ { flush(); next }
      /^[ \t]*#/ { next }
      { key = tolower($1) }
      key == "types:" { types = $0 }
      key == "uris:" { for (i = 2; i <= NF; i++) if ($i ~ /^https?:/) { uri = $i; break } }
      key == "suites:" { for (i = 2; i <= NF; i++) if ($i ~ suites) debian = 1 }
      key == "enabled:" { enabled = (tolower($2) != "no") }
      END { flush() }' "${sources[@]}")
  if [ -z "$found" ] && ((${#lists[@]})); then
    found=$(awk -v suites="$suites" '
        !found && $1 == "deb" {
          i = 2
          if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }  # options in brackets
          if ($i ~ /^https?:/ && $(i + 1) ~ suites) { print $i; found = 1 }
        }' "${lists[@]}")
  fi
  if [ -z "$found" ]; then
    echo "No Debian mirror in this machine's apt sources ($apt): set UPDATER_RIG_MIRROR" >&2
    return 1
  fi
  echo "$found"
}

# Whether this machine runs 32-bit x86 Linux programs: a minimal one (it only exits
# with code 42) is written and started. Exec fails where the kernel has them off.
runs_32bit_programs() {
  local probe rc
  probe=$(mktemp /tmp/updater-i386-probe.XXXXXX) || return 1
  {
    # The ELF header: 32-bit, little-endian, an executable for i386 starting at 0x8048054.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000'
    printf '\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000'
    printf '\001\000\000\000\000\000\000\000'
    # One program header: the file's 96 bytes loaded at 0x8048000, readable, executable.
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000'
    printf '\140\000\000\000\005\000\000\000\000\020\000\000'
    # mov eax, 1 (exit); mov ebx, 42; int 0x80
    printf '\270\001\000\000\000\273\052\000\000\000\315\200'
  } >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null; rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

# Where the kernel does not run 32-bit programs, qemu-user's i386 emulator (from the
# rig) is registered with binfmt_misc to run them. The F flag makes the kernel open
# the emulator at once, so that programs in the chroot find it too. It stays
# registered for the machine, as Debian's qemu-user-binfmt would leave it.
RIG_BINFMT=/proc/sys/fs/binfmt_misc
emulate_32bit_programs() {
  local top=$1
  install_in_rig "$top" .updater-packages-qemu "" qemu-user "qemu-user" || return 1
  mountpoint -q "$RIG_BINFMT" || as_root mount -t binfmt_misc binfmt_misc "$RIG_BINFMT" || return 1
  if [ -e "$RIG_BINFMT/updater-qemu-i386" ]; then
    echo 1 | as_root tee "$RIG_BINFMT/updater-qemu-i386" >/dev/null
  else
    # ELF, 32-bit, little-endian, an executable or shared object for i386 (binfmt_misc
    # reads the \x escapes itself).
    local magic mask
    magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":updater-qemu-i386:M::$magic:$mask:$RIG_ROOT/usr/bin/qemu-i386:POF" |
      as_root tee "$RIG_BINFMT/register" >/dev/null
  fi
}

# Mounts of old runs made before each run had its own namespace: unmounted once no
# process of this mount namespace has its root in the rig any more (a run of an
# older checkout may still use them).
unmount_stale_rig_mounts() {
  local pid mine
  grep -q " ${RIG_ROOT}/" /proc/self/mountinfo 2>/dev/null || return 0
  mine=$(readlink /proc/self/ns/mnt)
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/ns/mnt" 2>/dev/null)" = "$mine" ] || continue
    case "$(readlink "$pid/root" 2>/dev/null)" in
      "$RIG_ROOT"|"$RIG_ROOT"/*) return 0 ;;
    esac
  done
  awk -v root="$RIG_ROOT/" 'index($5, root) == 1 { print $5 }' /proc/self/mountinfo |
    sort -r | while read -r m; do as_root umount -l "$m" 2>/dev/null || true; done
}

# The commands that enter the rig: run by bash inside a new mount namespace.
rig_entry_script='
  set -e
  rig=$1 top=$2; shift 2
  mount -t proc proc "$rig/proc"
  for d in /dev /dev/pts /dev/shm; do
    mkdir -p "$rig$d"; mount --bind "$d" "$rig$d"
  done
  # Displays of the host (and Xvfb servers started in the rig) share one socket folder.
  mkdir -p "$rig/tmp/.X11-unix"; mount --bind /tmp/.X11-unix "$rig/tmp/.X11-unix"
  mkdir -p "$rig$top"; mount --bind "$top" "$rig$top"
  exec chroot "$rig" "$@"'

# Runs a command inside the rig with a clean environment.
in_rig() {
  local top=$1; shift
  as_root mkdir -p /tmp/.X11-unix
  as_root chmod 1777 /tmp/.X11-unix
  as_root cp -L /etc/resolv.conf "$RIG_ROOT/etc/resolv.conf" 2>/dev/null || true
  as_root unshare --mount --propagation private bash -c "$rig_entry_script" rig-entry \
    "$RIG_ROOT" "$top" /usr/bin/env -i \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    TERM="${TERM:-dumb}" DISPLAY="${DISPLAY:-}" XAUTHORITY="${XAUTHORITY:-}" CI="${CI:-}" \
    ${BUILD_DIR:+BUILD_DIR="$BUILD_DIR"} ${WINEPREFIX:+WINEPREFIX="$WINEPREFIX"} \
    UPDATER_IN_RIG=1 "$@"
}

# Runs one stage of making the rig: a line when it starts, one a minute while it
# runs (a first run installs for minutes without a word of its own), and its time
# when it ends.
rig_stage() {
  local name=$1; shift
  local start=$SECONDS ticker rc=0
  echo "rig: $name..."
  ( while sleep 60 && kill -0 $$ 2>/dev/null; do echo "rig: $name: still working, $((SECONDS - start)) s"; done ) &
  ticker=$!
  "$@" || rc=$?
  kill "$ticker" 2>/dev/null; wait "$ticker" 2>/dev/null || true
  if [ "$rc" -eq 0 ]; then
    echo "rig: $name: done in $((SECONDS - start)) s"
  else
    echo "rig: $name: failed after $((SECONDS - start)) s"
  fi
  return "$rc"
}

# Installs a list of packages in the rig, after the commands in setup (which end in
# &&), once for a given list: a stamp file records it.
install_in_rig() {
  local top=$1 stamp_file=$2 setup=$3 packages=$4 name=${5:-the packages}
  local stamp
  stamp=$(echo "$setup$packages" | md5sum | cut -d' ' -f1)
  [ "$(cat "$RIG_ROOT/$stamp_file" 2>/dev/null)" = "$stamp" ] && return 0
  rig_stage "$name (once, a few minutes)" install_packages_in_rig "$top" "$setup" "$packages" \
    || return 1
  echo "$stamp" | as_root tee "$RIG_ROOT/$stamp_file" >/dev/null
}
install_packages_in_rig() {
  local top=$1 setup=$2 packages=$3
  # shellcheck disable=SC2086
  in_rig "$top" env DEBIAN_FRONTEND=noninteractive bash -c "$setup apt-get update -qq &&
    apt-get install -y -qq --no-install-recommends $(echo $packages)" \
    >/tmp/updater-rig-packages.log 2>&1 \
    || { tail -20 /tmp/updater-rig-packages.log; return 1; }
}

# The fuzz target's host compiler (clang, with libFuzzer and the sanitizers' run
# times), installed on first use by scripts/fuzz only, from inside the rig, with a
# stamp of its own: the rig's own list and its stamp stay as they are.
RIG_PACKAGES_FUZZ="clang-19 libclang-rt-19-dev"
FUZZ_CXX=clang++-19
ensure_fuzz_compiler() {
  local stamp_file=/.updater-packages-fuzz stamp
  stamp=$(echo "$RIG_PACKAGES_FUZZ" | md5sum | cut -d' ' -f1)
  [ "$(cat "$stamp_file" 2>/dev/null)" = "$stamp" ] && return 0
  # One install at a time, however many runs share the rig.
  (
    flock 9
    [ "$(cat "$stamp_file" 2>/dev/null)" = "$stamp" ] && exit 0
    rig_stage "the fuzz compiler (once, a few minutes)" install_fuzz_packages || exit 1
    echo "$stamp" >"$stamp_file"
  ) 9>/var/lock/updater-fuzz-packages
}
install_fuzz_packages() {
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive bash -c "apt-get update -qq &&
    apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 $RIG_PACKAGES_FUZZ" \
    >/tmp/updater-fuzz-packages.log 2>&1 \
    || { tail -20 /tmp/updater-fuzz-packages.log; return 1; }
}

# debootstrap of a minimal Debian 13 into the rig's folder.
bootstrap_rig() {
  local mirror=$1
  as_root mkdir -p "$(dirname "$RIG_ROOT")"
  as_root debootstrap --variant=minbase --include=ca-certificates trixie "$RIG_ROOT" \
    "$mirror" >/tmp/updater-debootstrap.log 2>&1 \
    || { tail -20 /tmp/updater-debootstrap.log; return 1; }
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
    local mirror
    mirror=$(rig_mirror) || return 1
    echo "Making the rig in $RIG_ROOT from $mirror (once; a few minutes)."
    rig_stage "debootstrap" bootstrap_rig "$mirror" || return 1
  fi
  unmount_stale_rig_mounts
  install_in_rig "$top" .updater-packages "" "$RIG_PACKAGES" || return 1
  local runs_32bit=
  if runs_32bit_programs; then
    runs_32bit=1
  else
    echo "This machine's kernel does not run 32-bit programs: trying qemu-user..."
    if emulate_32bit_programs "$top" && runs_32bit_programs; then
      runs_32bit=1
      echo "32-bit programs run through qemu-user (about three times slower)."
    else
      echo "qemu-user does not run them either."
    fi
  fi
  if [ -n "$runs_32bit" ]; then
    local divert="dpkg-divert --local --rename --divert $RIG_WINE32_LOADER --add /usr/lib/wine/wine"
    install_in_rig "$top" .updater-packages-i386 \
      "dpkg --add-architecture i386 && $divert >/dev/null &&" "$RIG_PACKAGES_I386" \
      "the 32-bit part" || return 1
  fi
  if ! in_rig "$top" locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    rig_stage "the Japanese locale" in_rig "$top" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
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
