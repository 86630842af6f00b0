// Every solution of a small problem by a plain recursive search over exact
// fractions, which shares no code with the program: the reference the tests
// compare the program with.
#pragma once

#include <vector>

#include <NTL/ZZ.h>

namespace reference {

using NTL::ZZ;
using Solution = std::vector<ZZ>;
using Liste = std::vector<Solution>;

struct Cas {
    int type;    // 1: x1 <= ... <= xn, 2: x1 < ... < xn
    int n;
    long p, q;
    int parite;  // 0 any, 1 all odd, 2 all even
    long borne;  // largest value allowed for xn, 0 = none
};

inline bool bonneParite(const ZZ& v, int parite)
{
    return parite == 0 || (parite == 1) == (IsOdd(v) != 0);
}

// Every solution, each unknown running from its largest possible value
// down: decreasing lexicographic order. The remainder a/b is kept in
// lowest terms.
inline void descend(const Cas& pb, const ZZ& a, const ZZ& b, Solution& courante, Liste& sortie)
{
    const long h = pb.n - static_cast<long>(courante.size());
    const ZZ precedent = courante.empty() ? ZZ(0) : courante.back();
    ZZ plancher = precedent + (pb.type == 2 ? 1 : 0);
    if (plancher < 1)
        plancher = 1;
    if (pb.borne != 0 && h * b > a * pb.borne)
        return;  // h unknowns of at most M sum to h/M or more
    if (h == 1) {
        if (b % a != 0)
            return;
        const ZZ v = b / a;
        if (v >= plancher && bonneParite(v, pb.parite) && (pb.borne == 0 || v <= pb.borne)) {
            courante.push_back(v);
            sortie.push_back(courante);
            courante.pop_back();
        }
        return;
    }
    // 1/x < a/b (something remains) and h/x >= a/b.
    ZZ haut = (h * b) / a;
    if (pb.borne != 0 && haut > pb.borne)
        haut = pb.borne;
    ZZ bas = b / a + 1;
    if (bas < plancher)
        bas = plancher;
    for (ZZ v = haut; v >= bas; v -= 1) {
        if (!bonneParite(v, pb.parite))
            continue;
        ZZ a2 = a * v - b, b2 = b * v;
        const ZZ g = GCD(a2, b2);
        courante.push_back(v);
        descend(pb, a2 / g, b2 / g, courante, sortie);
        courante.pop_back();
    }
}

inline Liste toutes(const Cas& pb)
{
    Liste l;
    Solution courante;
    const ZZ g = GCD(ZZ(pb.p), ZZ(pb.q));
    descend(pb, ZZ(pb.p) / g, ZZ(pb.q) / g, courante, l);
    return l;
}

}  // namespace reference
