// The special-case check: data that admit no solution, data that
// contradict the bound M, and the case of a single solution, settled
// before any search.
#include "search/recherche.h"

namespace {

// Sum of 1/(m0 + t*T0) for t in [debut, fin): numerator in nu, product of
// the denominators in de. Split in halves so that the products stay
// balanced: the cost is that of a few multiplications of the full size,
// not n multiplications of a growing number.
void somme(const ZZ& m0, int T0, long debut, long fin, ZZ& nu, ZZ& de)
{
    if (fin - debut == 1) {
        nu = 1;
        de = m0 + debut * T0;
        return;
    }
    const long milieu = debut + (fin - debut) / 2;
    ZZ nu2, de2;
    somme(m0, T0, debut, milieu, nu, de);
    somme(m0, T0, milieu, fin, nu2, de2);
    nu = nu * de2 + nu2 * de;
    de *= de2;
}

}  // namespace

int Recherche::exeptions()
{
    const ZZ& P = pb.P;
    const ZZ& Q = pb.Q;
    const int n = pb.n;
    if (pb.parite == 1) {
        // n odd reciprocals sum, in lowest terms, to an odd denominator and
        // a numerator of the parity of n.
        if (!IsOdd(Q) || (n % 2 == 0 && IsOdd(P)) || (n % 2 == 1 && !IsOdd(P))) {
            sortie->verdict(Verdict::IMPAIRS, *this);
            return 2;
        }
    }
    if (pb.Ma != 0 && P * pb.Ma < Q * n) {
        sortie->verdict(Verdict::CONDITIONS, *this);
        return 2;
    }
    if (n == 1) {
        sortie->verdict(Verdict::TRIVIAL, *this);
        return 1;
    }

    // The smallest candidate (m0, m0+T0, ...): x1 cannot lie below the
    // first stop value.
    m0 = (pb.seq2 != 0 && pb.s2 >= 1) ? pb.x3[1] : ZZ(1);
    if ((pb.parite == 1 && !IsOdd(m0)) || (pb.parite == 2 && IsOdd(m0)))
        m0 += 1;
    T0 = (pb.type == 2) ? (pb.parite == 0 ? 1 : 2) : 0;
    if (T0 == 0) {
        // n equal terms: n/m0, without building m0^n.
        Pm0_ = n;
        Qm0_ = m0;
    } else {
        somme(m0, T0, 0, n, Pm0_, Qm0_);
    }
    // The tests below compare ratios and hold unreduced as well; past a
    // million bits the gcd would cost seconds, so the sum is left as it is.
    if (NTL::NumBits(Qm0_) <= 1000000) {
        const ZZ d = GCD(Pm0_, Qm0_);
        Pm0_ /= d;
        Qm0_ /= d;
    }

    if (P * Qm0_ > Q * Pm0_) {
        sortie->verdict(Verdict::TROP_GRAND, *this);
        return 2;
    }
    if (pb.Ma != 0 && m0 + (n - 1) * T0 > pb.M) {
        sortie->verdict(Verdict::M_PETIT, *this);
        return 2;
    }
    if (P * Qm0_ == Q * Pm0_ && (pb.seq2 != 1 || pb.x3[2] == 0)) {
        sortie->verdict(Verdict::UNIQUE, *this);
        return 2;
    }
    return 1;
}
