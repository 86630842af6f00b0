// The walking state of one search on one number type (ZZ, or the checked
// word Mot): the unknowns, the unreduced sum of their reciprocals and the
// smallest value of each, under their usual names; and the bounds of the
// next unknown.
#pragma once

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "nombres/mot.h"

namespace fractions_unitaires::moteur {

using NTL::Vec;

template <class T>
struct Etat {
    // The problem's numbers on T. On words a bound M above every word is 0:
    // it never binds there.
    T P, Q, M;
    // The first stop value (x3[1]), when the bounds may end the search on
    // it and it fits in T.
    bool x31 = false;
    T x3un;
    // The stop values x3[1..s2] on T; on words, one past them all is held
    // as the largest word, above every value of the search.
    Vec<T> arret;

    Vec<T> x;     // the unknowns x[1..n]; x[0] = 0
    int i = 0;    // depth: the last fixed unknown; -1 = search over
    T N, D;       // unreduced sum of 1/x[1..i]; D = x[1]...x[i]
    Vec<T> minr;  // minr[k]: smallest admissible value of xk
};

// The bounds of the next unknown x(k+1) after x[1..k], as maxi finds them.
// `fin`: the search is over, because nothing remains for the unknowns
// still open (`epuise`) or, under a bound and a stop sequence, nothing
// below the bound. Otherwise the largest value `haut`; whether the
// unknowns from it complete the sum at once (equal values, or in type 2
// the progression from it when cas2 is 1); and the two products whose
// comparison with M tells whether the bound cuts the walk.
template <class T>
struct Bornes {
    bool fin = false, epuise = false;
    T haut;
    bool complete = false;
    int cas2 = 0;   // type 2: 1 improved bound, 2 plain bound
    T divid, divis;  // Q Dk h and P Dk - Q Nk
};

}  // namespace fractions_unitaires::moteur
