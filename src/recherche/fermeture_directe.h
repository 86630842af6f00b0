// The closing of the recount, kept apart from the fast one and as plain as
// it can be: with x1 .. x(n-2) fixed, the remainder c/d is computed afresh
// on ZZ, d is factorised from the primes of Q and of the prefix, and every
// divisor A <= d of d^2 is listed, one product at a time; those with
// c | A + d give the completing values u = (A + d)/c of x(n-1). The plain
// step machine on ZZ jumps x(n-1) from one of them to the next, and meets
// and checks each solution by a step of its own. No residue, no bitmap,
// no meet in the middle, no sieve, no words.
#pragma once

#include <string>
#include <vector>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "recherche/etat.h"
#include "recherche/probleme.h"

namespace fractions_unitaires::moteur {

// A value the recount cannot factorise (past 2^125, or with two primes
// past Pollard's reach).
struct HorsDePortee {
    std::string raison;
};

class FermetureDirecte {
public:
    explicit FermetureDirecte(const Probleme& pb) : pb_(pb) {}
    // At the start of a forward step at depth n-1 of the plain walk on s:
    // the value x(n-1) moves to, passing over values that complete no
    // solution; false when it stays. Throws HorsDePortee.
    bool vers(const Etat<ZZ>& s, ZZ& cible);

private:
    // The completing values under the prefix of s, decreasing, in liste_.
    void prepare(const Etat<ZZ>& s);
    void divise(std::size_t i);
    // The primes of v.
    const std::vector<ZZ>& premiersDe(int k, const ZZ& v);

    const Probleme& pb_;
    Vec<ZZ> prefixe_;  // x1 .. x(n-2) the list was made for
    bool prete_ = false;
    std::vector<ZZ> liste_;
    std::size_t suivant_ = 0;
    // The remainder c/d of the prefix, the primes of d and their exponents
    // in d^2, and the products of the divisors being listed.
    ZZ c_, d_, temporaire_;
    long cMot_ = 0;  // c when it fits a long with room for a sum, else 0
    long dModC_ = 0;
    std::vector<ZZ> p_, produits_;
    std::vector<long> e_;
    ZZ dernierHaut_;
    // The primes of Q (level 0) and of each x_k, for the value last seen.
    std::vector<ZZ> valeurs_;
    std::vector<std::vector<ZZ>> premiers_;
};

}  // namespace fractions_unitaires::moteur
