// Validated input: which answers each case code accepts, the value it
// keeps, and the prompt printed again before every attempt.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "outils.h"

namespace {

// Asks one question of case cas with the answers `reponses`; returns what
// was printed. Ends the test with a failure if input runs out.
std::string demande(int cas, const std::string& reponses, int refuseZero = 0)
{
    Console console(reponses);
    xn = refuseZero;
    nmess = 0;
    controle(cas, "Q?");
    xn = 0;
    return console.sortie();
}

// How many times the prompt "Q?" was printed: one per attempt.
int essais(const std::string& sortie)
{
    int compte = 0;
    for (auto p = sortie.find("Q?"); p != std::string::npos; p = sortie.find("Q?", p + 1))
        compte++;
    return compte;
}

}  // namespace

TEST(Controle, ChoiceCasesTakeExactlyOneAllowedCharacter)
{
    // Yes/no: 10, 01, y, "1." are refused; 1 is taken on the fifth attempt.
    EXPECT_EQ(essais(demande(1, "10 01 y 1. 1")), 5);
    EXPECT_EQ(valeur2, 1);
    EXPECT_EQ(essais(demande(1, "0")), 1);
    EXPECT_EQ(valeur2, 0);
    // Choice of two: 0 refused, 2 taken.
    EXPECT_EQ(essais(demande(2, "0 3 2")), 3);
    EXPECT_EQ(valeur2, 2);
    // Choice of three: 2 taken at once, 3 and + refused.
    EXPECT_EQ(essais(demande(3, "3 + 2")), 3);
    EXPECT_EQ(valeur2, 2);
}

TEST(Controle, NonNegativeIntegers)
{
    EXPECT_EQ(essais(demande(4, "+7")), 1);
    EXPECT_EQ(valeur, 7);
    // Each of these is refused, then 12 is taken.
    EXPECT_EQ(essais(demande(4, "-7 007 +0 + 7+ 7a 1e5 +-3 12")), 9);
    EXPECT_EQ(valeur, 12);
    EXPECT_EQ(essais(demande(4, "0")), 1);
    EXPECT_EQ(valeur, 0);
    // 0 refused when it cannot be an answer (n, P, Q).
    EXPECT_EQ(essais(demande(4, "0 5", 1)), 2);
    EXPECT_EQ(valeur, 5);
    // Exact whatever the number of digits.
    const std::string soixante = "123456789012345678901234567890123456789012345678901234567890";
    demande(4, soixante);
    EXPECT_EQ(valeur, NTL::conv<ZZ>(soixante.c_str()));
}

TEST(Controle, SignedIntegers)
{
    demande(5, "-1");
    EXPECT_EQ(valeur, -1);
    demande(5, "-25");
    EXPECT_EQ(valeur, -25);
    demande(5, "+7");
    EXPECT_EQ(valeur, 7);
    demande(5, "-12");
    EXPECT_EQ(valeur, -12);
    demande(5, "0");
    EXPECT_EQ(valeur, 0);
    demande(5, "-1000000000000000000000000000001");
    EXPECT_EQ(valeur, NTL::conv<ZZ>("-1000000000000000000000000000001"));
    EXPECT_EQ(essais(demande(5, "-0 --2 2- - + 05 -05 3")), 8);
    EXPECT_EQ(valeur, 3);
}

TEST(Controle, TwoAnswersOnOneLineServeTwoQuestions)
{
    Console console("1 3\n");
    controle(2, "Type?");
    EXPECT_EQ(valeur2, 1);
    xn = 1;
    controle(4, "n?");
    xn = 0;
    EXPECT_EQ(valeur, 3);
    EXPECT_EQ(console.sortie(), "Type?n?");
}

TEST(Controle, ThreePiecePromptReplacesTheText)
{
    Console console("x 4");
    std::strcpy(messa1, "\n \t  xZZZ");
    lm1 = 6;
    std::strcpy(messa2, "3");
    lm2 = 1;
    std::strcpy(messa3, " =  ([0] si fin) ?  ");
    lm3 = 20;
    nmess = 1;
    controle(4, "ignored");
    nmess = 0;
    EXPECT_EQ(valeur, 4);
    // Only lm1 characters of messa1 are shown; the prompt comes back after "x".
    EXPECT_EQ(console.sortie(), "\n \t  x3 =  ([0] si fin) ?  \n \t  x3 =  ([0] si fin) ?  ");
}

TEST(Controle, LongTokensAreRefusedWithoutOverflow)
{
    const std::string cent99(199, '7');
    demande(4, cent99);
    EXPECT_EQ(valeur, NTL::conv<ZZ>(cent99.c_str()));
    const std::string deuxCents(200, '7');
    EXPECT_EQ(essais(demande(4, deuxCents + " " + std::string(100000, '9') + " 5")), 3);
    EXPECT_EQ(valeur, 5);
}

TEST(Controle, BinaryGarbageIsRefused)
{
    EXPECT_EQ(essais(demande(1, std::string("\0 \x01 \xff\r\n1", 8))), 4);
    EXPECT_EQ(valeur2, 1);
}

TEST(Controle, EndOfInputStopsAsking)
{
    Console console("  \n 7x ");
    EXPECT_THROW(controle(4, "Q?"), FinDesEntrees);
    EXPECT_EQ(console.sortie(), "Q?Q?");
}

TEST(Controle, UnknownCaseAsksNothing)
{
    Console console("1");
    EXPECT_EQ(controle(6, "Q?"), 0);
    EXPECT_EQ(console.sortie(), "");
}
