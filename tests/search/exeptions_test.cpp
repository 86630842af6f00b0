// The check made before any search (impossible data, data against the
// bound, the trivial and single-solution cases) and the summary that closes
// a finished search, each compared with its full printed text.
#include <gtest/gtest.h>

#include <string>

#include "../outils.h"

namespace {

// Runs the check on the state in place; returns its result and its text.
std::pair<int, std::string> verifie()
{
    Console console;
    const int retour = exeptions();
    return {retour, console.sortie()};
}

std::string resume()
{
    Console console;
    resultat();
    return console.sortie();
}

using Verdict = std::pair<int, std::string>;

const std::string TROP_GRAND = " \n \t P/Q est trop grand. \n \n ";
const std::string SEULE = "\n \n \t    Une seule solution : \n";

}  // namespace

TEST(Exeptions, OddUnknownsImpossibleWithoutAWord)
{
    prepare(1, 3, 1, 2, 1);  // Q even
    EXPECT_EQ(verifie(), Verdict(2, ""));
    prepare(2, 4, 1, 6, 1);
    EXPECT_EQ(verifie(), Verdict(2, ""));
    prepare(1, 2, 1, 1, 1);  // n even, P odd
    EXPECT_EQ(verifie(), Verdict(2, ""));
    prepare(1, 3, 2, 3, 1);  // n odd, P even
    EXPECT_EQ(verifie(), Verdict(2, ""));
    prepare(1, 3, 1, 1, 1);  // possible: (3, 3, 3) among others
    EXPECT_EQ(verifie(), Verdict(1, ""));
    prepare(1, 2, 2, 3);     // the parity rules apply only to odd unknowns
    EXPECT_EQ(verifie(), Verdict(1, ""));
}

TEST(Exeptions, DataAgainstTheBound)
{
    prepare(1, 6, 1, 1, 0, 5);
    EXPECT_EQ(verifie(),
              Verdict(2, "\n \n \t Les donnees ne verifient pas les conditions requises :   P/Q >= n/M \n \n"));
    prepare(1, 6, 1, 1, 0, 6);  // P/Q = n/M is allowed
    EXPECT_EQ(verifie(), Verdict(1, ""));
    // The test uses the bound as entered (7), not the even bound (6).
    prepare(1, 7, 1, 1, 2, 7);
    EXPECT_EQ(verifie(), Verdict(1, ""));
}

TEST(Exeptions, TrivialCaseStillSearches)
{
    prepare(1, 1, 1, 5);
    EXPECT_EQ(verifie(), Verdict(1, "\n \t CAS TRIVIAL \n"));
}

TEST(Exeptions, FractionTooLarge)
{
    prepare(1, 3, 4, 1);
    EXPECT_EQ(verifie(), Verdict(2, TROP_GRAND));
    prepare(2, 3, 2, 1);  // above 1 + 1/2 + 1/3
    EXPECT_EQ(verifie(), Verdict(2, TROP_GRAND));
}

TEST(Exeptions, SingleSolution)
{
    prepare(1, 3, 3, 1);
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     1\t \t1\t \t1\t \t\n\n"));
    prepare(2, 3, 11, 6);
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     1\t \t2\t \t3\t \t\n\n"));
    prepare(2, 2, 3, 4, 2);
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     2\t \t4\t \t\n\n"));
    EXPECT_EQ(m0, 2);
    EXPECT_EQ(T0, 2);
    prepare(2, 3, 22, 12);  // 11/6 entered as 22/12
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     1\t \t2\t \t3\t \t\n\n"));
}

TEST(Exeptions, BoundTooSmall)
{
    prepare(2, 3, 3, 2, 0, 2);
    EXPECT_EQ(verifie(), Verdict(2, " \n \t  M est trop petit. \n \n "));
    prepare(1, 3, 2, 1, 0, 2);  // (1, 2, 2) fits
    EXPECT_EQ(verifie(), Verdict(1, ""));
}

TEST(Exeptions, StopSequenceRaisesTheSmallestCandidate)
{
    prepare(1, 3, 1, 1);
    seq2 = 1;
    s2 = 1;
    x3[1] = 3;
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     3\t \t3\t \t3\t \t\n\n"));
    EXPECT_EQ(m0, 3);

    s2 = 2;  // stop sequence 3, 3: the search finds (3, 3, 3) itself
    x3[2] = 3;
    EXPECT_EQ(verifie(), Verdict(1, ""));

    // All even, stop sequence 5: the candidate starts at 6, and (6, 6, 6)
    // is the only solution of 1/2.
    prepare(1, 3, 1, 2, 2);
    seq2 = 1;
    s2 = 1;
    x3[1] = 5;
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     6\t \t6\t \t6\t \t\n\n"));
    EXPECT_EQ(m0, 6);
}

