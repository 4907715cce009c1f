#!/usr/bin/env bash
# Installs the build into a temporary prefix, then checks that exactly the expected files
# land there, that the desktop entry, the AppStream metainfo and the systemd unit pass their
# validators, that every manual page renders and names every option of its program's --help,
# and that each program tells its version without a display.
#   check_install.sh BUILD_DIR VERSION PROGRAM...
set -uo pipefail
build=$1 version=$2
shift 2
programs=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

expected=(share/applications/org.quibbleton.Quibbleton.desktop
  share/metainfo/org.quibbleton.Quibbleton.metainfo.xml
  share/icons/hicolor/scalable/apps/quibbleton.svg
  "lib/systemd/system/quibbleton-host@.service"
  share/doc/quibbleton/copyright share/doc/quibbleton/changelog.gz)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/quibbleton.png")
done
for p in "${programs[@]}"; do expected+=("games/$p" "share/man/man6/$p.6.gz"); done
exact_files() {
  diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)
}
check "installed files are exactly the expected ones" exact_files

png_size() { # the width and height in a PNG's header
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}
icon_sizes() {
  for size in 16 22 24 32 48 64 128 256; do
    local got
    got=$(png_size "$prefix/share/icons/hicolor/${size}x${size}/apps/quibbleton.png")
    [ "$got" = "${size}x${size}" ] || { echo "${size}x${size} icon is $got"; return 1; }
  done
}
check "each icon has its size" icon_sizes

desktop=$prefix/share/applications/org.quibbleton.Quibbleton.desktop
check "desktop entry validates" desktop-file-validate "$desktop"
check "desktop entry starts the installed game" grep -qx "Exec=$prefix/games/quibbleton %u" "$desktop"
check "metainfo validates" appstreamcli validate --no-net "$prefix/share/metainfo/org.quibbleton.Quibbleton.metainfo.xml"

renders_cleanly() { # page: renders to text, without a warning
  MANWIDTH=80 man --warnings -l "$1" >"$work/page.txt" 2>"$work/page.err"
  [ -s "$work/page.txt" ] && [ ! -s "$work/page.err" ] || { cat "$work/page.err"; return 1; }
}
options_documented() { # program: every --option of its --help appears in its manual page
  local page=$prefix/share/man/man6/$1.6.gz missing=0
  MANWIDTH=200 man -l "$page" 2>/dev/null | sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g' >"$work/man.txt"
  for option in $("$prefix/games/$1" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" "$work/man.txt" || { echo "$option is missing"; missing=1; }
  done
  return $missing
}
tells_version() { # program
  local got
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/games/$1" --version) || return 1
  [ "$got" = "$1 $version" ] || { echo "got '$got'"; return 1; }
}
for p in "${programs[@]}"; do
  check "manual page of $p renders" renders_cleanly "$prefix/share/man/man6/$p.6.gz"
done
for p in quibbleton quibbleton-host quibbleton-bot; do
  check "manual page of $p names every option" options_documented "$p"
  check "$p --version" tells_version "$p"
done

unit_verifies() {
  local unit=$prefix/lib/systemd/system/quibbleton-host@.service
  grep -qx "ExecStart=$prefix/games/quibbleton-host --port %i" "$unit" || { echo "ExecStart"; return 1; }
  # Warnings only go to the output; the status stays 0, so any output fails.
  local instance=$work/quibbleton-host@7772.service
  cp "$unit" "$work/" && systemd-analyze verify --man=no "$instance" >"$work/verify" 2>&1
  local status=$?
  cat "$work/verify"
  [ $status -eq 0 ] && [ ! -s "$work/verify" ]
}
if systemd-analyze --version >/dev/null 2>&1; then
  check "systemd unit verifies" unit_verifies
else
  echo "SKIP: systemd-analyze is not installed"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
