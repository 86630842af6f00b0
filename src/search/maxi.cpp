// Bounds of the next unknown: from the remainder R = P/Q - Nk/Dk, the
// smallest and largest admissible values of x[k+1] and the completion test.
#include "search/recherche.h"

namespace {

const long DIX_MILLIONS = 10000000;

// Whether rm to the power h exceeds ten million, without forming the power.
bool puissanceTropGrande(long h)
{
    if (rm <= 1)
        return false;
    ZZ p(1);
    for (long t = 0; t < h; t++) {
        p *= rm;
        if (p > DIX_MILLIONS)
            return true;
    }
    return false;
}

// reste = 0 exactly when h unknowns equal to r1 make up R.
void testSimple()
{
    reste = divid - r1 * divis;
}

// N1k/D1k = S(rm) = 1/rm + 1/(rm+z) + ... over the h open unknowns.
void progression(int k)
{
    N1k = 1;
    D1k = rm;
    ZZ c;
    for (j = k + 2; j <= n; j++) {
        c = rm + (j - k - 1) * z;
        N1k = N1k * c + D1k;
        D1k *= c;
    }
}

// Improved type 2 bound: the first start rm, rm+z, ... whose progression
// sum does not exceed R, slid one term at a time.
void bornePlus(int k, long h)
{
    r1 = rm;
    progression(k);
    d1 = N1k * qd - D1k * divis;
    const long pas = h * z;
    while (d1 > 0) {
        D0 = D1k / rm;
        N1k = ((rm + pas) * (N1k - D0)) / rm + D0;
        D1k = D0 * (rm + pas);
        rm += z;
        d1 = N1k * qd - D1k * divis;
    }
    r1 = rm;
    reste = (d1 == 0) ? 0 : 1;
}

}  // namespace

ZZ maxi(int k, ZZ Dk, ZZ Nk)
{
    y = 0;
    const long h = n - k;
    pd = P * Dk;
    qn = Q * Nk;
    qd = Q * Dk;
    divid = qd * h;
    divis = pd - qn;
    if (pd <= qn) {
        i = -1;
        return y;
    }

    // Smallest value: strictly above 1/R (1/R itself for the last unknown),
    // of the required parity.
    ZZ& bas = minr[k + 1];
    bas = qd / divis;
    const bool pair = !IsOdd(bas);
    const bool dernier = (k + 1 == n);
    if (parite == 0) {
        if (!dernier)
            bas += 1;
    } else if (parite == 1) {
        if (pair)
            bas += 1;
        else if (!dernier)
            bas += 2;
    } else {
        if (!pair)
            bas += 1;
        else if (!dernier)
            bas += 2;
    }

    // Largest value.
    if (type != 2) {
        r1 = divid / divis;
        testSimple();
    } else {
        rm = x[i] + z;
        if (rm < bas)
            rm = bas;
        if (puissanceTropGrande(h)) {
            cas2 = 2;
            r1 = divid / divis;
            testSimple();
        } else {
            cas2 = 1;
            if (i == n - 1) {
                r1 = divid / divis;
                testSimple();
            } else {
                bornePlus(k, h);
            }
        }
    }

    if (M != 0 && r1 > M) {
        r1 = M;
        testSimple();
    }

    if ((parite == 1 && !IsOdd(r1)) || (parite == 2 && IsOdd(r1))) {
        r1 -= 1;
        if (type == 2 && cas2 == 1) {
            rm = r1;
            progression(k);
            reste = N1k * qd - D1k * divis;
        } else {
            testSimple();
        }
    }

    // With a bound and a stop sequence: past x3[1], nothing is shown any more.
    if (seq2 == 1 && s2 >= 1 && M != 0) {
        const ZZ premier = (type == 2) ? x3[1] + (k - 1) * z : x3[1];
        if (x[k] == premier && M * divis < divid) {
            i = -1;
            return y;
        }
    }
    return r1;
}
