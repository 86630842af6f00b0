// The arithmetic under the shortcuts, at the edges: checked words around
// 2^63, 2^64 and 2^127, the factorisation of 64-bit numbers, the sieve
// windows, and the divisors of d^2 in a residue class against a plain
// listing of all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <numeric>
#include <random>
#include <vector>

#include "nombres/diviseurs.h"
#include "nombres/division.h"
#include "nombres/facteurs.h"
#include "nombres/mot.h"

using namespace fractions_unitaires::moteur;

namespace {

ZZ deux(long k) { return ZZ(1) << k; }

// The numbers near each edge.
std::vector<ZZ> bords()
{
    std::vector<ZZ> v;
    for (long k : {0L, 31L, 62L, 63L, 64L, 120L, 126L})
        for (long d : {-1L, 0L, 1L})
            if (deux(k) + d >= 0)
                v.push_back(deux(k) + d);
    v.push_back(deux(127) - 1);
    return v;
}

u128 produit(const Facteurs& f)
{
    u128 p = 1;
    for (int k = 0; k < f.nb; k++)
        for (int e = 0; e < f.e[k]; e++)
            p *= f.p[k];
    return p;
}

}  // namespace

// Checked words against ZZ, operands drawn toward the extremes (0, 1,
// powers of two and their neighbours, all ones, random lengths, both
// signs): every result that fits in 127 bits is ZZ's, and every other
// throws.
TEST(Mots, RandomOperandsAtTheExtremesAgreeWithZZ)
{
    std::mt19937_64 alea(127);
    auto tire = [&]() {
        ZZ v;
        const int bits = static_cast<int>(alea() % 128);
        switch (alea() % 5) {
        case 0: v = static_cast<long>(alea() % 3); break;
        case 1: v = deux(bits) + static_cast<long>(alea() % 5) - 2; break;
        case 2: v = deux(bits) - 1; break;
        default: v = NTL::RandomBits_ZZ(bits); break;
        }
        if (NTL::NumBits(v) > 127)
            v = deux(127) - 1;
        return alea() % 2 ? v : ZZ(-v);
    };
    // A word holds -2^127 .. 2^127 - 1.
    auto verifie = [](const ZZ& attendu, auto&& calcul) {
        if (attendu >= -deux(127) && attendu < deux(127)) {
            EXPECT_EQ(enZZ(calcul()), attendu);
        } else {
            EXPECT_THROW(calcul(), Debordement) << attendu;
        }
    };
    for (int t = 0; t < 200000; t++) {
        const ZZ a = tire(), b = tire();
        const Mot x = enMot(a), y = enMot(b);
        verifie(a + b, [&] { return x + y; });
        verifie(a - b, [&] { return x - y; });
        verifie(a * b, [&] { return x * y; });
        verifie(-a, [&] { return -x; });
        if (a >= 0 && b > 0) {
            EXPECT_EQ(enZZ(x / y), a / b);
        }
        if (a >= 0 && b > 0) {
            EXPECT_EQ(produitInferieur(x, y, enMot(deux(127) - 1)), a * b < deux(127) - 1);
        }
        EXPECT_EQ(x < y, a < b);
        EXPECT_EQ(compare(x, b), NTL::compare(a, b));
    }
}

