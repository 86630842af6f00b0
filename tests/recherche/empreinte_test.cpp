// The fingerprint's arithmetic modulo 2^61 - 1 at the edges of 128-bit
// words, against NTL, and its text, which files carry.
#include <gtest/gtest.h>

#include <random>

#include "recherche/empreinte.h"

using namespace fractions_unitaires::moteur;
using u128 = unsigned __int128;

TEST(Empreinte, ReductionAtTheEdgesAgreesWithNtl)
{
    const ZZ p(static_cast<long>(Empreinte::P));
    std::vector<ZZ> valeurs;
    for (long k : {0L, 1L, 31L, 61L, 62L, 63L, 64L, 122L, 127L, 128L})
        for (long d : {-2L, -1L, 0L, 1L})
            if ((ZZ(1) << k) + d >= 0 && NTL::NumBits((ZZ(1) << k) + d) <= 128)
                valeurs.push_back((ZZ(1) << k) + d);
    for (long m : {1L, 2L, 3L, 64L})
        for (long d : {-1L, 0L, 1L})
            valeurs.push_back(p * m + d);
    std::mt19937_64 alea(5);
    for (int t = 0; t < 200; t++)
        valeurs.push_back(NTL::conv<ZZ>(std::to_string(alea()).c_str()) << static_cast<long>(alea() % 65));
    for (const ZZ& v : valeurs) {
        u128 w = 0;
        for (long b = NTL::NumBits(v) - 1; b >= 0; b--)
            w = (w << 1) | static_cast<u128>(NTL::bit(v, b));
        const std::uint64_t attendu = NTL::conv<unsigned long>(v % p);
        EXPECT_EQ(Empreinte::reduit(w), attendu) << v;
        EXPECT_EQ(Empreinte::reduit(v), attendu) << v;
        EXPECT_EQ(Empreinte::produit(Empreinte::reduit(w), Empreinte::P - 1),
                  NTL::conv<unsigned long>(v * (p - 1) % p))
            << v;
        EXPECT_LT(Empreinte::melange(Empreinte::reduit(w)), Empreinte::P);
    }
}

TEST(Empreinte, TextIsSixteenLowercaseDigitsBelowThePrime)
{
    Vec<ZZ> x;
    x.SetLength(4);
    x[1] = 2;
    x[2] = 3;
    x[3] = 6;
    Empreinte e, lue;
    e.ajoute(x, 3);
    ASSERT_TRUE(Empreinte::lit(e.texte(), lue));
    EXPECT_EQ(lue, e);
    EXPECT_TRUE(Empreinte::lit("1ffffffffffffffe", lue));
    for (const char* mauvais : {"1fffffffffffffff", "ffffffffffffffff", "0123456789ABCDEF", "0123456789abcde",
                                "0123456789abcdef0", "0123456789abcdeg", ""})
        EXPECT_FALSE(Empreinte::lit(mauvais, lue)) << mauvais;
}
