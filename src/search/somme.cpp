// The sum N/D of the reciprocals of the fixed unknowns, kept unreduced so
// that removing a term is the exact inverse of adding it.
#include "search/recherche.h"

void plu()
{
    N = x[i] * N + D;
    D *= x[i];
}

void moin()
{
    if (i < 2) {
        N = 0;
        D = 1;
        return;
    }
    D /= x[i];
    N = (N - D) / x[i];
}
