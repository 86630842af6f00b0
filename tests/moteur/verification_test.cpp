// The recount of units against the fast count: a fault planted in the
// fast closing changes the fingerprint and is found in every unit it
// touched, and in no other; a sound count is recounted alike.
#include <gtest/gtest.h>

#include "moteur/comptage.h"
#include "moteur/verification.h"

using namespace fractions_unitaires::moteur;

TEST(Verification, FindsAPlantedFaultAndOnlyIt)
{
    for (bool lesDeux : {false, true}) {
        Enonce e;
        e.n = 6;
        e.P = 1;
        e.Q = 1;
        e.lesDeux = lesDeux;
        Options o;
        o.travailleurs = 2;
        o.unite = 40;
        const Total sain = compte(e, o);
        Options faute = o;
        faute.fauteTest = 12;  // the last pair of each prefix with x4 = 12
        const Total faux = compte(e, faute);
        ASSERT_GT(sain.unites, 20);
        ASSERT_LT(faux.nombre, sain.nombre);
        EXPECT_NE(faux.empreinte, sain.empreinte);

        const std::int64_t toutes = sain.unites;
        const Verification bon = recompte(e, o, sain, toutes, 1);
        EXPECT_EQ(bon.unites, sain.unites);
        EXPECT_TRUE(bon.ecarts.empty());

        const Verification v = recompte(e, o, faux, toutes, 1);
        ASSERT_FALSE(v.ecarts.empty());
        ZZ perdues(0);
        for (const Ecart& c : v.ecarts) {
            EXPECT_EQ(c.recompte, sain.releveDe(c.unite)) << "unit " << c.unite;
            EXPECT_EQ(c.rapide, faux.releveDe(c.unite)) << "unit " << c.unite;
            perdues += c.recompte.nombre[0] - c.rapide.nombre[0];
        }
        EXPECT_EQ(perdues, sain.nombre - faux.nombre);

        // A few units drawn: the same seed draws the same ones, and they
        // are of the count.
        const Verification a = recompte(e, o, faux, 5, 42), b = recompte(e, o, faux, 5, 42);
        EXPECT_EQ(a.unites, 5);
        EXPECT_EQ(a.solutions, b.solutions);
        EXPECT_EQ(a.ecarts.size(), b.ecarts.size());
    }
}

// A shard's result is recounted on its own units only.
TEST(Verification, RecountsTheUnitsOfItsShard)
{
    Enonce e;
    e.n = 5;
    e.P = 2;
    e.Q = 3;
    e.tranche = 2;
    e.tranches = 3;
    Options o;
    o.unite = 20;
    o.fauteTest = 9;
    const Total t = compte(e, o);
    o.fauteTest = 0;
    const Verification v = recompte(e, o, t, t.unites, 7);
    EXPECT_EQ(v.unites, (t.unites + 1) / 3);
    for (const Ecart& c : v.ecarts)
        EXPECT_EQ(c.unite % 3, 1);
    EXPECT_FALSE(v.ecarts.empty());
}
