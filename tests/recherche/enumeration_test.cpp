// The enumeration of both types checked against a plain recursive search
// over exact fractions, which shares no code with the program, and against
// known counts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../outils.h"
#include "../reference.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

namespace {

using reference::Cas;
using reference::Liste;
using reference::toutes;
using Solution = reference::Solution;
using NTL::ZZ;

std::string decrit(const reference::Cas& pb)
{
    std::ostringstream o;
    o << "type " << pb.type << ", n = " << pb.n << ", P/Q = " << pb.p << "/" << pb.q << ", parite "
      << pb.parite << ", M = " << pb.borne;
    return o.str();
}

Liste liste(std::initializer_list<std::initializer_list<long>> valeurs)
{
    Liste l;
    for (const auto& v : valeurs) {
        Solution s;
        for (long e : v)
            s.push_back(ZZ(e));
        l.push_back(s);
    }
    return l;
}

// The rows of pb, with the shortcuts and on the plain step machine, which
// must agree with each other and with the reference.
long compare(const reference::Cas& pb)
{
    const Liste attendu = toutes(pb);
    for (const Reglages& r : {Reglages(), sansRaccourcis()}) {
        const Liste l = lignes(session(reponses(pb), r).sortie);
        EXPECT_EQ(l, attendu) << decrit(pb) << (r.raccourcis ? "" : ", plain");
    }
    return static_cast<long>(attendu.size());
}

}  // namespace

// The grid: both types, the three parities, fractions below, equal to and
// above 1, n up to 4 (5 where the search stays short), with no bound and
// with bounds that cut solutions away.
TEST(Enumeration, SameRowsAsTheReference)
{
    const std::vector<std::pair<long, long>> fractions = {
        {1, 1}, {1, 2}, {2, 3},  {3, 4}, {3, 2},  {2, 1},  {5, 6}, {7, 12}, {13, 12}, {4, 5}, {1, 3},
        {3, 5}, {9, 4}, {11, 6}, {3, 1}, {4, 3},  {8, 15}, {25, 12}, {5, 3}, {1, 5},  {2, 9}, {7, 5},
        {4, 1}, {31, 30}, {17, 15}};
    long solutions = 0, cas = 0;
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++) {
            for (const auto& f : fractions)
                for (int n = 1; n <= 4; n++)
                    for (long borne : {0L, 2L, 5L, 7L, 12L, 45L}) {
                        if (n == 4 && borne == 0 && f.second >= 4 * f.first)
                            continue;  // long searches
                        solutions += compare({type, n, f.first, f.second, parite, borne});
                        cas++;
                    }
            for (const auto& f : std::vector<std::pair<long, long>>{{1, 1}, {3, 2}, {5, 3}, {3, 1}})
                for (long borne : {0L, 10L, 60L})
                    solutions += compare({type, 5, f.first, f.second, parite, borne});
        }
    EXPECT_GT(solutions, 8000) << cas << " cases";
}

// Small fractions: the type 2 bound switches to the plain bound when the
// smallest start raised to the number of open unknowns passes ten million.
TEST(Enumeration, SmallFractionsAndThePlainType2Bound)
{
    const reference::Cas cas[] = {
        {0, 2, 1, 3200, 0, 0},         {0, 2, 3, 9800, 0, 0},          {0, 3, 1751, 3500, 0, 12253500},
        {0, 3, 49070015, 147084009, 0, 20000000}, {0, 3, 1, 216, 0, 660},  {0, 4, 1, 57, 0, 230},
        {0, 5, 1, 26, 0, 140},
    };
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++)
            for (reference::Cas pb : cas) {
                pb.type = type;
                pb.parite = parite;
                compare(pb);
            }
}

TEST(Enumeration, KnownLists)
{
    EXPECT_EQ(toutes({1, 3, 1, 1, 0, 0}), liste({{3, 3, 3}, {2, 4, 4}, {2, 3, 6}}));
    EXPECT_EQ(toutes({2, 4, 1, 1, 0, 0}), liste({{2, 4, 6, 12}, {2, 4, 5, 20}, {2, 3, 10, 15},
                                                     {2, 3, 9, 18}, {2, 3, 8, 24}, {2, 3, 7, 42}}));
    EXPECT_EQ(toutes({1, 3, 1, 2, 2, 0}), liste({{6, 6, 6}, {4, 8, 8}, {4, 6, 12}}));
    // 13/12: the progression (2, 3, 4) is recognised at once, then x1 = 1.
    const Liste treize = lignes(session(reponses({2, 3, 13, 12, 0, 0})).sortie);
    ASSERT_GE(treize.size(), 3u);
    EXPECT_EQ(treize[0], liste({{2, 3, 4}})[0]);
    EXPECT_EQ(treize[1], liste({{1, 21, 28}})[0]);
    // 1/3 + 1/701 + 1/703 + 1/705 in odd distinct unknowns: x2 = 701 is
    // reached although the plain bound is tried first.
    const Liste impairs = lignes(session("0 2 4 117291328 347426115 1 1 0 0 0 0 0").sortie);
    ASSERT_EQ(impairs.size(), 3u);
    EXPECT_EQ(impairs[0], liste({{3, 701, 703, 705}})[0]);
    EXPECT_EQ(impairs[1][1], 351);
    EXPECT_EQ(impairs[2][1], 235);
}

// Ways to write 1 as a sum of n unit fractions: OEIS A002966 (type 1) and
// A006585 (type 2).
TEST(Enumeration, KnownCounts)
{
    const long k = -1000000000;
    EXPECT_EQ(admet(session(reponses({1, 6, 1, 1, 0, 0}, k)).sortie), 3462);
    EXPECT_EQ(admet(session(reponses({1, 7, 1, 1, 0, 0}, k)).sortie), 294314);
    EXPECT_EQ(admet(session(reponses({2, 6, 1, 1, 0, 0}, k)).sortie), 2320);
    EXPECT_EQ(admet(session(reponses({2, 7, 1, 1, 0, 0}, k)).sortie), 245765);
    EXPECT_EQ(admet(session(reponses({1, 6, 1, 1, 0, 0}, k), sansRaccourcis()).sortie), 3462);
    EXPECT_EQ(admet(session(reponses({2, 6, 1, 1, 0, 0}, k), sansRaccourcis()).sortie), 2320);
}
