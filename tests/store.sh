#!/bin/bash
# The score store under crashes and games ending together, through
# tavrok-store-driver. Usage: store.sh BUILD_DIR
#
# Crashes: a driver adding entry after entry to one table is killed (SIGKILL)
# after 0-30 ms, again and again. Each run's scores are above every earlier
# run's, so the table must load cleanly and hold the top ten of what was
# stored: every acknowledged score, unless ten higher ones are there, and
# nothing but acknowledged scores and each run's one score in flight (stored
# but killed before it could say so).
# Together: two drivers add one entry each to a fresh table at once; both
# must be in it.
build=$(cd "$1" && pwd) || exit 1
driver=$build/tavrok-store-driver
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "store: $*" >&2
  exit 1
}
start=$(date +%s.%N)

table=$work/scores-crash.txt
: >"$work/acked"
: >"$work/allowed"
kills=200 per_run=1000000 first=1
for run in $(seq $kills); do
  "$driver" "$table" $per_run $first >"$work/out" 2>"$work/err" &
  pid=$!
  sleep "0.0$(printf %02d $((RANDOM % 31)))"
  kill -KILL $pid 2>/dev/null
  wait $pid 2>/dev/null
  [ -s "$work/err" ] && fail "run $run: $(cat "$work/err")"
  sed -n 's/^added //p' "$work/out" >"$work/run"
  cat "$work/run" >>"$work/acked"
  cat "$work/run" >>"$work/allowed"
  echo $((first + $(wc -l <"$work/run"))) >>"$work/allowed"
  "$driver" "$table" check >"$work/table" 2>"$work/err" || fail "run $run: $(cat "$work/err")"
  stray=$(grep -vxFf "$work/allowed" "$work/table") && fail "run $run: $stray in the table, never stored"
  tail -n 10 "$work/acked" >"$work/last"
  lost=$(awk -v n="$(wc -l <"$work/table")" -v low="$(tail -n 1 "$work/table")" \
    'NR == FNR { t[$1] = 1; next } !($1 in t) && !(n == 10 && low + 0 > $1 + 0)' "$work/table" "$work/last")
  [ -z "$lost" ] || fail "run $run: acknowledged and lost:" $lost
  first=$((first + per_run))
done
acked=$(wc -l <"$work/acked")
temporaries=$(find "$work" -name 'scores-crash.txt.tmp-*' | wc -l)

pairs=50
for pair in $(seq $pairs); do
  table=$work/scores-together-$pair.txt
  "$driver" "$table" 1 100 >/dev/null 2>"$work/err1" &
  one=$!
  "$driver" "$table" 1 200 >/dev/null 2>"$work/err2" &
  two=$!
  wait $one || fail "pair $pair: $(cat "$work/err1")"
  wait $two || fail "pair $pair: $(cat "$work/err2")"
  [ "$("$driver" "$table" check | tr '\n' ' ')" = "200 100 " ] ||
    fail "pair $pair: the table holds $("$driver" "$table" check 2>&1 | tr '\n' ' ')"
done

took=$(echo "$(date +%s.%N) - $start" | bc)
echo "store: $kills runs killed ($acked entries acknowledged, none lost;" \
  "$temporaries temporary files left by the kills), $pairs pairs of games together, in ${took%???????} s"
