#!/bin/sh
# Installs the package for real in a throwaway Debian 12 root made by
# debootstrap, starts the game there as its desktop entry does, on the
# virtual display, then removes it and checks that nothing is left behind.
# It downloads a minimal Debian and takes minutes, so it is not part of
# tools/check. Needs root, debootstrap and a package made with
# "cmake --build BUILD --target package":
#
#   tests/with-xvfb.sh tests/install-root.sh BUILD
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
fail() {
  echo "install-root: $*" >&2
  exit 1
}

# Inside a private mount namespace: the mounts vanish with it.
if [ "${2:-}" = --inside ]; then
  root=$3
  game=""
  trap '[ -n "$game" ] && kill "$game" 2>/dev/null' EXIT
  mount -t proc proc "$root/proc"
  mount --bind /dev "$root/dev"
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  in_root() { chroot "$root" env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games \
    DEBIAN_FRONTEND=noninteractive DISPLAY="$DISPLAY" HOME=/root "$@"; }
  # What the root holds, less the package manager's own records, caches and logs.
  files() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./run \
      -o -path ./var/lib/dpkg -o -path ./var/lib/apt -o -path ./var/cache -o -path ./var/log \) -prune -o -print) |
      sort >"$1"
  }
  in_root apt-get update -qq
  files "$root/../before"
  cp "$4" "$root/tmp/"
  in_root sh -c "cd /tmp && apt install -y -q ./$(basename "$4")" >"$root/../apt.log" 2>&1 ||
    fail "apt install failed: $(tail -n 20 "$root/../apt.log")"
  in_root dpkg -L tavrok >"$root/../owned"
  echo "installed: $(grep -c "" "$root/../owned") paths, $(grep -c "^Setting up" "$root/../apt.log") packages set up"

  # Started as the desktop menu starts it, from the home folder.
  exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop)
  in_root sh -c "cd && exec $exec_line" >"$root/../stdout" 2>"$root/../stderr" &
  game=$!
  seen=""
  for i in $(seq 100); do
    sleep 0.2
    kill -0 "$game" 2>/dev/null || fail "the game ended: $(cat "$root/../stdout" "$root/../stderr")"
    xwd -root -silent >"$root/../shot.xwd"
    "$build/tavrok-shotcheck" "$root/usr/share/games/tavrok/TavrokDF.dat" "$root/../shot.xwd" opening \
      >"$root/../check" && seen=1 && break
  done
  kill -TERM "$game"
  wait "$game" 2>/dev/null || true
  game=""
  [ -n "$seen" ] || fail "the installed game never showed the opening text: $(cat "$root/../check")"
  echo "started from its desktop entry (Exec=$exec_line): $(cat "$root/../check")"

  in_root apt remove -y -q tavrok >>"$root/../apt.log" 2>&1 || fail "apt remove failed"
  in_root dpkg -s tavrok >/dev/null 2>&1 && fail "tavrok is still known to dpkg after apt remove"
  while read -r path; do
    [ -d "$root$path" ] || [ ! -e "$root$path" ] || fail "$path is left after apt remove"
  done <"$root/../owned"
  in_root apt-get autoremove --purge -y -q >>"$root/../apt.log" 2>&1 || fail "apt-get autoremove failed"
  files "$root/../after"
  diff "$root/../before" "$root/../after" >"$root/../diff" ||
    fail "the root differs from before the install (< gone, > left): $(cat "$root/../diff")"
  echo "removed: nothing of it left, and the root holds the same files as before"
  exit 0
fi

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot)"
[ -n "${DISPLAY:-}" ] || fail "run it through tests/with-xvfb.sh"
command -v debootstrap >/dev/null || fail "needs debootstrap (tools/deps test installs it)"
deb=$(ls "$build"/tavrok_*.deb 2>/dev/null | tail -n 1)
[ -n "$deb" ] || fail "no $build/tavrok_*.deb: make it with cmake --build $build --target package"
work=$(mktemp -d)
trap 'rm -rf --one-file-system "$work"' EXIT
start=$(date +%s)
debootstrap --variant=minbase bookworm "$work/root" >"$work/debootstrap.log" 2>&1 ||
  fail "debootstrap failed: $(tail -n 20 "$work/debootstrap.log")"
echo "a fresh Debian 12 root in $(($(date +%s) - start)) s"
unshare --mount --propagation private "$here/install-root.sh" "$build" --inside "$work/root" "$deb"
echo "install-root: every check passed in $(($(date +%s) - start)) s"
