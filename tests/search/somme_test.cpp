// The unreduced sum of reciprocals: adding and removing a term are exact
// inverses at every depth.
#include <gtest/gtest.h>

#include "outils.h"

namespace {

void fixe(long v)
{
    x[i + 1] = v;
    i++;
    plu();
}

void libere()
{
    moin();
    i--;
}

}  // namespace

TEST(Somme, AddsAndRemovesTerms)
{
    prepare(1, 4, 1, 1);
    fixe(2);
    EXPECT_EQ(N, 1);
    EXPECT_EQ(D, 2);
    fixe(3);
    EXPECT_EQ(N, 5);
    EXPECT_EQ(D, 6);
    libere();
    EXPECT_EQ(N, 1);
    EXPECT_EQ(D, 2);
    libere();
    EXPECT_EQ(N, 0);
    EXPECT_EQ(D, 1);
}

TEST(Somme, EqualUnknownsStayUnreduced)
{
    prepare(1, 3, 1, 1);
    fixe(4);
    fixe(4);
    EXPECT_EQ(N, 8);
    EXPECT_EQ(D, 16);
}

TEST(Somme, RemovingTheOnlyTermGivesTheEmptySum)
{
    prepare(1, 3, 1, 1);
    fixe(7);
    x[1] = 12345;  // whatever x[1] holds now
    libere();
    EXPECT_EQ(N, 0);
    EXPECT_EQ(D, 1);
}

TEST(Somme, RoundTripsAtEveryDepth)
{
    const long valeurs[] = {3, 3, 7, 10, 10, 10, 99991, 1234567891011, 2};
    const int profondeur = sizeof valeurs / sizeof valeurs[0];
    prepare(1, profondeur + 1, 1, 1);
    for (int k = 1; k <= profondeur; k++) {
        for (int t = 0; t < k; t++)
            fixe(valeurs[t]);
        // D is the product of the fixed unknowns.
        ZZ produit(1);
        for (int t = 0; t < k; t++)
            produit *= valeurs[t];
        EXPECT_EQ(D, produit);
        for (int t = 0; t < k; t++)
            libere();
        EXPECT_EQ(N, 0) << "depth " << k;
        EXPECT_EQ(D, 1) << "depth " << k;
    }
}
