// A batch count: the special cases first, then the search cut into work
// units counted by threads and merged in the order of the search, with the
// shards, checkpoints and status line of a long count; or the listing of
// every solution.
#pragma once

#include <ostream>

#include "batch/point.h"
#include "batch/total.h"
#include "search/partage.h"

// Runs the count of d, its units counted by `atelier` (other machines), or
// by the threads of this one when it is null. The totals are those of the
// shard d.tranche.
Total compte(const Demande& d, Atelier* atelier = nullptr);

// Every solution on `out`, one line each, x1 .. xn; the totals returned.
Total liste(const Demande& d, std::ostream& out);

// The estimated prefixes per work unit of the count of d: fixed by the
// problem alone, so that every shard and every resumed run cuts the same
// units.
double tailleUnite(const Demande& d);
