#!/usr/bin/env bash
# A count killed with SIGKILL at random moments and resumed from its
# checkpoint each time, with various numbers of threads, ends with exactly
# the totals of a run never interrupted, fingerprints and those of each
# unit included. Shards merged give them too, and their units recounted
# agree. The count is of both types at once, whose checkpoints hold both.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
probleme=(6 1/3 -t both)
sansTemps() { sed 's/"seconds":[^,]*,//'; }
"$exe" "${probleme[@]}" --json | sansTemps > "$work/attendu"
for j in 1 3; do
  "$exe" "${probleme[@]}" -j $j --json | sansTemps | cmp -s - "$work/attendu" || { echo "-j $j differs"; fail=1; }
done

essais=(1 2 3)
[ -n "${ESSAIS_LEGERS:-}" ] && essais=(1 2)  # under the sanitizers
for essai in "${essais[@]}"; do
  point="$work/point$essai"
  rm -f "$point"
  tues=0
  for tour in 1 2 3 4 5 6 7 8; do
    reprise=()
    touch "$work/depart"
    [ -f "$point" ] && reprise=(--resume "$point")
    "$exe" "${probleme[@]}" -j $((tour % 3 + 1)) --checkpoint "$point" --every 0.02 \
      "${reprise[@]}" --json > "$work/resultat" &
    pid=$!
    # The first kill is blind; the others land a random moment after this
    # run has saved at least once, however slow the build (sanitizers).
    if [ "$tour" -gt 1 ]; then
      for attente in $(seq 100); do
        [ -n "$(find "$work" -name "point$essai" -newer "$work/depart" 2> /dev/null)" ] && break
        kill -0 "$pid" 2> /dev/null || break
        sleep 0.05
      done
    fi
    sleep "$(printf "0.%02d" $((RANDOM % 10 + 5 * tour)))"
    if kill -9 "$pid" 2> /dev/null; then
      wait "$pid" 2> /dev/null
      # A kill counts when it lands mid-run, a checkpoint written.
      [ -s "$point" ] && tues=$((tues + 1))
    else
      wait "$pid"
      break
    fi
  done
  if [ -f "$point" ]; then
    "$exe" "${probleme[@]}" --resume "$point" --checkpoint "$point" --json > "$work/resultat"
  else
    "$exe" "${probleme[@]}" --json > "$work/resultat"
  fi
  sansTemps < "$work/resultat" > "$work/obtenu"
  [ "$tues" -gt 0 ] || { echo "no kill landed mid-run"; fail=1; }
  if ! cmp -s "$work/attendu" "$work/obtenu"; then
    echo "after $tues kills, the totals differ:"
    diff "$work/attendu" "$work/obtenu"
    fail=1
  fi
done

# Four shards, merged.
for i in 1 2 3 4; do
  "$exe" "${probleme[@]}" --shard $i/4 --json > "$work/tranche$i"
done
"$exe" --merge "$work"/tranche3 "$work"/tranche1 "$work"/tranche4 "$work"/tranche2 --json |
  sansTemps | sed 's/"shard":"[^"]*",//; s/"units":[0-9]*,//; s/"first_place":[0-9-]*,//; s/"last_place":[0-9-]*,//' > "$work/fusion"
sansTemps < "$work/attendu" |
  sed 's/"shard":"[^"]*",//; s/"units":[0-9]*,//; s/"first_place":[0-9-]*,//; s/"last_place":[0-9-]*,//' > "$work/entier"
cmp -s "$work/fusion" "$work/entier" || { echo "merged shards differ from the whole:"; diff "$work/entier" "$work/fusion"; fail=1; }
"$exe" --merge "$work"/tranche1 "$work"/tranche2 > /dev/null 2>&1 && { echo "two shards of four were merged"; fail=1; }

# Units of the merged shards recounted, of one shard, and of the
# checkpoint left finished above: without counting again.
"$exe" --merge "$work"/tranche* --verify 6 --seed 3 > "$work/verifie" 2>&1 &&
  grep -qx "verified units: 6" "$work/verifie" &&
  grep -qx "verified: the recount agrees with the count" "$work/verifie" ||
  { echo "the merged shards recounted:"; cat "$work/verifie"; fail=1; }
"$exe" --merge "$work"/tranche2 --verify 4 --seed 3 --json > "$work/verifie" 2>&1 &&
  grep -q '"verification":{"agree":true,.*"units":4}' "$work/verifie" ||
  { echo "one shard recounted:"; cat "$work/verifie"; fail=1; }
"$exe" "${probleme[@]}" --resume "$work/point1" --verify 3 > "$work/verifie" 2>&1 &&
  grep -qx "verified units: 3" "$work/verifie" || { echo "a finished checkpoint recounted:"; cat "$work/verifie"; fail=1; }
exit $fail
