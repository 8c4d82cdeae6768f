#!/bin/sh
# The Windows programs under Wine (run it through with-xvfb.sh: Wine needs a
# display even for console programs): the unit tests, drawing above 4 GiB of
# address space with and without our patch to the library, the simulator
# printing byte for byte what the Debian one prints (line ends aside) for
# every stored way and for 300 runs with random keys, cheats and whole games,
# the cave proof, cave by cave and in whole games, the zip, the installer and
# its uninstaller, and the game itself, looked at as the end-to-end run does.
# Usage: wine.sh BUILD_DIR WINDOWS_BUILD_DIR
. "$(dirname "$0")/game.sh"
winbuild=$(cd "$2" && pwd) || exit 1
ways=$work/ways
cp -r "$(dirname "$0")/../proof/solutions" "$ways"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine finds a prefix's server by the folder's inode, which the next run's
# prefix may be given: the server is gone before the folder goes.
trap '[ -n "$game" ] && kill -9 "$game" 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null
  /usr/lib/wine/wineserver -w 2>/dev/null; rm -rf "$work"' EXIT

# Never through a pipe (Wine's server would hold it open), always with a
# time limit; a crash ends the program at once instead of opening the
# debugger's dialog.
wine() { timeout 120 /usr/lib/wine/wine64 "$@"; }
t0=$(date +%s)
# One server for every run: a server that lingers only a moment after its
# last program may be ending just as the next one connects.
mkdir "$WINEPREFIX" && /usr/lib/wine/wineserver -p || fail "no Wine server"
wine wineboot --init >"$work/boot" 2>&1 || fail "the Wine prefix was not made: $(cat "$work/boot")"
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 ||
  fail "the crash dialog could not be switched off"
echo "wine: a prefix in $(($(date +%s) - t0)) s"

wine "$winbuild/tavrok-tests.exe" --gtest_brief=1 >"$work/tests" 2>&1 || fail "unit tests: $(cat "$work/tests")"
tail -n 1 "$work/tests"

# Drawing above 4 GiB of address space: right with our patch to the library
# (and a crash at once without it: the last check, below).
wine "$winbuild/tavrok-highmem.exe" >"$work/highmem" 2>&1 && tr -d '\r' <"$work/highmem" | grep -q "drawn above 4 GiB$" ||
  fail "drawing above 4 GiB: $(cat "$work/highmem")"
tr -d '\r' <"$work/highmem"

# Runs the simulator with ARGS... from the folder of the stored ways (Windows
# programs take no Unix paths: the inputs are named relative to it) on both
# systems; the two outputs and statuses must be the same.
# Wine now and then ends a run at its start with status 1 and no output
# (about one run in a thousand here, never twice in a row): a differing run
# is run once more, and counted, before it fails. The program draws no
# number from anything but its input, so a real difference comes back.
runs=0 again=""
same() {
  (cd "$ways" && "$build/tavrok-sim" "$@" >"$work/deb" 2>&1; echo "status $?" >>"$work/deb")
  for try in 1 2; do
    (cd "$ways" && wine "$winbuild/tavrok-sim.exe" "$@" >"$work/win" 2>&1; echo "status $?" >>"$work/win")
    tr -d '\r' <"$work/win" >"$work/win.lf"
    cmp -s "$work/deb" "$work/win.lf" && break
    [ $try = 1 ] && again="$again $(tail -n 1 "$work/win.lf" | tr ' ' :)/$(wc -l <"$work/win.lf")-lines"
  done
  cmp -s "$work/deb" "$work/win.lf" ||
    fail "tavrok-sim $* differs from line $(cmp "$work/deb" "$work/win.lf" | sed -n 's/.* line //p'): Debian ends" \
      "$(tail -n 2 "$work/deb" | cut -c 1-300), Windows $(tail -n 2 "$work/win.lf" | cut -c 1-300)"
  runs=$((runs + 1))
}
t0=$(date +%s)
for f in "$ways"/*/*.txt; do
  set=${f%/*} cave=${f##*/}
  same --set "${set##*/}" --number "$(echo "${cave%%[.@]*}" | sed 's/^0//')" --input "${set##*/}/${cave}" --trace
done
echo "wine: $runs stored ways alike in $(($(date +%s) - t0)) s"

