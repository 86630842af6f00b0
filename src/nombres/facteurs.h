// Factorisation of the numbers the closing of pairs needs: the values of
// x(n-2) as its walk goes down, from windows of a segmented sieve; any other
// number below 2^64 alone, by trial division, Miller-Rabin and Pollard's rho.
#pragma once

#include <cstdint>
#include <vector>

#include "limites.h"

namespace fractions_unitaires::moteur {

using u64 = std::uint64_t;
using u32 = std::uint32_t;
using u128 = unsigned __int128;

// The primes of a number, increasing, with their exponents.
struct Facteurs {
    int nb = 0;
    u128 p[limites::PREMIERS_MAX];
    int e[limites::PREMIERS_MAX];
    void ajoute(u128 premier, int exposant)
    {
        ASSERT_LIMITE(nb < limites::PREMIERS_MAX);
        p[nb] = premier;
        e[nb] = exposant;
        nb++;
    }
};

// Every prime up to `borne` at least, increasing (borne at most
// 2^(BITS_CRIBLE/2), the square root of the largest value sieved): a
// read-only table shared by every search and thread, made at its first use.
const std::vector<u32>& premiers(u64 borne);

// v (below 2^64) factorised alone; `rho` counts the factors Pollard's rho
// had to find.
void factorise(u64 v, Facteurs& f, std::int64_t& rho);
// v below 2^BITS_FACTORISATION, the same way, its large factors on NTL's
// ZZ; false when Pollard's rho passed its budget (a number with two large
// primes), f then meaningless.
bool factorise(u128 v, Facteurs& f, std::int64_t& rho);

// The integer square root of v.
u64 racine(u64 v);

// Whether v (below 2^64) is prime: Miller-Rabin with bases that decide
// every 64-bit number.
bool estPremier(u64 v);

// The values of a walk going down, factorised window by window: each window
// holds the FENETRE values (or fewer) below the value asked for, sieved by
// every prime up to the square root of its top.
class Crible {
public:
    explicit Crible(std::int64_t fenetre = limites::FENETRE) : fenetre_(fenetre) {}
    // The factors of v, a value of a walk that goes down to `bas` at least;
    // v must be below 2^BITS_CRIBLE.
    void facteurs(u64 v, u64 bas, Facteurs& f);

private:
    void remplit(u64 haut, u64 bas);

    std::int64_t fenetre_;
    u64 bas_ = 1, haut_ = 0;  // the window [bas_, haut_], empty at first
    std::vector<std::uint8_t> nombre_;    // primes found for each value
    std::vector<u32> premiers_;           // PREMIERS_PAR_VALEUR slots per value
    std::vector<std::uint8_t> exposants_;
    std::vector<u64> produit_;            // product of the prime powers found
    // For each prime, the largest multiple j p below the window, as its
    // distance to the window (at most p), and j mod p.
    struct Ecart {
        u32 ecart, reste;
    };
    std::vector<Ecart> ecarts_;
};

}  // namespace fractions_unitaires::moteur
