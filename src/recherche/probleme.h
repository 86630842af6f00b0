// The problem and its options, as the set-up dialogue leaves them: what a
// search needs besides its own walking state. A copy starts any number of
// searches.
#pragma once

#include <NTL/ZZ.h>
#include <NTL/vector.h>

namespace fractions_unitaires::moteur {

// The parity asked of every unknown; the values are the dialogue's answers.
enum class Parite { INDIFFERENTE = 0, IMPAIRE = 1, PAIRE = 2 };

// Whether v has the parity p.
template <class T>
bool convient(Parite p, const T& v)
{
    return p == Parite::INDIFFERENTE || (p == Parite::IMPAIRE) == static_cast<bool>(IsOdd(v));
}

using NTL::Vec;
using NTL::ZZ;

// The bound on xn as the search applies it: the largest value of the
// parity at most M (0: none).
inline ZZ borneApplicable(Parite p, const ZZ& M)
{
    return M != 0 && !convient(p, M) ? M - 1 : M;
}

struct Probleme {
    int type = 1;       // 1: x1 <= ... <= xn, 2: x1 < ... < xn
    // A count of both types at once: the walk of type 1, whose solutions
    // with distinct values are those of type 2 (a batch count only).
    bool lesDeux = false;
    int n = 1;          // number of unknowns
    ZZ P1, Q1;          // the fraction as entered
    ZZ pg;              // gcd(P1, Q1)
    ZZ P = ZZ(1), Q;    // the fraction in lowest terms
    int tri = 0;        // 1: the user selects the solutions
    Parite parite = Parite::INDIFFERENTE;
    int z = 1;          // step between two admissible values: 1, or 2 under a parity
    ZZ Ma;              // bound on xn as entered, 0 = none
    ZZ M;               // bound on xn as applied (parity-adjusted), 0 = none
    ZZ L;               // display: K > 0 pause, 0 no pause, -1 stop, -K partial table

    int seq = 0;        // 1: a start sequence was asked for
    Vec<ZZ> x2;         // start values x2[1..s], as typed
    int s = 0;          // number of start values
    int seq2 = 0;       // 1: a stop sequence was asked for
    Vec<ZZ> x3;         // stop values x3[1..s2]
    int s2 = 0;         // number of stop values
};

}  // namespace fractions_unitaires::moteur
