// The stop sequence against a position of the search. Solutions come in
// decreasing order: once the first values placed lie below the stop
// sequence, nothing more can be shown and the search ends; a prefix that
// keeps every completion at or above it has its solutions counted as if
// there were none.
#pragma once

#include <algorithm>

namespace fractions_unitaires::moteur {

// The sign of x[1..k] - arret[1..k], in lexicographic order.
template <class V>
int compareArret(const V& x, const V& arret, int k)
{
    for (int j = 1; j <= k; j++) {
        if (x[j] < arret[j])
            return -1;
        if (arret[j] < x[j])
            return 1;
    }
    return 0;
}

// Whether the first i values lie below the stop sequence of s2 values.
template <class V>
bool sousArret(const V& x, const V& arret, int i, int s2)
{
    return i >= 1 && s2 >= 1 && compareArret(x, arret, std::min(i, s2)) < 0;
}

// Whether every solution that begins with x[1..k] lies at or above it.
template <class V>
bool audessusArret(const V& x, const V& arret, int k, int s2)
{
    const int signe = compareArret(x, arret, std::min(k, s2));
    return signe > 0 || (signe == 0 && s2 <= k);
}

}  // namespace fractions_unitaires::moteur
