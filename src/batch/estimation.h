// Estimates of the size of a count before doing it: random paths down the
// search tree (Knuth's estimator of a backtracking tree), each value drawn
// uniformly among those the walk of its unknown takes, the pairs of the
// prefix reached counted exactly; stratified by the work units of a coarse
// cut, so that the heavy subtrees are sampled apart.
#pragma once

#include <cstdint>

#include "search/probleme.h"

struct Estimation {
    double prefixes = 0, prefixesBas = 0, prefixesHaut = 0;
    double solutions = 0, solutionsBas = 0, solutionsHaut = 0;
    double unites = 0;
    double nsParPrefixe = 0;  // CPU time of closing one prefix, measured
    double heures = 0, heuresBas = 0, heuresHaut = 0;  // core-hours
    std::int64_t sondes = 0, strates = 0;
    // Paths stopped on numbers too large to follow: when there are any,
    // the prefixes (and all that follows from them) are only lower bounds.
    std::int64_t coupes = 0;
    double secondes = 0;
    // The solutions and the cost are NaN when a prefix met could not be
    // counted within the step budget (its numbers are past the words).
};

// The number of prefixes x1 .. x(n-2), from `sondes` random paths drawn
// with the seed `graine` (so that it is the same every time), fewer for
// thousands of unknowns; the paths stopped on too large numbers are added
// to `coupes`.
double estimePrefixes(const Probleme& pb, int sondes, std::uint64_t graine, std::int64_t* coupes = nullptr);

// The estimate of the whole count, with 95 % intervals; `unite` is the
// size of its work units.
Estimation estime(const Probleme& pb, double unite, int travailleurs);
