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
#include "moteur/comptage.h"
#include "moteur/verification.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

namespace {

using reference::Liste;

// A count and how it is run.
struct Demande {
    Enonce e;
    Options o;
};

reference::Cas cas(const Enonce& e)
{
    return {e.type, e.n, NTL::conv<long>(e.P), NTL::conv<long>(e.Q), static_cast<int>(e.parite),
            NTL::conv<long>(e.max)};
}

std::string decrit(const Demande& d)
{
    std::ostringstream o;
    o << d.e.n << " " << d.e.P << "/" << d.e.Q << " -t " << (d.e.lesDeux ? "both" : std::to_string(d.e.type)) << " --parity " << nomParite(d.e.parite)
      << " --max " << d.e.max << " -j " << d.o.travailleurs << " --prefix " << texte(d.e.prefixe)
      << " (units of " << d.o.unite << ")";
    return o.str();
}

Total liste(const Demande& d, std::ostream& out)
{
    Listage l(d.e, d.o.travailleurs, false, {}, d.o.unite);
    std::string lignes;
    while (l.suivants(lignes)) {
        out << lignes;
        lignes.clear();
    }
    return l.total();
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
void verifie(const Totaux& t, const Liste& l, const std::string& nom)
{
    ASSERT_EQ(t.nombre, static_cast<std::int64_t>(l.size())) << nom;
    Empreinte e;
    for (const auto& s : l)
        e.ajoute(enVec(s), static_cast<int>(s.size()));
    EXPECT_EQ(t.empreinte.texte(), e.texte()) << nom;
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
    Enonce& e = d.e;
    e.type = entre(1, 3);
    e.lesDeux = e.type == 3;
    if (e.lesDeux)
        e.type = 1;
    e.parite = static_cast<Parite>(entre(0, 2) == 0 ? entre(1, 2) : 0);
    e.max = entre(0, 2) == 0 ? entre(1, 120) : 0;
    e.n = entre(1, e.max != 0 ? 6 : 5);
    e.P = entre(1, 12);
    e.Q = entre(1, 12);
    if (e.n == 5 && e.max == 0 && e.Q > 2 * e.P)
        e.Q = e.P;
    d.o.travailleurs = entre(1, 3);
    d.o.unite = entre(0, 1) ? entre(1, 6) : 0;
    return d;
}

}  // namespace

TEST(Comptage, RandomProblemsAgreeWithTheReference)
{
    std::mt19937 alea(12);
    int avecSolutions = 0, prefixes = 0, deuxTypes = 0;
    std::int64_t recomptes = 0;
    for (int t = 0; t < 500; t++) {
        Demande d = tire(alea);
        Liste l = reference::toutes(cas(d.e));
        // Both types at once: those of type 2 as well, searched apart.
        reference::Cas deux = cas(d.e);
        deux.type = 2;
        Liste l2 = d.e.lesDeux ? reference::toutes(deux) : Liste();
        // Half the time, only the solutions that begin as one of them.
        std::vector<ZZ>& prefixe = d.e.prefixe;
        if (!l.empty() && d.e.n > 1 && alea() % 2 == 0) {
            const auto& s = l[alea() % l.size()];
            prefixe.assign(s.begin(), s.begin() + 1 + static_cast<long>(alea() % (d.e.n - 1)));
            for (Liste* liste : {&l, &l2})
                liste->erase(std::remove_if(liste->begin(), liste->end(),
                                            [&](const auto& x) {
                                                return !std::equal(prefixe.begin(), prefixe.end(), x.begin());
                                            }),
                             liste->end());
            prefixes++;
        }
        const Total total = compte(d.e, d.o);
        verifie(total, l, decrit(d));
        // Every unit recounted by the plain search agrees.
        if (t % 3 == 0) {
            const Verification v = recompte(d.e, d.o, total, total.unites, t);
            EXPECT_TRUE(v.ecarts.empty()) << decrit(d) << ": unit " << v.ecarts[0].unite << " differs";
            EXPECT_EQ(v.unites, total.unites) << decrit(d);
            recomptes += v.unites;
        }
        if (d.e.lesDeux) {
            verifie(total.distinctes, l2, decrit(d) + ", type 2");
            deuxTypes += !l2.empty();
            continue;
        }
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
    EXPECT_GT(deuxTypes, 40);
    EXPECT_GT(prefixes, 60);
    EXPECT_GT(recomptes, 300);
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
        d.e.type = pb.type;
        d.e.n = pb.n;
        d.e.P = pb.p;
        d.e.Q = pb.q;
        d.e.parite = static_cast<Parite>(pb.parite);
        d.e.max = pb.borne;
        d.o.travailleurs = 1 + t % 3;
        d.o.unite = t % 2 == 0 ? 2 : 0;
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
    for (int type = 1; type <= 3; type++) {
        Enonce e;
        e.n = 5;
        e.lesDeux = type == 3;
        e.type = e.lesDeux ? 1 : type;
        e.P = 2;
        e.Q = 3;
        Options o;
        o.travailleurs = 2;
        o.unite = 20;
        const Liste l = reference::toutes(cas(e));
        e.tranches = 5;
        std::vector<std::string> fichiers;
        for (e.tranche = 1; e.tranche <= 5; e.tranche++) {
            const Total t = compte(e, o);
            EXPECT_GT(t.nombre, 0) << "shard " << e.tranche;
            EXPECT_LT(t.nombre, static_cast<std::int64_t>(l.size())) << "shard " << e.tranche;
            fichiers.push_back(::testing::TempDir() + "tranche" + std::to_string(e.tranche));
            std::ofstream f(fichiers.back());
            f << t.enJson(e).dump() << "\n";
        }
        std::reverse(fichiers.begin(), fichiers.end());
        Enonce fusion;
        const Total somme = fusionne(fichiers, fusion);
        verifie(somme, l, "shards of type " + std::to_string(type));
        if (e.lesDeux) {
            reference::Cas deux = cas(e);
            deux.type = 2;
            verifie(somme.distinctes, reference::toutes(deux), "shards of both types, type 2");
        }
    }
}

// Both types in one walk are each type counted alone, and each unit the
// same recounted by the plain search, at the edges of the closing: d past
// 2^64, c past 2^50, prime powers, parities and bounds, a prefix with two
// equal values (no solution of type 2), n = 1 and 2.
TEST(Comptage, BothTypesAtOnceAreEachTypeAlone)
{
    struct Cas {
        int n;
        const char *fraction, *prefixe;
        Parite parite;
        long max;
    };
    const Cas liste[] = {
        {9, "1", "2,3,7,43,1807,3263443,10650056950807", Parite::INDIFFERENTE, 0},
        {3, "36028797018963971/144115188075855872", "", Parite::INDIFFERENTE, 0},
        {4, "1/64", "", Parite::INDIFFERENTE, 0},
        {4, "1/81", "", Parite::INDIFFERENTE, 0},
        {5, "1", "3,3", Parite::INDIFFERENTE, 0},
        {6, "1", "2,4,8", Parite::INDIFFERENTE, 0},
        {5, "3/5", "", Parite::IMPAIRE, 0},
        {5, "1/2", "", Parite::PAIRE, 60},
        {1, "1/7", "", Parite::INDIFFERENTE, 0},
        {2, "1/12", "", Parite::INDIFFERENTE, 0},
        {3, "1/2", "", Parite::INDIFFERENTE, 0},
    };
    auto egaux = [](const Totaux& a, const Totaux& b, const std::string& nom) {
        EXPECT_EQ(a.nombre, b.nombre) << nom;
        EXPECT_EQ(a.empreinte, b.empreinte) << nom;
        EXPECT_EQ(a.xn.valeur().zz(), b.xn.valeur().zz()) << nom;
        EXPECT_EQ(a.premiere.valeurs(), b.premiere.valeurs()) << nom;
        EXPECT_EQ(a.derniere.valeurs(), b.derniere.valeurs()) << nom;
        EXPECT_EQ(a.placePremiere, b.placePremiere) << nom;
        EXPECT_EQ(a.placeDerniere, b.placeDerniere) << nom;
    };
    for (const Cas& c : liste) {
        Enonce e;
        e.n = c.n;
        std::tie(e.P, e.Q) = lisFraction(c.fraction);
        e.parite = c.parite;
        e.max = c.max;
        std::istringstream valeurs(c.prefixe);
        std::string v;
        while (std::getline(valeurs, v, ','))
            e.prefixe.push_back(NTL::conv<ZZ>(v.c_str()));
        const std::string nom = std::to_string(c.n) + " " + c.fraction + " --prefix " + c.prefixe;
        e.lesDeux = true;
        Options petites;
        petites.unite = 100;
        const Total deux = compte(e, petites);
        // A unit recounted by the plain search agrees with the fast one.
        const Verification recompte_ = recompte(e, petites, deux, 1, 1);
        EXPECT_TRUE(recompte_.ecarts.empty()) << nom;
        EXPECT_EQ(recompte_.unites, std::min<std::int64_t>(deux.unites, 1)) << nom;
        e.lesDeux = false;
        egaux(deux, compte(e, petites), nom + " type 1");
        e.type = 2;
        if (std::string(c.prefixe) == "3,3") {
            EXPECT_EQ(deux.distinctes.nombre, 0) << nom;
            continue;
        }
        egaux(deux.distinctes, compte(e, petites), nom + " type 2");
    }
}
