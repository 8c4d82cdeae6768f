#!/bin/sh
# Installs the package for real in a throwaway Debian 12 root made by
# debootstrap, starts the game there as its desktop entry does, on the
# virtual display, then removes it and checks that nothing is left behind.
# It downloads a minimal Debian and takes minutes, so it is not part of
# tools/check. Needs root, debootstrap and a package made with
# "cmake --build BUILD --target package":
#   tests/with-xvfb.sh tests/install-root.sh BUILD
. "$(dirname "$0")/game.sh"
[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot)"
[ -n "${DISPLAY:-}" ] || fail "run it through tests/with-xvfb.sh"
deb=$(ls "$build"/tavrok_*.deb 2>/dev/null | tail -n 1)
[ -n "$deb" ] || fail "no $build/tavrok_*.deb: make it with cmake --build $build --target package"
root=$work/root
debootstrap --variant=minbase bookworm "$root" >"$work/log" 2>&1 || fail "debootstrap: $(tail -n 20 "$work/log")"
mkdir -p "$root/tmp/.X11-unix" && cp "$deb" "$root/tmp/" || fail "cannot write in $root"
# A command in the root, with its mounts in a namespace of its own that
# vanishes with it.
in_root() {
  unshare --mount --propagation private sh -c 'mount -t proc proc "$0/proc" && mount --bind /dev "$0/dev" &&
    mount --bind /tmp/.X11-unix "$0/tmp/.X11-unix" && exec chroot "$0" env -i DISPLAY="$DISPLAY" HOME=/root \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games DEBIAN_FRONTEND=noninteractive "$@"' "$root" "$@"
}
# What the root holds, less the package manager's own records, caches and logs.
files() {
  (cd "$root" && find . \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./run -o -path ./var/lib/dpkg \
    -o -path ./var/lib/apt -o -path ./var/cache -o -path ./var/log \) -prune -o -print) | sort >"$work/$1"
}
in_root apt-get update -qq || fail "apt-get update failed"
files before
in_root sh -c "cd /tmp && apt install -y -q ./${deb##*/}" >"$work/log" 2>&1 ||
  fail "apt install: $(tail -n 20 "$work/log")"

# Started as the desktop menu starts it, from the home folder.
exec_line=$(sed -n 's/^Exec=//p' "$root"/usr/share/applications/*.desktop)
from_menu() { in_root sh -c "cd && exec $exec_line"; }
start from_menu
"$build/tavrok-shotcheck" "$root/usr/share/games/tavrok/TavrokDF.dat" 20 opening ||
  fail "started by Exec=$exec_line, the game showed no opening text"
kill -TERM "$game"
wait "$game"
game=""

in_root apt remove -y -q tavrok >>"$work/log" 2>&1 || fail "apt remove failed"
in_root dpkg -s tavrok >/dev/null 2>&1 && fail "tavrok is still known to dpkg after apt remove"
in_root apt-get autoremove --purge -y -q >>"$work/log" 2>&1 || fail "apt-get autoremove failed"
files after
diff "$work/before" "$work/after" >&2 || fail "the root differs from before the install (< gone, > left)"
echo "install-root: installed, started from its desktop entry, removed, and nothing of it left"
