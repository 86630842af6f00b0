// The recount of a finished count's units: some drawn at random with a
// seed, each counted again by the plain step machine on ZZ with its pairs
// closed from every divisor of d^2 (FermetureDirecte), and its count and
// fingerprint compared with those the fast path kept.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "moteur/enonce.h"
#include "moteur/total.h"

namespace fractions_unitaires::moteur {

// A unit whose recount differs from the count.
struct Ecart {
    std::int64_t unite = 0;
    std::vector<ZZ> prefixe;  // x1 .. xk, xk the top of the unit's range
    ZZ bas;                   // the bottom of that range
    Releve rapide, recompte;
};

struct Verification {
    std::uint64_t graine = 0;
    std::int64_t unites = 0;  // units recounted
    ZZ solutions;             // their solutions (of type 1, with both types)
    std::vector<Ecart> ecarts;
    double secondes = 0;      // of the recount (and of cutting the units again)
};

// Recounts `k` units of the count e whose totals are t (a whole count or
// one shard of it: its units only), drawn with `graine`, on o.travailleurs
// threads; every unit when k is at least their number. Throws Erreur when
// t is not of this count (its units are not those of the cut), and
// std::runtime_error when a unit cannot be recounted (a value past the
// factorisation).
// `avance`, when given, is told the units recounted so far and their
// number, as each is done (from one thread at a time).
Verification recompte(const Enonce& e, const Options& o, const Total& t, std::int64_t k, std::uint64_t graine,
                      const std::function<void(std::int64_t, std::int64_t)>& avance = {});

}  // namespace fractions_unitaires::moteur
