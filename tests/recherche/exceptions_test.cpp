// The check made before any search: each verdict, and which data it lets
// through to the search.
#include <gtest/gtest.h>

#include "compte/demande.h"
#include "recherche/recherche.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::lot;

namespace {

struct Cas {
    int type, n;
    long p, q;
    int parite;
    long borne;
    long arret1, arret2;  // stop sequence, 0 = none
    int retour;           // 2: settled, 1: searched
    int verdicts;         // verdicts printed (0 or 1)
    Verdict verdict;
};

}  // namespace

TEST(Exceptions, EachVerdictAndWhatItLetsThrough)
{
    const Cas cas[] = {
        // Odd unknowns: Q even, n even with P odd, n odd with P even.
        {1, 3, 1, 2, 1, 0, 0, 0, 2, 1, Verdict::IMPAIRS},
        {1, 2, 1, 1, 1, 0, 0, 0, 2, 1, Verdict::IMPAIRS},
        {1, 3, 2, 3, 1, 0, 0, 0, 2, 1, Verdict::IMPAIRS},
        {1, 3, 1, 1, 1, 0, 0, 0, 1, 0, Verdict::TRIVIAL},
        // P/Q < n/M; P/Q = n/M is allowed; the bound as entered counts.
        {1, 6, 1, 1, 0, 5, 0, 0, 2, 1, Verdict::CONDITIONS},
        {1, 6, 1, 1, 0, 6, 0, 0, 1, 0, Verdict::TRIVIAL},
        {1, 7, 1, 1, 2, 7, 0, 0, 1, 0, Verdict::TRIVIAL},
        // n = 1 is announced and searched.
        {1, 1, 1, 5, 0, 0, 0, 0, 1, 1, Verdict::TRIVIAL},
        // Above the largest sum: 3 for (1, 1, 1), 11/6 for (1, 2, 3).
        {1, 3, 4, 1, 0, 0, 0, 0, 2, 1, Verdict::TROP_GRAND},
        {2, 3, 2, 1, 0, 0, 0, 0, 2, 1, Verdict::TROP_GRAND},
        // Three different values cannot all be at most 2; type 1 can.
        {2, 3, 3, 2, 0, 2, 0, 0, 2, 1, Verdict::M_PETIT},
        {1, 3, 2, 1, 0, 2, 0, 0, 1, 0, Verdict::TRIVIAL},
        // Equal to the largest sum: the smallest candidate alone.
        {1, 3, 3, 1, 0, 0, 0, 0, 2, 1, Verdict::UNIQUE},
        {2, 3, 11, 6, 0, 0, 0, 0, 2, 1, Verdict::UNIQUE},
        {2, 2, 3, 4, 2, 0, 0, 0, 2, 1, Verdict::UNIQUE},
        // A stop value raises the smallest candidate; two stop values let
        // the search find it.
        {1, 3, 1, 1, 0, 0, 3, 0, 2, 1, Verdict::UNIQUE},
        {1, 3, 1, 1, 0, 0, 3, 3, 1, 0, Verdict::TRIVIAL},
    };
    for (const Cas& c : cas) {
        // The problem as the program sets it up (the bound lowered to the
        // parity, the stop values as a prefix's).
        Enonce d;
        d.type = c.type;
        d.n = c.n;
        d.P = c.p;
        d.Q = c.q;
        d.parite = static_cast<Parite>(c.parite);
        d.max = c.borne;
        for (long a : {c.arret1, c.arret2})
            if (a != 0)
                d.prefixe.push_back(ZZ(a));
        Verdicts v;
        Recherche r(&v);
        r.installe(probleme(d), Reglages(), Mode::COMPTE);
        const std::string nom = std::to_string(c.type) + " " + std::to_string(c.n) + " " +
                                std::to_string(c.p) + "/" + std::to_string(c.q);
        EXPECT_EQ(r.exeptions(), c.retour == 2 ? Issue::REGLE : Issue::RECHERCHE) << nom;
        ASSERT_EQ(v.nombre, c.verdicts) << nom;
        if (c.verdicts == 1) {
            EXPECT_EQ(v.dernier, c.verdict) << nom;
        }
    }
}

TEST(Exceptions, StopValueOfTheWrongParityIsRaised)
{
    // All even with the stop value 5: the smallest candidate starts at 6,
    // (6, 6, 6) sums to 1/2.
    Probleme pb;
    pb.n = 3;
    pb.P = 1;
    pb.Q = 2;
    pb.parite = Parite::PAIRE;
    pb.z = 2;
    pb.seq2 = 1;
    pb.s2 = 1;
    pb.x2.SetLength(4);
    pb.x3.SetLength(4);
    pb.x3[1] = 5;
    Verdicts v;
    Recherche r(&v);
    r.installe(pb, Reglages(), Mode::COMPTE);
    EXPECT_EQ(r.exeptions(), Issue::REGLE);
    EXPECT_EQ(v.dernier, Verdict::UNIQUE);
    ASSERT_EQ(v.unique.length(), 4);
    EXPECT_EQ(v.unique[1], 6);
    EXPECT_EQ(v.unique[3], 6);
}
