// The special-case check: data that admit no solution, data that
// contradict the bound M, and the case of a single solution, settled
// before any search.
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

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

Issue Recherche::exeptions()
{
    const ZZ& P = pb.P;
    const ZZ& Q = pb.Q;
    const int n = pb.n;
    if (pb.parite == Parite::IMPAIRE) {
        // n odd reciprocals sum, in lowest terms, to an odd denominator and
        // a numerator of the parity of n.
        if (!IsOdd(Q) || (n % 2 == 0 && IsOdd(P)) || (n % 2 == 1 && !IsOdd(P))) {
            sortie->verdict(Verdict::IMPAIRS, {});
            return Issue::REGLE;
        }
    }
    if (pb.Ma != 0 && P * pb.Ma < Q * n) {
        sortie->verdict(Verdict::CONDITIONS, {});
        return Issue::REGLE;
    }
    if (n == 1) {
        sortie->verdict(Verdict::TRIVIAL, {});
        return Issue::RECHERCHE;
    }

    // The smallest candidate (m0, m0+T0, ...): x1 cannot lie below the
    // first stop value.
    ZZ m0 = (pb.seq2 != 0 && pb.s2 >= 1) ? pb.x3[1] : ZZ(1);
    if (!convient(pb.parite, m0))
        m0 += 1;
    const int T0 = (pb.type == 2) ? (pb.parite == Parite::INDIFFERENTE ? 1 : 2) : 0;
    ZZ Pm0, Qm0;
    if (T0 == 0) {
        // n equal terms: n/m0, without building m0^n.
        Pm0 = n;
        Qm0 = m0;
    } else {
        somme(m0, T0, 0, n, Pm0, Qm0);
    }
    // The tests below compare ratios and hold unreduced as well; past a
    // million bits the gcd would cost seconds, so the sum is left as it is.
    if (NTL::NumBits(Qm0) <= 1000000) {
        const ZZ d = GCD(Pm0, Qm0);
        Pm0 /= d;
        Qm0 /= d;
    }

    if (P * Qm0 > Q * Pm0) {
        sortie->verdict(Verdict::TROP_GRAND, {});
        return Issue::REGLE;
    }
    if (pb.Ma != 0 && m0 + (n - 1) * T0 > pb.M) {
        sortie->verdict(Verdict::M_PETIT, {});
        return Issue::REGLE;
    }
    if (P * Qm0 == Q * Pm0 && (pb.seq2 != 1 || pb.x3[2] == 0)) {
        Vec<ZZ> x;
        x.SetLength(n + 1);
        for (int a = 1; a <= n; a++)
            x[a] = m0 + (a - 1) * T0;
        sortie->verdict(Verdict::UNIQUE, x);
        return Issue::REGLE;
    }
    return Issue::RECHERCHE;
}

}  // namespace fractions_unitaires::moteur