# Random runs: keys held at random (now and then the kill key, a cheat key
# or ESC), cheats switched on at random, in one cave or a whole game (odd
# seeds): random_run SEED writes the keys to $ways/random.txt and the
# arguments to $work/args.
random_run() {
  awk -v seed="$1" 'BEGIN {
    srand(seed); n = 20 + int(rand() * 400)
    split("up down left right", dirs, " ")
    for (t = 0; t < n; t++) {
      line = ""
      for (k = 1; k <= 4; k++) if (rand() < 0.3) line = line " " dirs[k]
      r = rand()
      if (r < 0.004) line = line " kill"; else if (r < 0.006) line = line " f11"; else if (r < 0.008) line = line " f12"
      else if (r < 0.009 && seed % 2) line = line " esc"
      print line
    }
    split("tavrok_s1 tavrokc64_1 tavrokc64_p tavrokc64_b", sets, " "); set = sets[1 + int(rand() * 4)]
    caves = set == "tavrok_s1" ? 25 : 20
    args = seed % 2 ? "--game --set " set " --start " (1 + int(rand() * caves)) : "--set " set " --number " (1 + int(rand() * caves))
    if (set != "tavrok_s1" && rand() < 0.5) args = args " --bl"
    split("lives time boulders spiders turbo", cheats, " ")
    for (c = 1; c <= 5; c++) if (rand() < 0.25) args = args " --cheat " cheats[c]
    print args > "/dev/stderr"
  }' >"$ways/random.txt" 2>"$work/args"
}
t0=$(date +%s)
for i in $(seq 300); do
  random_run "$i"
  same $(cat "$work/args") --input random.txt --trace
done
echo "wine: 300 random runs alike in $(($(date +%s) - t0)) s; runs made again:${again:- none}"

# Replays cross the systems: a random game ended by ESC, recorded by either
# simulator, is the same file and verifies with the other.
for i in 1 3 5 7 9; do
  random_run "$i"
  echo esc >>"$ways/random.txt"
  (cd "$ways" && "$build/tavrok-sim" $(cat "$work/args") --input random.txt --record deb.replay >/dev/null) ||
    fail "recording game $i"
  ok=""
  for try in 1 2; do
    (cd "$ways" && wine "$winbuild/tavrok-sim.exe" $(cat "$work/args") --input random.txt --record win.replay >/dev/null 2>&1 &&
      wine "$winbuild/tavrok-sim.exe" --game --replay deb.replay --verify >/dev/null 2>&1) && ok=1 && break
  done
  [ -n "$ok" ] || fail "game $i: under Wine, recording it or verifying the Debian replay"
  cmp -s "$ways/deb.replay" "$ways/win.replay" || fail "game $i: the Windows simulator records another replay"
  (cd "$ways" && "$build/tavrok-sim" --game --replay win.replay --verify >/dev/null) || fail "game $i: the Windows replay"
done
rm -f "$ways/random.txt" "$ways/deb.replay" "$ways/win.replay"
echo "wine: 5 replays alike and verified on both systems"

# The proof: every cave from the states a game carries into it, and every
# set in one game.
for games in "" --games; do
  t0=$(date +%s)
  (cd "$work" && wine "$winbuild/tavrok-proof.exe" ways $games >"$work/proof" 2>&1) ||
    fail "the cave proof $games: $(tail -n 5 "$work/proof")"
  echo "wine: the cave proof $games: $(tail -n 1 "$work/proof" | tr -d '\r') in $(($(date +%s) - t0)) s"
done

# The portable zip, unpacked: the preview draws what the Debian one draws.
(cd "$work" && cmake -E tar xf "$(ls "$winbuild"/tavrok-*-win64.zip)") || fail "the zip does not unpack"
zip=$(ls -d "$work"/tavrok-*-win64)
[ "$(LC_ALL=C ls "$zip" | tr '\n' ' ')" = "LICENSE.txt README.txt TavrokDF.dat TavrokIN.dat TavrokPT.dat tavrok-preview.exe tavrok-sim.exe tavrok.exe " ] ||
  fail "the zip holds $(ls "$zip")"
(cd "$work" && wine "$zip/tavrok-preview.exe" --set tavrok_s1 --number 7 --png win.png >"$work/preview" 2>&1 &&
  "$build/tavrok-preview" --set tavrok_s1 --number 7 --png deb.png) || fail "the preview: $(cat "$work/preview")"