TEST(Mots, ConversionsAndOverflowAtTheEdges)
{
    for (const ZZ& v : bords()) {
        EXPECT_EQ(enZZ(enMot(v)), v);
        EXPECT_EQ(enZZ(enMot(-v)), -v);
    }
    const Mot max = enMot(deux(127) - 1);
    EXPECT_THROW(max + Mot(1), Debordement);
    EXPECT_THROW(-max - Mot(2), Debordement);
    EXPECT_THROW(-(-max - Mot(1)), Debordement);  // -2^127 has no opposite
    EXPECT_EQ(enZZ(enMot(deux(63)) * enMot(deux(63) - 1)), deux(63) * (deux(63) - 1));
    EXPECT_THROW(enMot(deux(64)) * enMot(deux(63)), Debordement);
    EXPECT_EQ(enZZ(enMot(deux(126)) / enMot(deux(64) + 1)), deux(126) / (deux(64) + 1));
    EXPECT_EQ(enZZ(enMot(deux(64) - 1) / Mot(3)), (deux(64) - 1) / 3);
    // a*b < c, the product past 2^127.
    EXPECT_FALSE(produitInferieur(enMot(deux(100)), enMot(deux(100)), max));
    EXPECT_TRUE(produitInferieur(enMot(deux(63)), Mot(2), max));
    EXPECT_EQ(compare(enMot(deux(126)), deux(200)), -1);
    EXPECT_EQ(compare(enMot(deux(126)), deux(126)), 0);
}

// Numbers up to 125 bits: primes, prime powers, products of a large prime
// and small ones, of two primes of 32 to 62 bits (Pollard's rho on words
// and on ZZ), pseudoprimes.
TEST(Facteurs, NumbersUpTo125Bits)
{
    std::int64_t rho = 0;
    const u128 cas[] = {1, 2, 1031ull * 1031, 2147483647, (u64(1) << 61) - 1, u64(1) << 63,
                        4294967291ull * 4294967279ull, 18446744073709551557ull, 3215031751ull,
                        1000000007ull * 998244353ull, 18446744073709551615ull, 600851475143ull,
                        u128(1) << 64, u128(10000000000ull) * 10000000000ull, (u128(1) << 124) + 1,
                        u128(18446744073709551557ull) * 1000003, u128(4294967291ull) * 4294967279ull * 999983,
                        u128(2305843009213693951ull) * 16777213, (u128(1) << 125) - (u128(1) << 60) + 1};
    for (u128 v : cas) {
        Facteurs f;
        ASSERT_TRUE(factorise(v, f, rho)) << static_cast<double>(v);
        EXPECT_TRUE(produit(f) == v) << static_cast<double>(v);
        for (int k = 0; k < f.nb; k++) {
            if ((f.p[k] >> 64) == 0) {
                EXPECT_TRUE(estPremier(static_cast<u64>(f.p[k]))) << static_cast<double>(v);
            }
            EXPECT_TRUE(k == 0 || f.p[k - 1] < f.p[k]);
        }
    }
    EXPECT_GT(rho, 0);
    // Two primes of 62 bits: past the budget of Pollard's rho.
    Facteurs f;
    EXPECT_FALSE(factorise(u128(4611686018427387847ull) * 4611686018427387817ull, f, rho));
    EXPECT_FALSE(estPremier(3215031751ull));  // a strong pseudoprime to 2, 3, 5 and 7
    EXPECT_TRUE(estPremier(18446744073709551557ull));
}

// The square root the sieve relies on, at its edges.
TEST(Facteurs, SquareRootsNearTwoToThe52And64)
{
    for (u64 r : {u64(1) << 26, (u64(1) << 26) + 1, u64(4294967295), u64(4294967294), u64(3037000499)})
        for (u64 d : {u64(0), u64(1)}) {
            const u64 carre = r * r;
            EXPECT_EQ(racine(carre), r);
            EXPECT_EQ(racine(carre - d - 1), r - 1);
            if (r < 4294967295u) {
                EXPECT_EQ(racine(carre + 2 * r - d), r);
            }
        }
    EXPECT_EQ(racine(~u64(0)), 4294967295u);
    EXPECT_EQ(racine((u64(1) << 52) - 1), (u64(1) << 26) - 1);
}

