// The walking state of one search on one number type (ZZ, or the checked
// word Mot): the unknowns, the unreduced sum of their reciprocals, the
// bounds of the next unknown and the working values of the step machine,
// under their usual names.
#pragma once

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "search/mot.h"

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
    T r;          // largest admissible value of the next unknown
    T r1, reste, divid, divis, pd, qn, qd, y, rm, d1, D0, N1k, D1k;
    int cas2 = 0;  // type 2: 1 improved bound, 2 plain bound
    T e;           // value of a run of equal unknowns (type 1 backtrack)
    int stop = 0;  // 1: the solution lies below the stop sequence
    int j = 0;     // loop index
};
