// The fingerprint of a set of solutions: a hash that does not depend on
// the order they are found in, so that work units counted anywhere, by any
// number of threads or machines and merged in any grouping, add up to the
// fingerprint of the whole count, and an independent recount of a unit can
// be compared with the fast one.
//
// Modulo the prime p = 2^61 - 1, a solution x1 .. xn hashes to
//     H(x) = x1 s + x2 s^2 + ... + x(n-1) s^(n-1)  (mod p),   s = SEMENCE,
// (xn follows from the others and P/Q, so it adds nothing), then is mixed
// by F, the finaliser of splitmix64 reduced modulo p, so that no linear
// relation between solutions cancels out. The fingerprint of a set is the
// sum of F(H(x)) modulo p: merged by addition, 0 for no solution.
#pragma once

#include <cstdint>
#include <string>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "nombres/mot.h"

namespace fractions_unitaires::moteur {

using NTL::Vec;

class Empreinte {
public:
    using u64 = std::uint64_t;
    using u128 = unsigned __int128;
    static constexpr u64 P = (u64(1) << 61) - 1;
    static constexpr u64 SEMENCE = 0x2545F4914F6CDD1DULL % P;

    Empreinte() = default;
    u64 valeur() const { return v_; }
    bool operator==(const Empreinte& e) const { return v_ == e.v_; }
    bool operator!=(const Empreinte& e) const { return v_ != e.v_; }
    void ajoute(const Empreinte& e) { v_ = somme(v_, e.v_); }
    // One solution whose hash H is h.
    void ajouteHachage(u64 h) { v_ = somme(v_, melange(h)); }
    // One solution x[1..n].
    template <class T>
    void ajoute(const Vec<T>& x, int n)
    {
        ajouteHachage(hachage(x, n));
    }
    // 16 hexadecimal digits, and back (false when it is not that).
    std::string texte() const;
    static bool lit(const std::string& s, Empreinte& e);

    // Arithmetic modulo p, for the closing to hash its pairs. 2^61 = 1
    // (mod p): a fold adds the bits above 61 to those below.
    static u128 replie(u128 v) { return (v & P) + (v >> 61); }
    // r below 2p, brought below p.
    static u64 sousP(u64 r) { return r >= P ? r - P : r; }
    // Two folds bring any v below 2p.
    static u64 reduit(u128 v) { return sousP(static_cast<u64>(replie(replie(v)))); }
    static u64 reduit(const Mot& v) { return reduit(static_cast<u128>(v.v)); }
    static u64 reduit(const NTL::ZZ& v) { return static_cast<u64>(NTL::rem(v, static_cast<long>(P))); }
    // a, b below p: a b is at most (p - 1)^2, one fold leaves it below 2p.
    static u64 produit(u64 a, u64 b) { return sousP(static_cast<u64>(replie(static_cast<u128>(a) * b))); }
    static u64 somme(u64 a, u64 b) { return sousP(a + b); }
    // H(x) of x[1..n].
    template <class T>
    static u64 hachage(const Vec<T>& x, int n)
    {
        u64 h = 0, s = 1;
        for (int k = 1; k < n; k++) {
            s = produit(s, SEMENCE);
            h = somme(h, produit(reduit(x[k]), s));
        }
        return h;
    }
    static u64 melange(u64 h)
    {
        h ^= h >> 30;
        h *= 0xbf58476d1ce4e5b9ULL;
        h ^= h >> 27;
        h *= 0x94d049bb133111ebULL;
        h ^= h >> 31;
        return sousP(static_cast<u64>(replie(h)));  // one fold: below p + 8
    }

private:
    explicit Empreinte(u64 v) : v_(v) {}
    u64 v_ = 0;
};

}  // namespace fractions_unitaires::moteur
