#!/usr/bin/env bash
# rig_mirror over sample apt configurations: each case writes an apt folder, and the
# mirror printed (exactly one line) or the failure is compared with what is expected.
set -u
source "$(dirname "$0")/../../scripts/rig.sh"
unset UPDATER_RIG_MIRROR

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

main_stanza='Types: deb
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg'
security_stanza='Types: deb
URIs: http://security.example/debian-security
Suites: bookworm-security
Components: main'

# case NAME EXPECTED (a URI, or "fail"), then pairs of file (below the apt folder)
# and text.
case_() {
  local name=$1 expected=$2; shift 2
  local apt=$work/$name
  mkdir -p "$apt/sources.list.d"
  while [ $# -gt 0 ]; do printf '%s\n' "$2" >"$apt/$1"; shift 2; done
  local out err rc=0
  out=$(rig_mirror "$apt" 2>"$work/$name.err") || rc=$?
  err=$(cat "$work/$name.err")
  if [ "$expected" = fail ]; then
    if [ "$rc" -ne 0 ] && [ -z "$out" ] && [[ $err == *UPDATER_RIG_MIRROR* ]]; then
      echo "ok: $name"; return
    fi
  elif [ "$rc" -eq 0 ] && [ "$out" = "$expected" ]; then
    echo "ok: $name"; return
  fi
  echo "FAILED: $name: expected [$expected], got exit $rc, output [$out], errors [$err]"
  failures=$((failures + 1))
}

case_ deb822-one-stanza http://mirror.example/debian \
  sources.list.d/debian.sources "$main_stanza"
case_ deb822-one-stanza-and-a-blank-line http://mirror.example/debian \
  sources.list.d/debian.sources "$main_stanza
"
case_ deb822-main-and-security http://mirror.example/debian \
  sources.list.d/debian.sources "$main_stanza

$security_stanza"
case_ deb822-security-first http://mirror.example/debian \
  sources.list.d/debian.sources "$security_stanza

$main_stanza"
case_ deb822-several-uris http://first.example/debian \
  sources.list.d/debian.sources 'Types: deb deb-src
URIs: cdrom:/media/cdrom/ http://first.example/debian https://second.example/debian
Suites: trixie'
case_ deb822-disabled-stanza http://mirror.example/debian \
  sources.list.d/debian.sources 'Types: deb
URIs: http://off.example/debian
Suites: bookworm
Enabled: no

'"$main_stanza"
case_ disabled-files-beside http://mirror.example/debian \
  sources.list.d/old.sources.disabled 'Types: deb
URIs: http://old.example/debian
Suites: bookworm' \
  sources.list.d/old.list.disabled 'deb http://old-list.example/debian bookworm main' \
  sources.list.d/debian.sources "$main_stanza"
case_ deb822-stanzas-across-files http://mirror.example/debian \
  sources.list.d/a.sources 'Types: deb
URIs: http://other.example/repo
Suites: nodistro' \
  sources.list.d/debian.sources "$main_stanza"
case_ one-line-signed-by http://lines.example/debian \
  sources.list '# a comment
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://lines.example/debian bookworm main
deb http://security.example/debian-security bookworm-security main'
case_ one-line-in-list-d http://lines.example/debian \
  sources.list.d/debian.list 'deb-src http://src.example/debian bookworm main
deb http://lines.example/debian bookworm main'
case_ both-kinds http://mirror.example/debian \
  sources.list 'deb http://lines.example/debian bookworm main' \
  sources.list.d/debian.sources "$main_stanza"
case_ none fail \
  sources.list.d/other.sources 'Types: deb
URIs: https://deb.nodesource.com/node_20.x
Suites: nodistro'
case_ empty fail

if [ "$failures" -ne 0 ]; then echo "$failures case(s) failed"; exit 1; fi
echo "every case passed"