cmp -s "$work/win.png" "$work/deb.png" || fail "the Windows preview draws another picture"
echo "wine: the zip's preview draws what the Debian one draws"

# The installer, silent: the files, the Start-menu entry and the entry in
# the list of installed programs; the game below runs from there. The
# silent uninstaller (which goes on in a copy of itself) leaves none of them.
wine "$(ls "$winbuild"/tavrok-*-win64-installer.exe)" /S >"$work/setup" 2>&1 || fail "the installer: $(cat "$work/setup")"
user=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public | head -n 1)
home=$WINEPREFIX/drive_c/users/$user/AppData
installed=$home/Local/Programs/Tavrok link="$home/Roaming/Microsoft/Windows/Start Menu/Programs/Tavrok.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrok'
[ "$(LC_ALL=C ls "$installed" | tr '\n' ' ')" = "$(LC_ALL=C ls "$zip" | tr '\n' ' ')uninstall.exe " ] ||
  fail "installed: $(ls "$installed")"
[ -s "$link" ] || fail "no Start-menu entry"
wine reg query "$key" /v UninstallString >"$work/reg" 2>&1 || fail "no entry in the installed programs"
echo "wine: installed, with its Start-menu entry and its entry in the installed programs"

# The installed game, looked at cell by cell: the opening text; ENTER, the
# intro's zoom, widening and logo; ESC, the title; ENTER, a cave whose time
# runs, and a step left; ESC ends it, as the close button and Ctrl+C do. The
# display is too small for the window, so it runs full screen. Wine here has
# no sound driver, as a machine without a sound device: the game is silent
# and says nothing on standard error.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv=d"
printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "%s"\n' "$installed/tavrok.exe" >"$work/tavrok"
chmod +x "$work/tavrok"
what="the game"
start "$work/tavrok"
see "" opening
intro_seen 30
see Escape title
see Return cave 0 tavrokc64_1 1 -
see Left:1 cave 0 tavrokc64_1 1 l
ends 8 0 press Escape
start "$work/tavrok"
see "" opening
ends 8 0 close
# Ctrl+C in the console: Wine hands the signal to the console's handlers.
# Now and then (in about one run of six here) a Wine program is still there
# 16 s after it: that start is ended, counted and made once more, and the
# second must end as the others do.
hung=0
for try in 1 2; do
  start "$work/tavrok"
  see "" opening
  kill -INT "$game"
  timeout 16 tail -s 0.1 --pid="$game" -f /dev/null && break
  hung=$((hung + 1))
  kill -9 "$game"
  wait "$game"
  game=""
done
[ -n "$game" ] || fail "Ctrl+C did not end the program, twice"
ends 1 0 true
echo "wine: the game played ($restarts starts without a window tried again, $hung started again after a Ctrl+C that hung)"

what="uninstalling"
wine "$installed/uninstall.exe" /S >"$work/setup" 2>&1 || fail "$(cat "$work/setup")"
for i in $(seq 100); do [ -e "$installed" ] || [ -e "$link" ] || break; sleep 0.2; done
[ -e "$installed" ] && fail "left $(ls "$installed")"
[ -e "$link" ] && fail "left the Start-menu entry"
wine reg query "$key" >"$work/reg" 2>&1 && fail "left its entry in the installed programs"
# The uninstaller runs from a copy of itself in the temporary folder, which
# only the system's clean-up of that folder removes; nothing else of it stays.
left=$(find "$WINEPREFIX/drive_c" -path '*/~nsu*.tmp/*' ! -name 'Un*.exe')
[ -z "$left" ] || fail "left $left"
echo "wine: uninstalled, nothing left but the uninstaller's own copy in the temporary folder"

# The library without our patch, drawing above 4 GiB: a crash on a cut
# address, last, as the crash leaves Wine's debugger behind.
timeout 20 /usr/lib/wine/wine64 "$winbuild/tavrok-highmem-unpatched.exe" >"$work/highmem" 2>&1 &&
  fail "the library without our patch drew above 4 GiB: $(cat "$work/highmem")"
grep -q "bitmaps at" "$work/highmem" && grep -q "page fault on write access" "$work/highmem" ||
  fail "the library without our patch did not crash on a cut address: $(cat "$work/highmem")"
echo "wine: without our patch the library crashes: $(grep -o 'page fault on write access to [0-9A-Fa-fx]*' "$work/highmem" | head -n 1)"
