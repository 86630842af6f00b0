#!/usr/bin/env bash
# The batch counter used as a hostile user would: checkpoints that are links,
# devices, folders, other files or in use; signals mid-run; saves that fail;
# resume and merge files that are not what they claim. Each ends with a
# clear line, its documented status, and nothing lost or overwritten.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail=0
# A few seconds of work, in some two hundred units, and some seconds more;
# smaller shares of them under the sanitizers, which run five times slower.
# (There a resumed run takes a second or two to cut its units again: the
# signals come after four seconds rather than two.)
long=(7 3/4 -j 2)
signale=(8 1 -j 2 --shard 1/6)
apres=2
if [ -n "${ESSAIS_LEGERS:-}" ]; then
  long=(7 3/4 -j 2 --shard 1/4)
  signale=(8 1 -j 2 --shard 1/12)
  apres=4
fi

statut() {  # expected status, expected words on standard error, then the arguments
  local attendu=$1 mot=$2
  shift 2
  "$exe" "$@" > out 2> err
  local s=$?
  if [ "$s" != "$attendu" ] || { [ -n "$mot" ] && ! grep -q -- "$mot" err; }; then
    echo "$* : status $s, expected $attendu with '$mot':"
    cat err
    fail=1
  fi
}

# Checkpoint paths refused before any work, each left as it was.
# (A named pipe stands for a device: a faulty build must not replace one.)
ln -s cible lien
mkfifo tube
echo notes > notes.txt
mkdir dossier
statut 2 "not a regular file" 6 1 --checkpoint lien
statut 2 "not a regular file" 6 1 --checkpoint tube
statut 2 "is a folder" 6 1 --checkpoint dossier
statut 2 "not a checkpoint" 6 1 --checkpoint notes.txt
statut 2 "cannot be written" 6 1 --checkpoint absent/point
[ -L lien ] && [ ! -e cible ] && [ "$(cat notes.txt)" = notes ] && [ -p tube ] ||
  { echo "a refused checkpoint path was changed"; fail=1; }
[ "$(ls)" = "$(printf 'dossier\nerr\nlien\nnotes.txt\nout\ntube')" ] || { echo "files left behind: $(ls)"; fail=1; }

# Resume files that are no checkpoint; empty values; limits said.
statut 2 "not a regular file" 6 1 --resume tube
statut 2 "not a regular file" 6 1 --resume /dev/zero
statut 2 "is a folder" 6 1 --resume dossier
for option in --resume --checkpoint --shard; do statut 2 "$option needs a value" 6 1 $option ""; done
statut 2 "K <= 1048576" 6 1 --shard 1/1000000000
for sortie in "--help >/dev/full" "--version >/dev/full" "5 1 --list >/dev/null 2>/dev/full"; do
  eval "\"\$exe\" $sortie"
  s=$?
  [ $s = 3 ] || { echo "$sortie: status $s, expected 3"; fail=1; }
done

# A count settled without units is checkpointed, and resumes.
statut 0 "" --parity odd 7 3/4 --checkpoint rien
statut 0 "" --parity odd 7 3/4 --resume rien --checkpoint rien
grep -q "solutions: 0" out && [ -s rien ] || { echo "no checkpoint for a count without units"; fail=1; }

# Two runs on one checkpoint: the second refuses at once, the first goes on.
"$exe" "${long[@]}" --checkpoint point --json > premier &
pid=$!
sleep 0.5
statut 2 "in use by another run" "${long[@]}" --checkpoint point
# A save that fails mid-run is told once; the count goes on and ends.
"$exe" "${long[@]}" --checkpoint autre --every 0.1 --json > second 2> err2 &
pid2=$!
for attente in $(seq 100); do [ -s autre ] && break; sleep 0.1; done
# (The run's own temporary file may be there a moment: try again.)
until mkdir autre.tmp 2> /dev/null; do sleep 0.01; done
sleep 0.5
rmdir autre.tmp
wait $pid || { echo "the first run on a shared checkpoint failed"; fail=1; }
wait $pid2 || { echo "a run whose save failed did not end well"; fail=1; }
[ "$(grep -c "cannot be saved" err2)" = 1 ] || { echo "a failed save was not told once:"; cat err2; fail=1; }
cmp -s <(sed 's/"seconds":[^,]*,//' premier) <(sed 's/"seconds":[^,]*,//' second) ||
  { echo "runs with checkpoints disagree"; fail=1; }
ls point.* autre.* 2> /dev/null && { echo "lock or temporary files left behind"; fail=1; }

