// The divisors A of d^2 with A = -d (mod c) in a range: with x(n-2) fixed
// and the remainder c/d in lowest terms, each gives the pair
// u = (A + d)/c, v = (d^2/A + d)/c with 1/u + 1/v = c/d.
#pragma once

#include <cstdint>
#include <vector>

#include "search/facteurs.h"

using u128 = unsigned __int128;

class Diviseurs {
public:
    // The divisors A of d^2 (d's primes in fd) with A = -d (mod c) and
    // lo <= A <= hi, into `sortie`, in no order. `chemin` tells how: 0 meet
    // in the middle, 1 one by one.
    void liste(const Facteurs& fd, u128 d, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie,
               int& chemin);

    // The number of divisors of d^2.
    static u128 nombre(const Facteurs& fd);

private:
    void directs(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    // Meet in the middle, with the divisors of each side as V (64-bit while
    // hi fits).
    template <class V, class Mul>
    void milieu(const Facteurs& fd, Mul mul, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie,
                std::vector<V>& va, std::vector<V>& vb);

    std::vector<u64> clesA_, clesB_;
    std::vector<std::uint64_t> va64_, vb64_;
    std::vector<u128> va128_, vb128_;
    std::vector<std::uint32_t> table_;
    std::vector<std::uint32_t> tampons_;
    std::uint32_t tampon_ = 0;
};
