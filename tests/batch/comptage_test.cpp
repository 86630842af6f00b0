// The batch counter against the reference search: random problems of every
// type, parity and bound, cut into units of a few prefixes and shared
// between threads, give its count, extremes, first and last solutions; the
// listing gives its rows; shards add up to the whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "../outils.h"
#include "../reference.h"
#include "batch/comptage.h"

namespace {

using reference::Liste;

reference::Cas cas(const Demande& d)
{
    return {d.type, d.n, NTL::conv<long>(d.P1), NTL::conv<long>(d.Q1), d.parite, NTL::conv<long>(d.max)};
}

std::string decrit(const Demande& d)
{
    std::ostringstream o;
    o << d.n << " " << d.P1 << "/" << d.Q1 << " -t " << d.type << " --parity " << nomParite(d.parite)
      << " --max " << d.max << " -j " << d.travailleurs << " --prefix " << texte(d.prefixe) << " (units of "
      << d.unite << ")";
    return o.str();
}

Vec<ZZ> enVec(const reference::Solution& s)
{
    Vec<ZZ> v;
    v.SetLength(static_cast<long>(s.size()) + 1);
    for (std::size_t k = 0; k < s.size(); k++)
        v[static_cast<long>(k) + 1] = s[k];
    return v;
}

// What the totals must say of the solutions l.
void verifie(const Total& t, const Liste& l, const std::string& nom)
{
    ASSERT_EQ(t.nombre, static_cast<std::int64_t>(l.size())) << nom;
    if (l.empty())
        return;
    ZZ xn(0);
    for (const auto& s : l)
        xn = std::max(xn, s.back());
    EXPECT_EQ(t.xn.valeur().zz(), xn) << nom;
    EXPECT_EQ(t.premiere.valeurs(), enVec(l.front())) << nom;
    EXPECT_EQ(t.derniere.valeurs(), enVec(l.back())) << nom;
}

// A random problem whose reference search stays short.
Demande tire(std::mt19937& alea)
{
    auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(alea); };
    Demande d;
    d.type = entre(1, 2);
    d.parite = entre(0, 2) == 0 ? entre(1, 2) : 0;
    d.max = entre(0, 2) == 0 ? entre(1, 120) : 0;
    d.n = entre(1, d.max != 0 ? 6 : 5);
    d.P1 = entre(1, 12);
    d.Q1 = entre(1, 12);
    if (d.n == 5 && d.max == 0 && d.Q1 > 2 * d.P1)
        d.Q1 = d.P1;
    d.travailleurs = entre(1, 3);
    d.unite = entre(0, 1) ? entre(1, 6) : 0;
    return d;
}

}  // namespace

TEST(Comptage, RandomProblemsAgreeWithTheReference)
{
    std::mt19937 alea(12);
    int avecSolutions = 0, prefixes = 0;
    for (int t = 0; t < 400; t++) {
        Demande d = tire(alea);
        Liste l = reference::toutes(cas(d));
        // Half the time, only the solutions that begin as one of them.
        if (!l.empty() && d.n > 1 && alea() % 2 == 0) {
            const auto& s = l[alea() % l.size()];
            d.prefixe.assign(s.begin(), s.begin() + 1 + static_cast<long>(alea() % (d.n - 1)));
            l.erase(std::remove_if(l.begin(), l.end(),
                                   [&](const auto& x) { return !std::equal(d.prefixe.begin(), d.prefixe.end(), x.begin()); }),
                    l.end());
            prefixes++;
        }
        verifie(compte(d), l, decrit(d));
        avecSolutions += !l.empty();
        if (t % 8 == 0) {
            std::ostringstream lignes, attendu;
            verifie(liste(d, lignes), l, decrit(d) + ", listed");
            for (const auto& s : l)
                for (std::size_t k = 0; k < s.size(); k++)
                    attendu << s[k] << (k + 1 < s.size() ? " " : "\n");
            EXPECT_EQ(lignes.str(), attendu.str()) << decrit(d);
        }
    }
    EXPECT_GT(avecSolutions, 150);
    EXPECT_GT(prefixes, 60);
}

// Past the reference's reach, the listing is the interactive table: the
// same rows in the same order, whatever the threads and the units.
TEST(Comptage, ListingIsTheInteractiveTable)
{
    const reference::Cas problemes[] = {
        {1, 6, 1, 1, 0, 0}, {2, 6, 1, 1, 0, 0}, {1, 7, 1, 1, 1, 0}, {2, 5, 2, 3, 2, 0}, {1, 5, 1, 2, 0, 300},
        {2, 5, 3, 4, 2, 5000}, {1, 6, 3, 4, 2, 2000},
    };
    int t = 0;
    for (const reference::Cas& pb : problemes) {
        const auto table = lignes(session(reponses(pb)).sortie);
        ASSERT_GT(table.size(), 50u) << pb.n << " " << pb.p << "/" << pb.q;
        Demande d;
        d.type = pb.type;
        d.n = pb.n;
        d.P1 = pb.p;
        d.Q1 = pb.q;
        d.parite = pb.parite;
        d.max = pb.borne;
        d.travailleurs = 1 + t % 3;
        d.unite = t % 2 == 0 ? 2 : 0;
        t++;
        std::ostringstream lignesListe, attendu;
        liste(d, lignesListe);
        for (const auto& s : table)
            for (std::size_t k = 0; k < s.size(); k++)
                attendu << s[k] << (k + 1 < s.size() ? " " : "\n");
        EXPECT_EQ(lignesListe.str(), attendu.str()) << decrit(d);
    }
}

// Each shard counts its own units; together, in any order, they are the
// whole count, and no two of them are empty alike.
TEST(Comptage, ShardsAddUpToTheWhole)
{
    for (int type = 1; type <= 2; type++) {
        Demande d;
        d.n = 5;
        d.type = type;
        d.P1 = 2;
        d.Q1 = 3;
        d.travailleurs = 2;
        d.unite = 20;
        const Liste l = reference::toutes(cas(d));
        d.tranches = 5;
        std::vector<std::string> fichiers;
        for (d.tranche = 1; d.tranche <= 5; d.tranche++) {
            const Total t = compte(d);
            EXPECT_GT(t.nombre, 0) << "shard " << d.tranche;
            EXPECT_LT(t.nombre, static_cast<std::int64_t>(l.size())) << "shard " << d.tranche;
            fichiers.push_back(::testing::TempDir() + "tranche" + std::to_string(d.tranche));
            std::ofstream f(fichiers.back());
            t.ecrit(f, d, true);
        }
        std::reverse(fichiers.begin(), fichiers.end());
        Demande fusion;
        const Total somme = fusionne(fichiers, fusion);
        verifie(somme, l, "shards of type " + std::to_string(type));
    }
}
