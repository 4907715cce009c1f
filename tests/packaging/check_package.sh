#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh from this build, then checks its
# control data (name, version, dependencies found by dpkg-shlibdeps and present on this
# Debian machine), unpacks it into a throw-away root and runs the programs from there.
#   check_package.sh SOURCE_DIR BUILD_DIR VERSION PROGRAM...
set -uo pipefail
src=$1 build=$2 version=$3
shift 3
programs=("$@")
work=$(mktemp -d)
host_pid=
trap '[ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null; rm -rf "$work"' EXIT
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

deb=$("$src/scripts/package.sh" "$build" "$work/out-deb" 2>"$work/package.log" | tail -n1)
if [ ! -f "$deb" ]; then
  echo "FAIL: scripts/package.sh printed no package path ('$deb')"
  cat "$work/package.log"
  exit 1
fi
field() { dpkg-deb -f "$deb" "$1"; }

control() {
  [ "$(field Package)" = quibbleton ] && [ "$(field Version)" = "$version" ] &&
    [ "$(field Section)" = games ] && [ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    { dpkg-deb -I "$deb"; return 1; }
}
check "control fields" control

depends() {
  local deps
  deps=$(field Depends)
  echo "Depends: $deps"
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 \
    libqt6multimedia6 libcurl4 libjpeg62-turbo; do
    [[ ", $deps," == *", $lib "* || ", $deps," == *", $lib,"* ]] || { echo "$lib is missing"; return 1; }
  done
  # Every dependency is a package this Debian release really has.
  for name in $(sed 's/([^)]*)//g; s/[,|]/ /g' <<<"$deps"); do
    dpkg-query -W "$name" >/dev/null 2>&1 || { echo "$name is not installed here"; return 1; }
  done
}
check "dependencies from dpkg-shlibdeps" depends

root=$work/root
dpkg -x "$deb" "$root"
contents() {
  for p in "${programs[@]}"; do
    [ -x "$root/usr/games/$p" ] || { echo "usr/games/$p"; return 1; }
  done
  grep -qx "ExecStart=/usr/games/quibbleton-host --port %i" \
    "$root/usr/lib/systemd/system/quibbleton-host@.service" &&
    grep -qx "Exec=/usr/games/quibbleton %u" \
      "$root/usr/share/applications/org.quibbleton.Quibbleton.desktop"
}
check "programs, unit and menu entry in place" contents

runs_version() { # program
  local got
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/games/$1" --version) &&
    [ "$got" = "$1 $version" ] || { echo "got '$got'"; return 1; }
}
check "quibbleton --version from the package" runs_version quibbleton
check "quibbleton-host --version from the package" runs_version quibbleton-host

host_runs() { # listens, then leaves with status 0 on SIGTERM
  "$root/usr/games/quibbleton-host" --port 0 >"$work/host.out" 2>&1 &
  host_pid=$!
  for _ in $(seq 100); do
    grep -q "^Listening on port [1-9]" "$work/host.out" && break
    sleep 0.1
  done
  grep "^Listening on port" "$work/host.out" || return 1
  kill -TERM "$host_pid"
  wait "$host_pid"
  local status=$?
  host_pid=
  return $status
}
check "quibbleton-host from the package listens and stops on SIGTERM" host_runs

# What Debian's own package checker says: no error and no warning.
lintian_clean() {
  lintian --fail-on error,warning --tag-display-limit 0 "$deb"
}
if command -v lintian >/dev/null; then
  check "lintian finds no error or warning" lintian_clean
else
  echo "SKIP: lintian is not installed"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
