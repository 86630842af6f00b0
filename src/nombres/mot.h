// Mot: a 128-bit signed integer whose +, - and * throw Debordement instead
// of overflowing. The step machine runs on it while every number fits; a
// step that would overflow is redone on NTL's ZZ. Also the conversions
// between the two, and the helpers that generic code needs on both.
#pragma once

#include <cstdint>

#include <NTL/ZZ.h>

#include "limites.h"

namespace fractions_unitaires::moteur {

using NTL::ZZ;

// A word operation would leave the 128-bit range.
struct Debordement {};

class Mot {
public:
    using Brut = __int128;

    constexpr Mot() : v(0) {}
    constexpr Mot(int x) : v(x) {}
    constexpr Mot(long x) : v(x) {}
    constexpr Mot(long long x) : v(x) {}
    static constexpr Mot brut(Brut b)
    {
        Mot m;
        m.v = b;
        return m;
    }

    Brut v;

    friend Mot operator+(Mot a, Mot b)
    {
        Brut r;
        if (__builtin_add_overflow(a.v, b.v, &r))
            throw Debordement();
        return brut(r);
    }
    friend Mot operator-(Mot a, Mot b)
    {
        Brut r;
        if (__builtin_sub_overflow(a.v, b.v, &r))
            throw Debordement();
        return brut(r);
    }
    friend Mot operator*(Mot a, Mot b)
    {
        // Two factors of 64 bits give at most 127 bits: the common case
        // needs no check.
        if (a.v == static_cast<std::int64_t>(a.v) && b.v == static_cast<std::int64_t>(b.v))
            return brut(a.v * b.v);
        Brut r;
        if (__builtin_mul_overflow(a.v, b.v, &r))
            throw Debordement();
        return brut(r);
    }
    // Floor division; the step machine divides only non-negative numbers by
    // positive ones, where C++ truncation is the floor.
    friend Mot operator/(Mot a, Mot b)
    {
        ASSERT_LIMITE(a.v >= 0 && b.v > 0);
        if ((a.v >> 64) == 0 && (b.v >> 64) == 0)
            return brut(static_cast<std::uint64_t>(a.v) / static_cast<std::uint64_t>(b.v));
        return brut(a.v / b.v);
    }
    friend Mot operator-(Mot a)
    {
        Brut r;
        if (__builtin_sub_overflow(Brut(0), a.v, &r))
            throw Debordement();
        return brut(r);
    }
    Mot& operator+=(Mot b) { return *this = *this + b; }
    Mot& operator-=(Mot b) { return *this = *this - b; }
    Mot& operator*=(Mot b) { return *this = *this * b; }
    Mot& operator/=(Mot b) { return *this = *this / b; }

    friend bool operator==(Mot a, Mot b) { return a.v == b.v; }
    friend bool operator!=(Mot a, Mot b) { return a.v != b.v; }
    friend bool operator<(Mot a, Mot b) { return a.v < b.v; }
    friend bool operator<=(Mot a, Mot b) { return a.v <= b.v; }
    friend bool operator>(Mot a, Mot b) { return a.v > b.v; }
    friend bool operator>=(Mot a, Mot b) { return a.v >= b.v; }
};

inline long IsOdd(Mot a) { return static_cast<long>(a.v & 1); }

// Whether v fits in `bits` bits, sign apart.
inline bool tient(const ZZ& v, long bits) { return NTL::NumBits(v) <= bits; }

// v as a word; v must fit in 127 bits.
Mot enMot(const ZZ& v);
// v as a ZZ.
ZZ enZZ(Mot v);
void enZZ(ZZ& z, Mot v);

// a*b < c, for a >= 0 and b > 0, without an overflow on words: a product
// that does not fit in 127 bits exceeds every word c.
inline bool produitInferieur(const ZZ& a, const ZZ& b, const ZZ& c) { return a * b < c; }
inline bool produitInferieur(Mot a, Mot b, Mot c)
{
    Mot::Brut p;
    if (__builtin_mul_overflow(a.v, b.v, &p))
        return false;
    return p < c.v;
}

// The sign of a - b, for a word and a ZZ.
inline int compare(Mot a, const ZZ& b)
{
    if (!tient(b, 127))
        return sign(b) > 0 ? -1 : 1;
    const Mot m = enMot(b);
    return a < m ? -1 : (a == m ? 0 : 1);
}

// The decimal digits of v.
void ecrit(char* tampon, Mot v);

}  // namespace fractions_unitaires::moteur
