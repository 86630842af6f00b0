// Type 2 enumeration (x1 < ... < xn): the step machine of type 1 with
// strict order, and solutions recognised as a closing progression.
#include "search/mots.h"
#include "search/recherche.h"

namespace {

int fin()
{
    i = -1;
    return 1;
}

// Fixes x[i+1] = r and goes one level deeper.
void pousse()
{
    x[i + 1] = r;
    i++;
    plu();
}

}  // namespace

int suite2()
{
    if (raccourcis && (w.actif || versMots()))
        return suite2Mot();
    r = maxi(i, D, N);
    if (i == -1)
        return 1;
    if (M != 0 && M * divis < divid)
        return arriere2();
    if (x[i] < r && reste != 0) {
        if (i < n - 1) {
            pousse();
            return 1;
        }
        return arriere2();
    }
    if (x[i] < r && reste == 0) {
        if (cas2 == 2 && i == n - 1) {
            x[n] = r;
            if (montre() == 0)
                return 1;
        } else if (cas2 == 1) {
            for (j = i + 1; j <= n; j++)
                x[j] = r + (j - i - 1) * z;
            if (montre() == 0)
                return 1;
            if (i < n - 1)
                pousse();
        } else {
            // n-i equal values would complete the sum: not a type 2
            // solution, so r is skipped.
            pousse();
        }
    }
    return arriere2();
}

int arriere2()
{
    if (i <= 0 || x[1] < minr[1])
        return fin();
    if (i == 1) {
        if (x[1] < minr[1] + z)
            return fin();
        moin();
        x[1] -= z;
        plu();
        return 1;
    }
    while (x[i] - z < minr[i]) {
        moin();
        i--;
        if (i <= 0 || x[1] < minr[1])
            return fin();
    }
    if (x[i] > x[i - 1] + z) {
        moin();
        x[i] -= z;
        plu();
        return 1;
    }
    // x[i] closes a chain of values spaced exactly z: lower its first.
    while (x[i - 1] == x[i] - z) {
        moin();
        i--;
        if (i <= 0 || x[1] < minr[1])
            return fin();
    }
    moin();
    x[i] -= z;
    plu();
    if (x[1] <= 0)
        return fin();
    return 1;
}
