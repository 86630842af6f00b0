// Bounds of the next unknown: the smallest and largest admissible values,
// the completion test, the improved type 2 bound and the end conditions.
#include <gtest/gtest.h>

#include <initializer_list>

#include "outils.h"

namespace {

// Fixes the first unknowns at the given values, then asks for the bounds of
// the next one.
ZZ bornes(std::initializer_list<long> fixes)
{
    for (long v : fixes) {
        x[i + 1] = v;
        i++;
        plu();
    }
    return maxi(i, D, N);
}

}  // namespace

TEST(Maxi, Type1WorkedExample)
{
    // P/Q = 1, n = 3: nothing fixed.
    prepare(1, 3, 1, 1);
    EXPECT_EQ(bornes({}), 3);
    EXPECT_EQ(qd, 1);
    EXPECT_EQ(divis, 1);
    EXPECT_EQ(divid, 3);
    EXPECT_EQ(minr[1], 2);
    EXPECT_EQ(r1, 3);
    EXPECT_EQ(reste, 0);
    // After x1 = 2.
    prepare(1, 3, 1, 1);
    EXPECT_EQ(bornes({2}), 4);
    EXPECT_EQ(qd, 2);
    EXPECT_EQ(divis, 1);
    EXPECT_EQ(divid, 4);
    EXPECT_EQ(minr[2], 3);
    EXPECT_EQ(reste, 0);
    // After (2, 3): the last unknown.
    prepare(1, 3, 1, 1);
    EXPECT_EQ(bornes({2, 3}), 6);
    EXPECT_EQ(qd, 6);
    EXPECT_EQ(divis, 1);
    EXPECT_EQ(divid, 6);
    EXPECT_EQ(minr[3], 6);
    EXPECT_EQ(reste, 0);
    EXPECT_EQ(i, 2);
}

TEST(Maxi, Type1AllEven)
{
    prepare(1, 3, 1, 1, 2);
    EXPECT_EQ(bornes({}), 2);
    EXPECT_EQ(minr[1], 2);
    EXPECT_EQ(reste, 1);
    EXPECT_EQ(bornes({2}), 4);
    EXPECT_EQ(minr[2], 4);
    EXPECT_EQ(reste, 0);
}

TEST(Maxi, Type2WorkedExample)
{
    prepare(2, 3, 1, 1);
    EXPECT_EQ(bornes({}), 3);
    EXPECT_EQ(minr[1], 2);
    EXPECT_EQ(cas2, 1);
    EXPECT_EQ(N1k, 47);  // S(3) = 1/3 + 1/4 + 1/5 after one slide
    EXPECT_EQ(D1k, 60);
    EXPECT_EQ(d1, -13);
    EXPECT_EQ(reste, 1);
    EXPECT_EQ(bornes({2}), 4);
    EXPECT_EQ(minr[2], 3);
    EXPECT_EQ(N1k, 9);  // S(4) = 1/4 + 1/5
    EXPECT_EQ(D1k, 20);
    EXPECT_EQ(d1, -2);
    EXPECT_EQ(reste, 1);
}

TEST(Maxi, ImprovedBoundOnlyUpToTenMillion)
{
    // h = 7: rm = 10 gives 10^7 exactly, rm = 11 is above.
    prepare(2, 7, 1, 9);
    bornes({});
    EXPECT_EQ(minr[1], 10);
    EXPECT_EQ(cas2, 1);
    prepare(2, 7, 1, 10);
    bornes({});
    EXPECT_EQ(minr[1], 11);
    EXPECT_EQ(cas2, 2);
    EXPECT_EQ(r1, 70);  // the plain bound h/R
}