// Windows one below the other (steps of 1), then each away from the last
// (steps longer than a window); squares and cubes of primes on each side
// of the small ones, whose powers are sieved.
TEST(Facteurs, SieveWindowsAgreeWithSingleValues)
{
    std::int64_t rho = 0;
    Crible crible(64);
    const u64 hauts[] = {20000, u64(251) * 251 * 4 + 150, u64(257) * 257 * 1000 + 150, u64(10007) * 10007 * 10007 + 150,
                         u64(1000003) * 1000003 + 150, u64(1) << 31, (u64(1) << 40) + 7, (u64(1) << 52) - 1};
    for (u64 haut : hauts)
        for (u64 pas : {1, 70}) {
            const u64 bas = haut - 200 * pas;
            for (u64 v = haut; v > bas; v -= pas) {
                Facteurs a, b;
                crible.facteurs(v, bas, a);
                factorise(v, b, rho);
                ASSERT_EQ(a.nb, b.nb) << v;
                for (int k = 0; k < a.nb; k++) {
                    EXPECT_TRUE(a.p[k] == b.p[k]) << v;
                    EXPECT_EQ(a.e[k], b.e[k]) << v;
                }
            }
        }
}

// Every divisor of d^2 with A = -d (mod c) between lo and hi, as the listing
// finds them and as a plain walk over all divisors does.
// Exact division against the % and / of 128-bit words: divisors at the
// edges (odd and even, below and past the table of inverses, 2^64 and
// 2^127), multiples of them and their neighbours.
TEST(Division, AgreesWithPlainDivisionAtTheEdges)
{
    std::mt19937_64 alea(128);
    std::vector<u128> diviseurs{1, 2, 3, 1021, 1023, 1024, 1025, 1027};
    for (int k : {31, 32, 63, 64, 65, 100, 126, 127})
        for (int e : {-1, 0, 1})
            diviseurs.push_back((u128(1) << k) + e);
    diviseurs.push_back(~u128(0));
    for (int t = 0; t < 40; t++)
        diviseurs.push_back(((u128(alea()) << 64 | alea()) >> (alea() % 128)) | 1);
    for (const u128 c : diviseurs) {
        const DivisionExacte parC(c);
        for (int t = 0; t < 20; t++) {
            // Quotients of every size, halved until q c fits.
            u128 q = (u128(alea()) << 64 | alea()) >> (alea() % 128), m;
            while (__builtin_mul_overflow(q, c, &m))
                q >>= 1;
            EXPECT_EQ(parC(m), q);
            for (const u128 voisin : {m, m + 1, m - 1, m + c / 2}) {
                u128 v = voisin;
                const bool divise = parC.divise(v);
                ASSERT_EQ(divise, voisin % c == 0);
                EXPECT_EQ(v, divise ? voisin / c : voisin);
            }
        }
    }
}

