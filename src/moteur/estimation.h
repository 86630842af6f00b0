// Estimates of the size of a count before doing it: random paths down the
// search tree (Knuth's estimator of a backtracking tree), stratified by the
// work units of a coarse cut, the pairs of the prefixes reached counted
// exactly. Counts of at most two unknowns, or settled without a search, are
// exact.
#pragma once

#include <cmath>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "moteur/enonce.h"

namespace fractions_unitaires::moteur {

// One quantity estimated, with its 95 % interval. NaN: unknown. `auMoins`:
// paths were cut short, so that only a lower bound is known.
struct Grandeur {
    double valeur = NAN, bas = NAN, haut = NAN;
    bool auMoins = false;
    bool connue() const { return !std::isnan(valeur); }
};

struct Estimation {
    Grandeur prefixes, solutions, heures;  // heures: core-hours
    // A count of both types: the solutions above are those of type 1,
    // these those of type 2.
    Grandeur distinctes;
    double unites = NAN;                   // work units of the count
    double nsParPrefixe = NAN;             // CPU time of closing one prefix, measured
    std::int64_t sondes = 0, strates = 0;
    // Paths stopped on numbers too large to follow (at most one per path).
    std::int64_t coupes = 0;
    double secondes = 0;
};

// The number of prefixes x1 .. x(n-2) of the count of d, from `sondes`
// random paths drawn with the seed `graine` (so that it is the same every
// time), fewer for thousands of unknowns; the paths stopped on too large
// numbers are added to `coupes`.
double estimePrefixes(const Enonce& d, int sondes, std::uint64_t graine, std::int64_t* coupes = nullptr);

// The coarse estimate of the prefixes that sizes the work units, and so
// every checkpoint and shard of the count: always the same paths.
double prefixesGrossiers(const Enonce& d, std::int64_t* coupes = nullptr);
// The estimated prefixes per work unit of the count of d, fixed by the
// problem alone, so that every shard and every resumed run cuts the same
// units.
double tailleUnite(const Enonce& d);

// The estimate of the whole count of d, whose work units hold `unite`
// prefixes each (0: as many as the count would take).
Estimation estime(const Enonce& d, double unite = 0);

// The estimate e of the count of d as one JSON object (null where unknown).
nlohmann::json estimationJson(const Enonce& d, const Estimation& e);

}  // namespace fractions_unitaires::moteur
