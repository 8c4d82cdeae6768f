#!/bin/sh
# The Debian package as a distribution checks it: made by CPack from a build,
# then lintian, the desktop entry, AppStream and manual page validators and
# its files; unpacked into a scratch root and started there from an
# unrelated folder (run it through with-xvfb.sh). Usage: package.sh BUILD_DIR APP_ID
. "$(dirname "$0")/game.sh"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/log" 2>&1 || fail "cpack: $(cat "$work/log")"
deb=$(ls "$work"/deb/tavrok_*.deb)
# No lintian error or warning but the one kept on purpose: the developer
# tools in /usr/bin of a games package.
lintian --fail-on error,warning --suppress-tags package-section-games-but-has-usr-bin "$deb" >"$work/log" 2>&1 ||
  fail "lintian: $(cat "$work/log")"
# Nineteen files, each checked here or by lintian, and nothing else.
files=$(dpkg-deb -c "$deb" | grep -v '^d')
[ "$(echo "$files" | wc -l)" -eq 19 ] || fail "not nineteen files: $files"

root=$work/root
dpkg-deb -x "$deb" "$root"
hits=$(grep -rlF -e "$build" -e "$(cd "$(dirname "$0")/.." && pwd)" "$root") && fail "naming the build: $hits"
[ -s "$root/usr/share/games/tavrok/TavrokIN.dat" ] && [ -s "$root/usr/share/games/tavrok/TavrokPT.dat" ] || fail "data"
for n in 16 32 48 64 128 256; do
  file -b "$root/usr/share/icons/hicolor/${n}x$n/apps/tavrok.png" | grep -q "^PNG image data, $n x $n," ||
    fail "the ${n}px icon"
done
out=$(desktop-file-validate "$root/usr/share/applications/$2.desktop" 2>&1) && [ -z "$out" ] || fail "desktop: $out"
out=$(appstreamcli validate --no-net "$root/usr/share/metainfo/$2.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
for page in "$root"/usr/share/man/man*/*; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) && [ -z "$out" ] || fail "$page: $out"
done

# Unpacked and started from an unrelated folder: --help and --version need
# no display and the first of them counts, whatever else is there; the data
# is found through the relative path; a datafile in the working folder comes
# before one beside the game, and that before the installed one.
mkdir "$work/elsewhere"
cd "$work/elsewhere" || exit 1
prog=$root/usr/games/tavrok
out=$(env -u DISPLAY "$prog" extra --help --version) && echo "$out" | grep -qx "  $root/usr/share/games/tavrok" ||
  fail "--help does not name the installed data folder: $out"
out=$(env -u DISPLAY "$prog" --version --help) && [ "${out%%
*}" = "tavrok $(dpkg-deb -f "$deb" Version)" ] || fail "--version says: $out"
"$root/usr/bin/tavrok-preview" --set tavrokc64_1 --number 1 --png cave.png || fail "the unpacked preview"
"$root/usr/bin/tavrok-sim" --set tavrokc64_1 --number 1 --ticks 1 | grep -q '"tick":1' || fail "the unpacked simulator"
for dir in . "$root/usr/games"; do
  head -c 20000 "$root/usr/share/games/tavrok/TavrokDF.dat" >"$dir/TavrokDF.dat"
  "$prog" >/dev/null 2>"$work/log"
  [ $? -eq 1 ] && grep -q "^TavrokDF.dat: " "$work/log" && [ "$(wc -l <"$work/log")" -eq 1 ] ||
    fail "a cut TavrokDF.dat in $dir is not the one read, in one line"
  rm "$dir/TavrokDF.dat"
done
start "$prog"
"$build/tavrok-shotcheck" "$root/usr/share/games/tavrok/TavrokDF.dat" 10 opening || fail "no opening text"
ends 1 143 term
echo "package: every check passed"
