#!/bin/sh
# The Debian package checked as a distribution checks it: made by CPack from
# a build, then lintian, the desktop entry, AppStream and manual page
# validators and its list of files; unpacked into a scratch root and started
# there from an unrelated folder (run it through with-xvfb.sh).
# Usage: package.sh BUILD_DIR APP_ID
build=$1
id=$2
work=$(mktemp -d)
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package: $*" >&2
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(ls "$work"/out/tavrok_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "built $(basename "$deb")"

# Lintian: no error, and no warning but the one kept on purpose (the
# developer tools in /usr/bin of a games package).
lintian --fail-on error,warning --suppress-tags package-section-games-but-has-usr-bin "$deb" >"$work/lintian" 2>&1 ||
  fail "lintian: $(cat "$work/lintian")"
echo "lintian: no errors or warnings$(grep -c '^I:' "$work/lintian" | sed 's/^0$//; s/^./, & infos/')"

# Every file that ships, and nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/files"
sort >"$work/expected" <<EOF
./usr/games/tavrok
./usr/bin/tavrok-sim
./usr/bin/tavrok-preview
./usr/share/games/tavrok/TavrokDF.dat
./usr/share/games/tavrok/TavrokIN.dat
./usr/share/games/tavrok/TavrokPT.dat
./usr/share/man/man6/tavrok.6.gz
./usr/share/man/man1/tavrok-sim.1.gz
./usr/share/man/man1/tavrok-preview.1.gz
./usr/share/applications/$id.desktop
./usr/share/metainfo/$id.metainfo.xml
./usr/share/doc/tavrok/copyright
./usr/share/doc/tavrok/changelog.gz
$(for n in 16 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${n}x$n/apps/tavrok.png"; done)
EOF
diff "$work/expected" "$work/files" >"$work/diff" || fail "the package's files differ from the list (< missing, > extra): $(cat "$work/diff")"
echo "files: the $(wc -l <"$work/files") expected, no others"

root=$work/root
dpkg-deb -x "$deb" "$root"
src=$(cd "$(dirname "$0")/.." && pwd)
hits=$(grep -rlF -e "$(cd "$build" && pwd)" -e "$src" "$root")
[ -z "$hits" ] || fail "files that name the build or source tree: $hits"
for n in 16 32 48 64 128 256; do
  file -b "$root/usr/share/icons/hicolor/${n}x$n/apps/tavrok.png" | grep -q "^PNG image data, $n x $n," ||
    fail "the ${n}x$n icon is $(file -b "$root/usr/share/icons/hicolor/${n}x$n/apps/tavrok.png")"
done
desktop-file-validate "$root/usr/share/applications/$id.desktop" >"$work/v" 2>&1 && [ ! -s "$work/v" ] ||
  fail "desktop-file-validate: $(cat "$work/v")"
grep -qx "Categories=Game;ArcadeGame;" "$root/usr/share/applications/$id.desktop" || fail "the desktop entry's categories"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/v" 2>&1 ||
  fail "appstreamcli: $(cat "$work/v")"
for page in "$root"/usr/share/man/man*/*; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >/dev/null 2>"$work/v" && [ ! -s "$work/v" ] ||
    fail "man --warnings $(basename "$page"): $(cat "$work/v")"
done
echo "validators: desktop entry, AppStream metadata and manual pages pass"

# The unpacked game, started from a folder that has nothing of it: --help and
# --version need no display, and the data is found through the relative path.
mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
out=$(env -u DISPLAY "$root/usr/games/tavrok" --help) || fail "--help exits with $?"
echo "$out" | grep -qx "  $root/usr/share/games/tavrok" || fail "--help does not name the installed data folder: $out"
out=$(env -u DISPLAY "$root/usr/games/tavrok" --version extra) || fail "--version exits with $?"
[ "$(echo "$out" | head -n 1)" = "tavrok $version" ] || fail "--version says: $out"
"$root/usr/bin/tavrok-preview" --set tavrokc64_1 --number 1 --png cave.png || fail "the unpacked preview failed"
"$root/usr/bin/tavrok-sim" --set tavrokc64_1 --number 1 --ticks 1 | grep -q '"tick":1' || fail "the unpacked simulator failed"
echo "--help, --version, the preview and the simulator work unpacked, without a display"

# The working folder comes first, then the program's own folder, then the
# installed one: a cut datafile in either of the first two is the one read.
for dir in "$work/elsewhere" "$root/usr/games"; do
  head -c 20000 "$root/usr/share/games/tavrok/TavrokDF.dat" >"$dir/TavrokDF.dat"
  "$root/usr/games/tavrok" >/dev/null 2>"$work/err"
  rc=$?
  rm "$dir/TavrokDF.dat"
  [ "$rc" -eq 1 ] && grep -q "^TavrokDF.dat: " "$work/err" ||
    fail "a cut TavrokDF.dat in $dir is not the one read: status $rc, $(cat "$work/err")"
done
echo "a datafile in the working folder or beside the game comes before the installed one"

"$root/usr/games/tavrok" >"$work/stdout" 2>"$work/stderr" &
game=$!
seen=""
for i in $(seq 50); do
  sleep 0.2
  kill -0 "$game" 2>/dev/null || fail "the unpacked game ended: $(cat "$work/stdout" "$work/stderr")"
  xwd -root -silent >"$work/shot.xwd"
  "$build/tavrok-shotcheck" "$root/usr/share/games/tavrok/TavrokDF.dat" "$work/shot.xwd" opening >"$work/check" &&
    seen=1 && break
done
[ -n "$seen" ] || fail "the unpacked game never showed the opening text: $(cat "$work/check")"
kill -TERM "$game"
wait "$game" 2>/dev/null
game=""
[ -s "$work/stderr" ] && fail "the unpacked game wrote to standard error: $(cat "$work/stderr")"
echo "the unpacked game shows the opening text: $(cat "$work/check")"
