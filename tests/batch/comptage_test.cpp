// The batch counter against the interactive program: random problems give
// the same count, largest xn and smallest x1; shards add up to the whole.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "../outils.h"
#include "batch/comptage.h"

namespace {

// What the interactive summary says: the count, the largest xn and the
// smallest x1 (0 and "" without a solution).
struct Resume {
    long solutions = -1;
    std::string xn, x1;
};

Resume resume(const std::string& sortie)
{
    Resume r;
    r.solutions = admet(sortie);
    const auto xn = sortie.find("  est la plus grande valeur prise par xn");
    const auto prenant = sortie.find("  et prenant   ");
    if (xn != std::string::npos)
        r.xn = sortie.substr(sortie.rfind("  ", xn - 1) + 2, xn - sortie.rfind("  ", xn - 1) - 2);
    else if (prenant != std::string::npos)
        r.xn = sortie.substr(prenant + 15, sortie.find("  pour", prenant) - prenant - 15);
    const auto x1 = sortie.find("  est la plus petite valeur prise par x1");
    if (x1 != std::string::npos)
        r.x1 = sortie.substr(sortie.rfind("  ", x1 - 1) + 2, x1 - sortie.rfind("  ", x1 - 1) - 2);
    return r;
}

std::string texte(const ZZ& v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

}  // namespace

TEST(Comptage, RandomProblemsAgreeWithTheInteractiveProgram)
{
    std::mt19937 alea(12);
    auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(alea); };
    int avecSolutions = 0;
    for (int t = 0; t < 150; t++) {
        Demande d;
        d.n = entre(1, 6);
        d.type = entre(1, 2);
        d.P1 = entre(1, 12);
        d.Q1 = entre(1, 12);
        d.parite = entre(0, 3) == 0 ? entre(1, 2) : 0;
        d.max = entre(0, 2) == 0 ? entre(d.n, 200) : 0;
        d.travailleurs = entre(1, 3);
        std::ostringstream r;
        r << "0 " << d.type << " " << d.n << " " << d.P1 << " " << d.Q1 << " ";
        if (d.parite != 0 || d.max != 0)
            r << "1 " << d.parite << " 0 0 " << d.max << " ";
        else
            r << "0 ";
        r << "-1000000000 0";
        Reglages reg;
        reg.pasMax = 2000000;
        const Session s = session(r.str(), reg);
        if (!s.complete)
            continue;
        const Resume attendu = resume(s.sortie);
        const Total total = compte(d);
        const std::string nom = r.str();
        if (attendu.solutions < 0) {
            // Settled without a summary: nothing, or the single solution.
            EXPECT_LE(total.nombre, 1) << nom;
            EXPECT_EQ(total.nombre, static_cast<long>(lignes(s.sortie).size())) << nom;
            continue;
        }
        ASSERT_EQ(total.nombre, attendu.solutions) << nom;
        if (total.nombre > 0) {
            avecSolutions++;
            EXPECT_EQ(texte(total.xn.valeur().zz()), attendu.xn) << nom;
            EXPECT_EQ(texte(total.derniere.valeurs()[1]), attendu.x1) << nom;
        }
    }
    EXPECT_GT(avecSolutions, 40);
}

TEST(Comptage, ShardsAddUpToTheWhole)
{
    for (int type = 1; type <= 2; type++) {
        Demande d;
        d.n = 6;
        d.type = type;
        d.P1 = 2;
        d.Q1 = 3;
        d.travailleurs = 2;
        const Total tout = compte(d);
        std::int64_t nombre = 0;
        Maximum xn;
        d.tranches = 5;
        Total premiere, derniere;
        for (d.tranche = 1; d.tranche <= 5; d.tranche++) {
            const Total t = compte(d);
            nombre += t.nombre;
            xn.propose(t.xn.valeur());
            if (t.nombre > 0 && (premiere.nombre == 0 || t.placePremiere < premiere.placePremiere))
                premiere = t;
            if (t.nombre > 0 && t.placeDerniere > derniere.placeDerniere)
                derniere = t;
        }
        EXPECT_EQ(nombre, tout.nombre);
        EXPECT_EQ(xn.valeur().zz(), tout.xn.valeur().zz());
        EXPECT_EQ(premiere.premiere.valeurs(), tout.premiere.valeurs());
        EXPECT_EQ(derniere.derniere.valeurs(), tout.derniere.valeurs());
    }
}