TEST(Diviseurs, MatchAPlainListingForModuliOfEverySize)
{
    std::mt19937_64 alea(7);
    std::int64_t rho = 0;
    Diviseurs diviseurs;
    const u64 petits[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43};
    int listes = 0, milieu = 0, directs = 0;
    for (int t = 0; t < 500; t++) {
        // d: small primes, sometimes a large one, many divisors at times.
        u128 d = 1;
        const int nb = 1 + static_cast<int>(alea() % (t % 10 == 0 ? 12 : 6));
        for (int k = 0; k < nb && d < (u128(1) << 44); k++)
            d *= petits[alea() % 14];
        if (alea() % 3 == 0)
            d *= 1000003;
        if (t % 20 == 10)
            d = 7420738134810;  // the first 12 primes
        Facteurs f;
        factorise(static_cast<u64>(d), f, rho);
        // c coprime to d, of every size the residues are computed at.
        // Many primes and c of 17 bits: fewer residues than c, but more
        // pairs, matched by a hashed table.
        const int bits[] = {2, 5, 20, 26, 31, 33, 45, 49, 51, 61};
        const int bitsC = t % 20 == 10 ? 17 : bits[t % 10];
        u64 c = (alea() >> (64 - bitsC)) | 1;
        while (std::gcd(static_cast<u64>(d % c), c) != 1)
            c += 2;
        // Half the time c divides A + d for a divisor A of d^2, so that a
        // large c has a match too: c made of the primes of A + d that are
        // not d's, up to its size.
        if (t % 2 == 1) {
            u128 A = 1;
            for (int k = 0; k < f.nb; k++)
                for (int e = static_cast<int>(alea() % (2 * f.e[k] + 1)); e > 0 && A <= d / f.p[k]; e--)
                    A *= f.p[k];
            Facteurs fm;
            ASSERT_TRUE(factorise(A + d, fm, rho));
            c = 1;
            for (int k = 0; k < fm.nb; k++)
                for (int e = 0; e < fm.e[k] && d % fm.p[k] != 0 && (c * fm.p[k]) >> bitsC == 0; e++)
                    c *= static_cast<u64>(fm.p[k]);
        }
        // Mostly up to d, as the closing asks; at times past it.
        const u128 hi = t % 4 == 3 ? d + alea() % static_cast<u64>(d) : d, lo = 1 + static_cast<u128>(alea() % 3 == 0 ? alea() % static_cast<u64>(d) : 0);
        std::vector<u128> trouves;
        (diviseurs.liste(f, d, c, lo, hi, trouves) == Diviseurs::Methode::MILIEU ? milieu : directs)++;
        // The plain walk: every divisor of d^2 from its exponents.
        std::vector<u128> attendus{1};
        for (int k = 0; k < f.nb; k++) {
            const std::size_t avant = attendus.size();
            for (std::size_t s = 0; s < avant; s++) {
                u128 v = attendus[s];
                for (int e = 0; e < 2 * f.e[k]; e++)
                    attendus.push_back(v *= f.p[k]);
            }
        }
        const u64 cible = static_cast<u64>((c - d % c) % c);
        attendus.erase(std::remove_if(attendus.begin(), attendus.end(),
                                      [&](u128 A) { return A < lo || A > hi || A % c != cible; }),
                       attendus.end());
        std::sort(trouves.begin(), trouves.end());
        std::sort(attendus.begin(), attendus.end());
        ASSERT_TRUE(trouves == attendus) << "t = " << t << ", c = " << c;
        listes += !trouves.empty();
    }
    EXPECT_GT(milieu, 50);
    EXPECT_GT(directs, 50);
    EXPECT_GT(listes, 40);
}

// Residues of a c just below 2^50, on doubles, are off by c in one product
// in a hundred under a rounding mode other than to nearest: a caller's mode
// must not change the listing. d = A (c j - 1) puts A, a divisor of d^2,
// in the class of -d.
TEST(Diviseurs, TheCallersRoundingModeDoesNotChangeTheListing)
{
    std::mt19937_64 alea(11);
    std::int64_t rho = 0;
    Diviseurs diviseurs;
    const u64 petits[] = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29};
    for (int t = 0; t < 400; t++) {
        u64 c = (alea() >> 14) | (u64(1) << 49) | 1;
        while (std::gcd(c, u64(6469693230)) != 1)  // the primes above
            c += 2;
        u128 A = 1;
        for (u64 p : petits)
            for (int e = static_cast<int>(alea() % 3); e > 0; e--)
                A *= p;
        const u128 d = A * (static_cast<u128>(c) * (1 + alea() % 1000) - 1);
        Facteurs f;
        ASSERT_TRUE(factorise(d, f, rho));
        std::vector<u128> partout[3];
        const int modes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD};
        for (int m = 0; m < 3; m++) {
            std::fesetround(modes[m]);
            diviseurs.liste(f, d, c, 1, d, partout[m]);
            std::fesetround(FE_TONEAREST);
            std::sort(partout[m].begin(), partout[m].end());
        }
        ASSERT_TRUE(std::binary_search(partout[0].begin(), partout[0].end(), A)) << "c = " << c;
        ASSERT_EQ(partout[1], partout[0]) << "c = " << c;
        ASSERT_EQ(partout[2], partout[0]) << "c = " << c;
    }
}
