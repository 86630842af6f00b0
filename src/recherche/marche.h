// The walk of one unknown: from a value, the backtrack lowers x_k by z while
// it stays at least z above its smallest value and above the unknown
// before it (by more than z in type 2); the last value it reaches ends the
// walk. Shared by every shortcut that skips or counts a walk.
#pragma once

#include "recherche/probleme.h"

namespace fractions_unitaires::moteur {

// The last value of the walk of x_k from `haut`, x[1..k-1] and minr[k]
// given (as ZZ or as words).
template <class V, class T>
T finDeMarche(const Probleme& pb, const V& x, const V& minr, int k, const T& haut)
{
    const int z = pb.z;
    T seuil = minr[k] + z;
    // A first unknown of type 2 is only held by its smallest value.
    if (!(pb.type == 2 && k == 1)) {
        const T avant = x[k - 1] + ((pb.type == 2 ? z : 0) + 1);
        if (avant > seuil)
            seuil = avant;
    }
    if (haut < seuil)
        return haut;
    return haut - T(z) * ((haut - seuil) / T(z) + 1);
}

}  // namespace fractions_unitaires::moteur
