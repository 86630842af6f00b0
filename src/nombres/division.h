// Exact division by a fixed number without a division instruction: by
// multiplication with its inverse modulo 2^128, with a test of whether it
// divides at all.
#pragma once

#include <cstdint>

#include "limites.h"

namespace fractions_unitaires::moteur {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

namespace division {

// The inverse modulo 2^64 of an odd number: right to 5 bits from
// (3 c) xor 2 (Montgomery), then 10, 20, 40 and 80 by Newton's iteration.
constexpr u64 inverseMot(u64 impair)
{
    u64 i = (3 * impair) ^ 2;
    for (int k = 0; k < 4; k++)
        i *= 2 - impair * i;
    return i;
}

// Those of the odd numbers below 2^10, at place (c - 1)/2: the small primes
// common to d and x, most of them, skip the chain of dependent products.
constexpr int BITS_INVERSES = 10;
struct Inverses {
    u64 v[1 << (BITS_INVERSES - 1)];
};
constexpr Inverses INVERSES = [] {
    Inverses t{};
    for (u64 c = 1; c < (u64(1) << BITS_INVERSES); c += 2)
        t.v[c / 2] = inverseMot(c);
    return t;
}();

}  // namespace division

// Division by c of the numbers below 2^128: c = 2^t c' with c' odd, and
// q = (m >> t) c'^-1 modulo 2^128 is m / c when c divides m.
class DivisionExacte {
public:
    explicit DivisionExacte(u128 c)
    {
        ASSERT_LIMITE(c > 0);
        const u64 bas = static_cast<u64>(c);
        t_ = bas != 0 ? __builtin_ctzll(bas) : 64 + __builtin_ctzll(static_cast<u64>(c >> 64));
        impair_ = c >> t_;
        const u64 i = static_cast<u64>(impair_);
        inverse_ = (impair_ >> division::BITS_INVERSES) == 0 ? division::INVERSES.v[i / 2] : division::inverseMot(i);
        inverse_ *= 2 - impair_ * inverse_;  // then all 128 bits
    }
    // m / c, for a multiple m of c.
    u128 operator()(u128 m) const { return (m >> t_) * inverse_; }
    // Whether c divides m, and then m / c into m. For any m, q c' = m >> t
    // modulo 2^128: q is the true quotient exactly when q c' does not
    // pass 2^128.
    bool divise(u128& m) const
    {
        if (t_ > 0 && (m << (128 - t_)) != 0)
            return false;
        const u128 q = (*this)(m);
        u128 produit;
        if (__builtin_mul_overflow(q, impair_, &produit))
            return false;
        m = q;
        return true;
    }

private:
    int t_;
    u128 impair_, inverse_;
};

}  // namespace fractions_unitaires::moteur
