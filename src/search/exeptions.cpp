// The special-case check: data that admit no solution, data that
// contradict the bound M, and the case of a single solution, settled
// before any search.
#include <iostream>

#include "search/recherche.h"

namespace {

// Sum of 1/(m0 + t*T0) for t in [debut, fin): numerator in nu, product of
// the denominators in de. Split in halves so that the products stay
// balanced: the cost is that of a few multiplications of the full size,
// not n multiplications of a growing number.
void somme(long debut, long fin, ZZ& nu, ZZ& de)
{
    if (fin - debut == 1) {
        nu = 1;
        de = m0 + debut * T0;
        return;
    }
    const long milieu = debut + (fin - debut) / 2;
    ZZ nu2, de2;
    somme(debut, milieu, nu, de);
    somme(milieu, fin, nu2, de2);
    nu = nu * de2 + nu2 * de;
    de *= de2;
}

// Pm0/Qm0 = 1/m0 + 1/(m0+T0) + ... + 1/(m0+(n-1)T0), in lowest terms.
void sommeMinimale()
{
    if (T0 == 0) {
        // n equal terms: n/m0, without building m0^n.
        Pm0 = n;
        Qm0 = m0;
    } else {
        somme(0, n, Pm0, Qm0);
    }
    // The tests below compare ratios and hold unreduced as well; past a
    // million bits the gcd would cost seconds, so the sum is left as it is.
    if (NumBits(Qm0) > 1000000)
        return;
    const ZZ d = GCD(Pm0, Qm0);
    Pm0 /= d;
    Qm0 /= d;
}

}  // namespace

int exeptions()
{
    if (parite == 1) {
        // n odd reciprocals sum, in lowest terms, to an odd denominator and
        // a numerator of the parity of n.
        if (!IsOdd(Q) || (n % 2 == 0 && IsOdd(P)) || (n % 2 == 1 && !IsOdd(P)))
            return 2;
    }
    if (Ma != 0 && P * Ma < Q * n) {
        std::cout << "\n \n \t Les donnees ne verifient pas les conditions requises :   P/Q >= n/M \n \n";
        return 2;
    }
    if (n == 1) {
        std::cout << "\n \t CAS TRIVIAL \n";
        return 1;
    }

    // The smallest candidate (m0, m0+T0, ...): x1 cannot lie below the
    // first stop value.
    m0 = (seq2 != 0 && s2 >= 1) ? x3[1] : ZZ(1);
    if ((parite == 1 && !IsOdd(m0)) || (parite == 2 && IsOdd(m0)))
        m0 += 1;
    T0 = (type == 2) ? (parite == 0 ? 1 : 2) : 0;
    sommeMinimale();

    if (P * Qm0 > Q * Pm0) {
        std::cout << " \n \t P/Q est trop grand. \n \n ";
        return 2;
    }
    if (Ma != 0 && m0 + (n - 1) * T0 > M) {
        std::cout << " \n \t  M est trop petit. \n \n ";
        return 2;
    }
    if (P * Qm0 == Q * Pm0 && (seq2 != 1 || x3[2] == 0)) {
        std::cout << "\n \n \t    Une seule solution : \n";
        std::cout << "\n \t \t \t " << 1 << "  :     ";
        for (a = 1; a <= n; a++)
            std::cout << m0 + (a - 1) * T0 << "\t \t";
        std::cout << std::endl << std::endl;
        return 2;
    }
    return 1;
}