# SIGTERM, SIGINT, SIGHUP, one after the other on one count: each time what
# is finished is saved at once (the checkpoint holds more solutions than
# before) and the status is the signal's; resumed after the three, the
# count ends with the totals of a run never stopped, the one that shows
# --status. (Job control, or background jobs would start with SIGINT
# ignored.)
set -m
rm -f sig
avant=0
for signal in TERM INT HUP; do
  reprise=()
  [ -e sig ] && reprise=(--resume sig)
  "$exe" "${signale[@]}" "${reprise[@]}" --checkpoint sig --every 1000 --json > /dev/null &
  pid=$!
  sleep $apres
  debut=$(date +%s%N)
  kill -$signal $pid
  wait $pid
  s=$?
  ms=$((($(date +%s%N) - debut) / 1000000))
  [ "$s" = $((128 + $(kill -l $signal))) ] && [ "$ms" -lt 2000 ] && [ -s sig ] && [ ! -e sig.lock ] ||
    { echo "SIG$signal: status $s after $ms ms, checkpoint $(ls sig* 2>&1)"; fail=1; }
  sauve=$(grep -o '"solutions":[0-9]*' sig | tail -1 | cut -d: -f2)
  [ "${sauve:-0}" -gt "$avant" ] || { echo "SIG$signal: nothing saved (${sauve:-no} solutions)"; fail=1; }
  avant=${sauve:-0}
done
set +m
"$exe" "${signale[@]}" --resume sig --checkpoint sig --json > repris

# --status: on a terminal, a line refreshed about once a second; elsewhere,
# a line every ten seconds and one at the end; the result unchanged.
script -qfec "'$exe' ${signale[*]} --status --json > statut.out" statut.ts > /dev/null
cmp -s <(sed 's/"seconds":[^,]*,//' repris) <(sed 's/"seconds":[^,]*,//' statut.out) ||
  { echo "three signals then resume, or --status, change the totals"; fail=1; }
[ "$(grep -ao 'units done' statut.ts | wc -l)" -ge 3 ] && grep -aq '100.0% of' statut.ts ||
  { echo "--status on a terminal:"; cat -v statut.ts | head -5; fail=1; }
"$exe" 6 1 --status > /dev/null 2> statut.err
grep -q '^100.0% of [0-9]* units done, 3462 solutions' statut.err || { echo "--status: $(cat statut.err)"; fail=1; }

# Merges: only what the program writes, summed without overflow.
"$exe" 7 1 --shard 1/2 --json > t1
"$exe" 7 1 --shard 2/2 --json > t2
for mauvais in -5 1.5 1e30 18446744073709551615 '"-3"' '"007"' '"1e3"'; do
  sed "s/\"solutions\":[0-9]*/\"solutions\":$mauvais/" t2 > t3
  statut 2 "not a shard result" --merge t1 t3
done
# Fingerprints: 16 lowercase hexadecimal digits below 2^61 - 1, and each
# unit's in the shard that counts it.
for mauvais in '"1fffffffffffffff"' '"0123456789ABCDEF"' '"123"' 12 null; do
  sed "s/\"fingerprint\":\"[0-9a-f]*\"/\"fingerprint\":$mauvais/" t2 > t3
  statut 2 "not a shard result" --merge t1 t3
done
sed 's/"unit_fingerprints":\[\[1,/"unit_fingerprints":[[0,/' t2 > t3
statut 2 "not of shard" --merge t1 t3
# A unit's result damaged in its file, as a flipped bit would leave it: the
# merge cannot tell, the recount of every unit finds it and fails.
sed 's/"unit_fingerprints":\[\[1,\([0-9]*\),"[0-9a-f]*"/"unit_fingerprints":[[1,\1,"0000000000000001"/' t2 > t3
statut 0 "" --merge t1 t3
statut 1 "unit 1 (from 3,8 down to 3,4) does not agree" --merge t1 t3 --verify 100 --seed 1
grep -q "verified: 1 units do not agree" out && [ "$(grep -c "does not agree" err)" = 2 ] ||
  { echo "a damaged unit recounted:"; cat out err; fail=1; }
sed 's/"solutions":[0-9]*/"solutions":"9223372036854775807"/' t1 > t4
sed 's/"solutions":[0-9]*/"solutions":"9223372036854775807"/' t2 > t5
statut 0 "" --merge t4 t5
grep -q "solutions: 18446744073709551614" out || { echo "shards past 2^63 summed as $(head -1 out)"; fail=1; }
statut 2 "is a folder" --merge dossier
exit $fail