TEST(Exeptions, EmptyStopSequenceIsNoStopSequence)
{
    // A stop sequence asked for but left empty: a stale first value is
    // ignored.
    prepare(1, 3, 1, 1);
    seq2 = 1;
    s2 = 0;
    x3[1] = 7;
    EXPECT_EQ(verifie(), Verdict(1, ""));
    EXPECT_EQ(m0, 1);

    prepare(2, 3, 11, 6);
    seq2 = 1;
    s2 = 0;
    x3[1] = 0;
    EXPECT_EQ(verifie(), Verdict(2, SEULE + "\n \t \t \t 1  :     1\t \t2\t \t3\t \t\n\n"));
    EXPECT_EQ(m0, 1);
}

// The summary --------------------------------------------------------------

const std::string EQUATION3 =
    "\n\n \t L'equation Diophantienne a  3  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  ";
const std::string EGALES = " \n \t Des inconnues d'une meme solution pouvant etre egales. ";
const std::string DIFFERENTES = " \n \t Les inconnues d'une meme solution etant toutes differentes. ";

TEST(Resultat, ReducedFractionAndNoSolution)
{
    prepare(1, 3, 2, 4);
    K1 = 0;
    m = 0;
    m1 = 1;
    EXPECT_EQ(resume(), EQUATION3 + "2/4 = 1/2 ,  (n = 3) ,  admet  0   solution(s). \n " + EGALES + "\n");
}

TEST(Resultat, FractionInLowestTermsWithExtremes)
{
    prepare(1, 3, 1, 2);
    K1 = 10;
    m = 42;
    m1 = 3;
    EXPECT_EQ(resume(), EQUATION3 + "1/2 ,  (n = 3) ,  admet  10   solution(s). \n " + EGALES + "\n" +
                            " \n \t  42  est la plus grande valeur prise par xn. " +
                            " \n \t  3  est la plus petite valeur prise par x1. \n ");
}

TEST(Resultat, BoundWithoutSolutionTypeTwo)
{
    prepare(2, 3, 1, 1, 0, 10);  // (2, 3, 6) would need the bound 5 or more
    K1 = 0;
    m = 0;
    m1 = 1;
    EXPECT_EQ(resume(), EQUATION3 + "1/1 ,  (n = 3) ,  admet  0   solution(s). \n " + DIFFERENTES +
                            "  Elles sont egalement  toutes de parites indifferentes. \n \n " +
                            " \n \t  La plus grande inconnue, xn,  devant etre inferieure ou egale a   10"
                            "  et prenant   0  pour plus grande valeur. ");
}

TEST(Resultat, EvenBoundShownAsEntered)
{
    prepare(1, 3, 1, 2, 2, 15);
    ASSERT_EQ(M, 14);
    K1 = 3;  // (6, 6, 6), (4, 8, 8), (4, 6, 12)
    m = 12;
    m1 = 4;
    EXPECT_EQ(resume(), EQUATION3 + "1/2 ,  (n = 3) ,  admet  3   solution(s). \n " + EGALES +
                            "  Elles sont egalement toutes paires. \n \n " +
                            " \n \t  La plus grande inconnue, xn,  devant etre inferieure ou egale a   15"
                            "  et prenant   12  pour plus grande valeur. " +
                            " \n \t  4  est la plus petite valeur prise par x1. \n ");
}

TEST(Resultat, StartAndStopSequences)
{
    prepare(1, 4, 1, 2);
    tri = 1;
    seq = 1;
    s = 2;
    x2[1] = 6;
    x2[2] = 7;
    K1 = 0;
    m = 0;
    m1 = 1;
    const std::string debut =
        "\n\n \t L'equation Diophantienne a  4  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  "
        "1/2 ,  (n = 4) ,  admet  0   solution(s). \n " +
        EGALES;
    const std::string depart =
        " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), inferieures ou egales a la "
        "sequence : \t 6  |  7  |   . \n";
    EXPECT_EQ(resume(), debut + "  Elles sont egalement  toutes de parites indifferentes. \n \n " + depart);

    parite = 1;
    seq2 = 1;
    s2 = 3;
    x3[1] = 5;
    x3[2] = 9;
    x3[3] = 11;
    EXPECT_EQ(resume(), debut + "  Elles sont egalement  toutes impaires. \n \n " + depart +
                            " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), superieures ou "
                            "egales a la sequence : \t 5  |  9  |  11  |   . \n");
}
