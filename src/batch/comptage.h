// A batch count: the special cases first, then the search cut into work
// units counted by threads and merged in the order of the search, with the
// shards, checkpoints and status line of a long count; or the listing of
// every solution.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "batch/point.h"
#include "batch/total.h"
#include "search/partage.h"

// Runs the count of d, its units counted by `atelier` (other machines), or
// by the threads of this one when it is null. The totals are those of the
// shard d.tranche.
Total compte(const Demande& d, Atelier* atelier = nullptr);

// A count or a listing stopped by its caller (Demande::suivi).
struct Annulation {};

// Every solution of d, in the order of the interactive table, a few units
// at a time: their lines are listed by every core.
class Listage {
public:
    explicit Listage(const Demande& d);  // throws MauvaisArgument
    ~Listage();
    // Appends the next solutions to `lignes`, one line each (x1 .. xn, or
    // a JSON array with d.json); false once every one was given.
    bool suivants(std::string& lignes);
    // The totals of the solutions given so far.
    Total total() const;

private:
    const Demande& d_;
    std::chrono::steady_clock::time_point debut_;
    Verdicts verdicts_;
    std::unique_ptr<Recherche> r_;
    std::unique_ptr<Decoupe> decoupe_;
    std::unique_ptr<Equipe> equipe_;
    std::unique_ptr<Chantier> chantier_;
    Total t_;
    std::string enAttente_;
    bool fini_ = false;
};

// Every solution on `out`, one line each, x1 .. xn; the totals returned.
Total liste(const Demande& d, std::ostream& out);

// The estimated prefixes per work unit of the count of d: fixed by the
// problem alone, so that every shard and every resumed run cuts the same
// units.
double tailleUnite(const Demande& d);
