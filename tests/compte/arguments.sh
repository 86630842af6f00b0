#!/usr/bin/env bash
# The batch counter's command line: known counts, and each bad argument
# refused with status 2 and one line on standard error naming it, before
# any work (a checkpoint refused is left as it was).
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# Ways to write 1 as a sum of n unit fractions: OEIS A002966 and A006585.
# Under (2, 3, 7, 43, 1807), n = 8 is n = 3 for 1/3263442.
# (Those two take a minute under the sanitizers, and are left to Release.)
cas=("6 1 1 3462" "7 1 1 294314" "6 1 2 2320" "7 1 2 245765" "3 2/3 2 5")
[ -n "${ESSAIS_LEGERS:-}" ] ||
  cas+=("8 1 1 1577340 --prefix 2,3,7,43,1807" "8 1 2 1576368 --prefix 2,3,7,43,1807")
for cas in "${cas[@]}"; do
  set -- $cas
  got=$("$exe" "$1" "$2" -t "$3" "${@:5}" --json | sed 's/.*"solutions":\([0-9]*\).*/\1/')
  [ "$got" = "$4" ] || { echo "N = $1, P/Q = $2, type $3 ${*:5}: $got solutions, expected $4"; fail=1; }
done

# Both types in one walk.
"$exe" 7 1 -t both --status > "$work/deux" 2> "$work/etat"
grep -qx "type 1 solutions: 294314" "$work/deux" && grep -qx "type 2 solutions: 245765" "$work/deux" &&
  grep -q "294314 solutions (245765 of type 2)" "$work/etat" ||
  { echo "7 1 -t both:"; cat "$work/deux" "$work/etat"; fail=1; }

# A recount, and its progress with --status.
"$exe" 6 1 --verify 2 --seed 1 --status > "$work/deux" 2> "$work/etat"
grep -qx "verified: the recount agrees with the count" "$work/deux" && grep -q "recount: 1 of 1 units" "$work/etat" ||
  { echo "6 1 --verify 2 --status:"; cat "$work/deux" "$work/etat"; fail=1; }

refuse() {  # expected word on standard error, then the arguments
  local mot=$1
  shift
  "$exe" "$@" > "$work/out" 2> "$work/err"
  local statut=$?
  if [ "$statut" != 2 ] || [ "$(wc -l < "$work/err")" != 1 ] || ! grep -q -- "$mot" "$work/err" || [ -s "$work/out" ]; then
    echo "$* : status $statut, expected 2 and one line naming $mot:"
    cat "$work/err"
    fail=1
  fi
}
refuse "--frobnicate" 5 1 --frobnicate
refuse "--verify" 5 1 --verify 0
refuse "--seed" 5 1 --seed 3
refuse "--verify" 5 1 --verify 2 --list
refuse "N must be" 0 1
refuse "N must be" -3 1
refuse "N must be" x 1
refuse "Q must be" 5 1/x
refuse "P must be" 5 x/2
refuse "P and Q must be positive" 5 0/3
refuse "P and Q must be positive" 5 3/0
refuse "Q must be" 5 1/2/3
refuse "required" 5
refuse "--type" 5 1 -t 3
refuse "one type" 5 1 -t both --list
refuse "--parity" 5 1 --parity some
refuse "--shard" 5 1 --shard 4/3
refuse "--shard" 5 1 --shard 0/3
refuse "--shard" 5 1 --shard 2
refuse "--threads" 5 1 -j 5000
# Prefixes: out of order, of the wrong parity, outside the bounds, too long
# or complete; a checkpoint of another prefix.
refuse "not non-decreasing at x2" 6 1 --prefix 3,2
refuse "not increasing at x2" 6 1 -t 2 --prefix 3,3
refuse "x1 even under --parity odd" 5 1 --parity odd --prefix 2
refuse "x1 outside" 6 1 --prefix 7
refuse "x2 outside" 6 1 --prefix 2,11
refuse "fewer values than N" 3 1 --prefix 2,3,6
refuse "completes or exceeds" 6 1 --prefix 2,3,6
refuse "completes or exceeds" 6 1 --prefix 1
refuse "separated by commas" 6 1 --prefix 2,,3
"$exe" 6 1 --prefix 2,3 --checkpoint "$work/p23" > /dev/null
refuse "another count" 6 1 --prefix 2,4 --resume "$work/p23"
refuse "another count" 6 1 --resume "$work/p23"

# Estimates: the interval holds the true count; a count out of reach, or
# past the sizes a path can follow, is told in seconds, with what cannot
# be known left null.
champ() { sed "s/.*\"$1\":\([^,}]*\).*/\1/" "$work/est"; }
"$exe" 7 1 --estimate --json > "$work/est"
awk -v b="$(champ solutions_low)" -v h="$(champ solutions_high)" 'BEGIN { exit !(b <= 294314 && 294314 <= h) }' ||
  { echo "the estimate of N = 7 misses 294314: $(cat "$work/est")"; fail=1; }
timeout 60 "$exe" 11 1 --estimate --json > "$work/est"
{ [ "$(champ solutions_estimate)" = null ] && awk -v p="$(champ prefixes_estimate)" 'BEGIN { exit !(p > 1e50) }'; } ||
  { echo "the estimate of N = 11: $(cat "$work/est")"; fail=1; }
# Paths cut: never more than drawn, and what they hide is unknown.
timeout 60 "$exe" 10000 1 --estimate --json > "$work/est"
{ [ "$(champ paths_cut)" -gt 0 ] && [ "$(champ paths_cut)" -le "$(champ samples)" ] &&
  [ "$(champ solutions_estimate)" = null ] && [ "$(champ core_hours_estimate)" = null ]; } 2>/dev/null ||
  { echo "the estimate of N = 10000: $(cat "$work/est")"; fail=1; }

# Checkpoints: one of another problem, one cut short, one altered.
"$exe" 6 1 --checkpoint "$work/six" > /dev/null
cp "$work/six" "$work/six.orig"
refuse "another count" 6 2/3 --resume "$work/six" --checkpoint "$work/six"
refuse "another count" 6 1 -t 2 --resume "$work/six"
head -c 100 "$work/six.orig" > "$work/court"
refuse "damaged" 6 1 --resume "$work/court" --checkpoint "$work/court"
sed 's/"solutions":3462/"solutions":3463/' "$work/six.orig" > "$work/change"
refuse "damaged" 6 1 --resume "$work/change"
cmp -s "$work/six" "$work/six.orig" || { echo "a refused checkpoint was overwritten"; fail=1; }
[ "$(head -c 100 "$work/court")" = "$(head -c 100 "$work/six.orig")" ] || { echo "a damaged checkpoint was overwritten"; fail=1; }
# A complete checkpoint resumes to the same totals at once.
"$exe" 6 1 --resume "$work/six" --json | sed 's/"seconds":[^,]*,//' > "$work/a"
"$exe" 6 1 --json | sed 's/"seconds":[^,]*,//' > "$work/b"
cmp -s "$work/a" "$work/b" || { echo "resuming a finished count changes its totals"; fail=1; }
exit $fail
