// The public API: the counts of the programs, a count cancelled by its
// callback and resumed from its checkpoint to the same totals and
// fingerprints, its units recounted (a damaged one found), a listing read
// one solution at a time, and one Error for every failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "fractions_unitaires.hpp"

namespace fu = fractions_unitaires;

TEST(Api, CountCancelledThenResumedGivesTheWholeCount)
{
    fu::Problem p = fu::problem(7, "1");
    p.type = fu::Problem::both;
    const fu::Totals entier = fu::count(p);
    EXPECT_EQ(entier.solutions, 294314);
    EXPECT_EQ(entier.type2.solutions, 245765);
    ASSERT_EQ(entier.type2.first.size(), 7u);

    const std::string point = testing::TempDir() + "api-point-" + std::to_string(::getpid());
    std::remove(point.c_str());
    fu::CountOptions o;
    o.threads = 2;
    o.checkpoint = point;
    int appels = 0;
    o.progress = [&](const fu::Progress&) { return ++appels < 3; };
    try {
        fu::count(p, o);
        FAIL() << "not cancelled";
    } catch (const fu::Error& e) {
        EXPECT_TRUE(e.cancelled());
    }
    o.progress = nullptr;
    o.resume = true;
    const fu::Totals repris = fu::count(p, o);
    EXPECT_EQ(repris.solutions, entier.solutions);
    EXPECT_EQ(repris.first, entier.first);
    EXPECT_EQ(repris.last, entier.last);
    EXPECT_EQ(repris.xn_max, entier.xn_max);
    EXPECT_EQ(repris.type2.solutions, entier.type2.solutions);
    EXPECT_EQ(repris.type2.first, entier.type2.first);
    EXPECT_EQ(repris.type2.last, entier.type2.last);
    EXPECT_EQ(repris.fingerprint, entier.fingerprint);
    EXPECT_EQ(repris.type2.fingerprint, entier.type2.fingerprint);
    ASSERT_EQ(repris.unit_results.size(), entier.unit_results.size());
    std::remove(point.c_str());

    // Every unit recounted agrees; one whose record was damaged does not.
    const fu::Verification v = fu::verify(p, repris, 1000, 1, 2);
    EXPECT_TRUE(v.agrees());
    EXPECT_EQ(v.units, repris.units);
    fu::Totals abime = repris;
    char& chiffre = abime.unit_results[3].fingerprint2[15];
    chiffre = chiffre == '0' ? '1' : '0';
    const fu::Verification w = fu::verify(p, abime, 1000, 1, 2);
    ASSERT_EQ(w.differences.size(), 1u);
    EXPECT_EQ(w.differences[0].unit, abime.unit_results[3].unit);
    EXPECT_EQ(w.differences[0].recount.fingerprint2, repris.unit_results[3].fingerprint2);
}

TEST(Api, ListingOneSolutionAtATimeAndErrors)
{
    fu::Listing l(fu::problem(2, "1/18446744073709551616"), 2);
    std::vector<NTL::ZZ> x, dernier;
    long n = 0;
    while (l.next(x)) {
        n++;
        dernier = x;
    }
    EXPECT_EQ(n, 65);
    EXPECT_EQ(dernier[1], NTL::conv<NTL::ZZ>("340282366920938463481821351505477763072"));

    fu::Problem p = fu::problem(4, "1");
    p.prefix = {NTL::ZZ(3), NTL::ZZ(2)};
    for (auto echec : {+[] { fu::problem(3, "1/0"); }, +[] { fu::problem(3, "x"); },
                       +[] { fu::count(fu::problem(0, "1")); }}) {
        EXPECT_THROW(echec(), fu::Error);
    }
    try {
        fu::count(p);
        FAIL() << "a decreasing prefix of type 1 counted";
    } catch (const fu::Error& e) {
        EXPECT_FALSE(e.cancelled());
        EXPECT_NE(std::string(e.what()).find("not non-decreasing"), std::string::npos) << e.what();
    }
}
