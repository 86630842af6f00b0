#!/usr/bin/env bash
# The MPI counter with 2 and 3 ranks gives the totals of one process, of
# one type or of both, fingerprints and those of each unit included; its
# units recounted agree.
set -u
mpi=$1
seul=$2
export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 OMPI_MCA_btl_vader_single_copy_mechanism=none
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
sansTemps() { sed 's/"seconds":[^,]*,//'; }
for probleme in "7 1 -t both" "6 2/3 -t 2" "5 1/2 --parity even" "2 1/12" "7 1 --prefix 2,3,7"; do
  "$seul" $probleme --json | sansTemps > "$work/attendu"
  for rangs in 2 3; do
    timeout 120 mpiexec --oversubscribe -n $rangs "$mpi" $probleme -j 1 --json | sansTemps > "$work/obtenu"
    cmp -s "$work/attendu" "$work/obtenu" || { echo "$probleme with $rangs ranks:"; diff "$work/attendu" "$work/obtenu"; fail=1; }
  done
done
# A checkpointed run on 3 ranks, resumed on 2.
timeout 120 mpiexec --oversubscribe -n 3 "$mpi" 6 1/3 -j 1 --checkpoint "$work/point" --every 0.05 --json > /dev/null
timeout 120 mpiexec --oversubscribe -n 2 "$mpi" 6 1/3 --resume "$work/point" --json | sansTemps > "$work/obtenu"
"$seul" 6 1/3 --json | sansTemps > "$work/attendu"
cmp -s "$work/attendu" "$work/obtenu" || { echo "resumed on 2 ranks:"; diff "$work/attendu" "$work/obtenu"; fail=1; }
timeout 120 mpiexec --oversubscribe -n 2 "$mpi" 6 1/3 -j 1 --verify 5 --seed 1 > "$work/obtenu" 2>&1 &&
  grep -qx "verified units: 5" "$work/obtenu" || { echo "--verify on 2 ranks:"; cat "$work/obtenu"; fail=1; }
# A bad argument is told once, not once per rank.
mpiexec --oversubscribe -n 3 "$mpi" 5 1 --frobnicate > /dev/null 2> "$work/err"
[ "$(grep -c frobnicate "$work/err")" = 1 ] || { echo "a bad argument under 3 ranks:"; cat "$work/err"; fail=1; }
exit $fail
