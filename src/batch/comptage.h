// A batch count: the special cases first, then the search cut into work
// units counted by threads and merged in the order of the search, with the
// shards, checkpoints and status line of a long count; or the listing of
// every solution.
#pragma once

#include <functional>
#include <ostream>

#include "batch/point.h"
#include "batch/total.h"
#include "search/decoupe.h"

class Recherche;

// Runs the count of d. `confie` hands a unit to be counted (threads, or
// other machines); `recolte` gives back the results finished so far, and
// `attend` waits for one. The totals are those of the shard d.tranche.
struct Atelier {
    std::function<void(const Unite&)> confie;
    std::function<std::vector<std::pair<std::int64_t, Bilan>>(bool attendre)> recolte;
    int places = 1;  // units worth keeping in hand
};

Total compte(const Demande& d, Atelier* atelier = nullptr);

// Every solution on `out`, one line each, x1 .. xn; the totals returned.
Total liste(const Demande& d, std::ostream& out);

// The estimated prefixes per work unit of the count of d: fixed by the
// problem alone, so that every shard and every resumed run cuts the same
// units.
double tailleUnite(const Demande& d);