TEST(Maxi, OddType2StartsOnAnEvenProgression)
{
    // P/Q = 5/3, all odd: minr[1] = 1 but the walk starts at 2; the even
    // result is lowered to 1 and the progression 1, 3, 5 tested: 23/15.
    prepare(2, 3, 5, 3, 1);
    EXPECT_EQ(bornes({}), 1);
    EXPECT_EQ(minr[1], 1);
    EXPECT_EQ(cas2, 1);
    EXPECT_EQ(rm, 1);
    EXPECT_EQ(N1k, 23);
    EXPECT_EQ(D1k, 15);
    EXPECT_EQ(reste, 23 * 3 - 15 * 5);
}

TEST(Maxi, PlainBoundLoweredToOddKeepsThePlainTest)
{
    // P/Q = 1/3 + 1/701 + 1/703 + 1/705, all odd, type 2, at x1 = 3.
    const ZZ p(3L * 701 * 703 + 3L * 701 * 705 + 3L * 703 * 705 + 701L * 703 * 705);
    const ZZ q(3L * 701 * 703 * 705);
    const ZZ d = GCD(p, q);
    prepare(2, 4, 1, 1, 1);
    P = p / d;
    Q = q / d;
    EXPECT_EQ(bornes({3}), 701);
    EXPECT_EQ(minr[2], 235);
    EXPECT_EQ(cas2, 2);
    EXPECT_NE(reste, 0);
}

TEST(Maxi, ProgressionEndingExactlyCompletes)
{
    // 13/12 = 1/2 + 1/3 + 1/4.
    prepare(2, 3, 13, 12);
    EXPECT_EQ(bornes({}), 2);
    EXPECT_EQ(minr[1], 1);
    EXPECT_EQ(cas2, 1);
    EXPECT_EQ(d1, 0);
    EXPECT_EQ(reste, 0);
}

TEST(Maxi, LastUnknown)
{
    // R = 1/6: 1/R itself, completing.
    prepare(1, 2, 1, 2);
    EXPECT_EQ(bornes({3}), 6);
    EXPECT_EQ(minr[2], 6);
    EXPECT_EQ(reste, 0);
    // R = 2/7: floor(7/2) both ways, not completing.
    prepare(1, 2, 3, 7);
    EXPECT_EQ(bornes({7}), 3);
    EXPECT_EQ(minr[2], 3);
    EXPECT_NE(reste, 0);
    // All odd, R = 2/9: floor 4 is even, so the range 5 .. 3 is empty.
    prepare(1, 2, 5, 9, 1);
    EXPECT_EQ(bornes({3}), 3);
    EXPECT_EQ(minr[2], 5);
}

TEST(Maxi, SumAlreadyReachedEndsTheSearch)
{
    prepare(1, 3, 1, 2);
    bornes({3});
    const ZZ avant = minr[2];
    const ZZ r1Avant = r1;
    EXPECT_EQ(bornes({2}), 0);  // 1/3 + 1/2 > 1/2
    EXPECT_EQ(i, -1);
    EXPECT_EQ(minr[2], avant);
    EXPECT_EQ(r1, r1Avant);
}

TEST(Maxi, BoundCapsTheLargestValue)
{
    prepare(1, 3, 1, 1, 0, 5);
    EXPECT_EQ(bornes({2, 3}), 5);
    EXPECT_EQ(reste, 1);
    EXPECT_TRUE(M * divis < divid);  // the forward step backtracks
}

TEST(Maxi, StopSequenceWithBoundEndsTheSearch)
{
    prepare(1, 4, 1, 1, 0, 5);
    seq2 = 1;
    s2 = 1;
    x3[1] = 3;
    bornes({3, 4});
    EXPECT_EQ(i, 2);
    prepare(1, 4, 1, 1, 0, 5);
    seq2 = 1;
    s2 = 1;
    x3[1] = 3;
    EXPECT_EQ(bornes({3, 3}), 0);
    EXPECT_EQ(i, -1);
}

TEST(Maxi, EmptyStopSequenceNeverEndsTheSearch)
{
    // A stale first value from a refused entry must not count.
    prepare(1, 4, 1, 1, 0, 5);
    seq2 = 1;
    s2 = 0;
    x3[1] = 3;
    bornes({3, 3});
    EXPECT_EQ(i, 2);
}
