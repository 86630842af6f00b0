// The estimate against exact counts: heavy tails (the last unknowns of a
// greedy path, whose solutions gather in a few values), whole problems,
// counts it can only bound, and counts it must simply do.
#include <gtest/gtest.h>

#include <sstream>

#include "moteur/comptage.h"
#include "moteur/estimation.h"

using namespace fractions_unitaires::moteur;

namespace {

Enonce demande(int n, long p, const char* q, int type = 1)
{
    Enonce d;
    d.n = n;
    d.P = p;
    d.Q = NTL::conv<ZZ>(q);
    d.type = type;
    return d;
}

// The 95 % interval holds the count, and its centre is within 15 % of it
// (and so of the count of type 2, deux, when both are estimated).
void tient(const Enonce& d, double exact, double deux = 0)
{
    const Estimation e = estime(d, tailleUnite(d));
    std::ostringstream nom;
    nom << d.n << " 1/" << d.Q << " type " << (d.lesDeux ? "both" : std::to_string(d.type));
    for (const auto& [g, compte] : {std::pair{&e.solutions, exact}, {&e.distinctes, deux}}) {
        if (compte == 0)
            continue;
        EXPECT_LE(g->bas, compte) << nom.str();
        EXPECT_GE(g->haut, compte) << nom.str();
        EXPECT_NEAR(g->valeur / compte, 1, 0.15) << nom.str();
    }
}

Enonce lesDeux(Enonce d)
{
    d.lesDeux = true;
    return d;
}

}  // namespace

TEST(Estimation, HeavyTailsAndWholeCountsAgreeWithExactCounts)
{
    // The last unknowns under (2, 3, 7, 43, 1807) and (2, 3, 7, 43), with
    // the counts of n = 8 below them.
    tient(lesDeux(demande(3, 1, "3263442")), 1577340, 1576368);
    tient(demande(3, 1, "3263442", 2), 1576368);
    // Under the sanitizers, where it costs a minute, the tails alone.
#ifndef ESSAIS_LEGERS
    tient(demande(4, 1, "1806"), 19429248);
#endif
}

// Counts of one prefix are exact; numbers past what can be counted, or
// paths past what can be followed, leave what they hide unknown.
TEST(Estimation, SmallCountsExactAndTheRestUnknown)
{
    // Trees smaller than what an estimate would draw are counted: the
    // solutions of 1 in 7 terms, and a tail of 1/1806 in three.
    for (const auto& [d, exact] : {std::pair{demande(2, 1, "6"), 5.0}, {demande(1, 1, "7"), 1.0},
                                   {demande(2, 1, "1"), 1.0}, {demande(2, 1, "1000000000000"), 313.0},
                                   {demande(7, 1, "1"), 294314.0}, {demande(3, 1, "1806", 2), 11040.0}}) {
        const Estimation e = estime(d, 1);
        EXPECT_EQ(e.solutions.valeur, exact);
        EXPECT_EQ(e.solutions.bas, exact);
        EXPECT_EQ(e.solutions.haut, exact);
    }
    const Estimation deux = estime(lesDeux(demande(7, 1, "1")), 1);
    EXPECT_EQ(deux.solutions.valeur, 294314.0);
    EXPECT_EQ(deux.distinctes.valeur, 245765.0);
    const Estimation large = estime(demande(3, 1, "18446744073709551616"), 1);
    EXPECT_NEAR(large.prefixes.valeur, 2 * 18446744073709551616.0, 1e6);
    EXPECT_FALSE(large.solutions.connue());
    const Estimation coupe = estime(demande(600, 1, "1"), 1);
    EXPECT_GT(coupe.coupes, 0);
    EXPECT_LE(coupe.coupes, coupe.sondes);
    EXPECT_FALSE(coupe.solutions.connue());
    EXPECT_TRUE(!coupe.prefixes.connue() || (coupe.prefixes.auMoins && coupe.prefixes.valeur > 0));
}
