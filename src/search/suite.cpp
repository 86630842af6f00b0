// Type 1 enumeration (x1 <= ... <= xn) as a step machine: one forward or
// backtrack step per call, values of each unknown from the largest down.
#include "report/rapport.h"
#include "search/mots.h"
#include "search/recherche.h"

namespace {

// The search is over.
int fin()
{
    i = -1;
    return 1;
}

// Whether x[1..s2] lies lexicographically below the stop sequence.
void teststop()
{
    j = 1;
    stop = 0;
    while (x[j] <= x3[j] && j <= s2 && stop == 0) {
        if (x3[j] != x[j])
            stop = 1;
        else
            j++;
    }
}

}  // namespace

int montre()
{
    if (seq2 == 1) {
        teststop();
        if (stop == 1) {
            i = -1;
            return 0;
        }
    }
    affiche();
    if (L < -1)
        for (a = 1; a <= n; a++)
            x1[a] = x[a];
    return 1;
}

int suite()
{
    if (raccourcis && (w.actif || versMots()))
        return suiteMot();
    r = maxi(i, D, N);
    if (i == -1)
        return 1;
    if (M != 0 && M * divis < divid)
        return arriere();
    if (x[i] <= r && reste != 0 && i < n - 1) {
        x[i + 1] = r;
        i++;
        plu();
        return 1;
    }
    if (x[i] <= r && reste == 0) {
        for (j = i + 1; j <= n; j++)
            x[j] = r;
        if (montre() == 0)
            return 1;
        if (i < n - 1) {
            x[i + 1] = r;
            i++;
            plu();
        }
    }
    return arriere();
}

int arriere()
{
    if (i <= 0 || x[1] < minr[1])
        return fin();
    while (x[i] - z < minr[i]) {
        moin();
        i--;
        if (i <= 0 || x[1] < minr[1])
            return fin();
    }
    if (x[i] > x[i - 1]) {
        moin();
        x[i] -= z;
        plu();
        return 1;
    }
    // x[i] closes a run of equal values: lower the first of the run.
    e = x[i];
    while (x[i - 1] == e) {
        moin();
        i--;
        if (i <= 0 || e == z || x[1] < minr[1])
            return fin();
    }
    moin();
    x[i] = e - z;
    plu();
    if (x[1] <= 0)
        return fin();
    return 1;
}
