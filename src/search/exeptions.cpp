// The special-case check: data that admit no solution, data that
// contradict the bound M, and the case of a single solution, settled
// before any search.
#include <iostream>

#include "search/recherche.h"

namespace {

// Pm0/Qm0 = 1/m0 + 1/(m0+T0) + ... + 1/(m0+(n-1)T0), in lowest terms.
void sommeMinimale()
{
    if (T0 == 0) {
        // n equal terms: the same fraction n/m0, without building m0^n.
        Pm0 = n;
        Qm0 = m0;
    } else {
        Pm0 = 1;
        Qm0 = m0;
        ZZ v;
        for (j = 1; j <= n - 1; j++) {
            v = m0 + j * T0;
            Pm0 = Pm0 * v + Qm0;
            Qm0 *= v;
        }
    }
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
