// Validated input: which answers each case code accepts, the value it
// keeps, and the prompt printed again before every attempt.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "interactif/dialogue.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

namespace {

using NTL::ZZ;

// One dialogue reading `reponses`, its output and its last answer kept.
struct Console {
    explicit Console(const std::string& reponses) : entree(reponses), d(entree, sortie) {}
    Entree entree;
    std::ostringstream sortie;
    Dialogue d;
    Reponse reponse;
};

// Asks one question of case cas; returns how many attempts it took (the
// prompt "Q?" is printed once per attempt) and leaves the answer in c.
int essais(Console& c, int cas, bool refuseZero = false)
{
    c.reponse = c.d.controle(cas, "Q?", refuseZero);
    const std::string s = c.sortie.str();
    int compte = 0;
    for (auto p = s.find("Q?"); p != std::string::npos; p = s.find("Q?", p + 1))
        compte++;
    return compte;
}

}  // namespace

TEST(Controle, ChoiceCasesTakeExactlyOneAllowedCharacter)
{
    Console oui("10 01 y 1. 1");
    EXPECT_EQ(essais(oui, 1), 5);
    EXPECT_EQ(oui.reponse.choix, 1);
    Console deux("0 3 2");
    EXPECT_EQ(essais(deux, 2), 3);
    EXPECT_EQ(deux.reponse.choix, 2);
    Console trois("3 + 2");
    EXPECT_EQ(essais(trois, 3), 3);
    EXPECT_EQ(trois.reponse.choix, 2);
    // A NUL byte is not the end of the string of allowed characters.
    Console binaire(std::string("\0 \x01 \xff\r\n1", 8));
    EXPECT_EQ(essais(binaire, 1), 4);
    EXPECT_EQ(binaire.reponse.choix, 1);
}

TEST(Controle, NonNegativeIntegers)
{
    Console refus("-7 007 +0 + 7+ 7a 1e5 +-3 +12");
    EXPECT_EQ(essais(refus, 4), 9);
    EXPECT_EQ(refus.reponse.entier, 12);
    Console zero("0");
    EXPECT_EQ(essais(zero, 4), 1);
    EXPECT_EQ(zero.reponse.entier, 0);
    Console sansZero("0 5");  // n, P, Q
    EXPECT_EQ(essais(sansZero, 4, true), 2);
    EXPECT_EQ(sansZero.reponse.entier, 5);
    // Exact whatever the number of digits, up to 199.
    const std::string chiffres(199, '7');
    Console long199(chiffres);
    essais(long199, 4);
    EXPECT_EQ(long199.reponse.entier, NTL::conv<ZZ>(chiffres.c_str()));
}

TEST(Controle, SignedIntegers)
{
    Console moins("-0 --2 2- - + 05 -05 -25");
    EXPECT_EQ(essais(moins, 5), 8);
    EXPECT_EQ(moins.reponse.entier, -25);
    Console grand("-1000000000000000000000000000001");
    essais(grand, 5);
    EXPECT_EQ(grand.reponse.entier, NTL::conv<ZZ>("-1000000000000000000000000000001"));
    Console plus("+7");
    essais(plus, 5);
    EXPECT_EQ(plus.reponse.entier, 7);
}

TEST(Controle, TwoAnswersOnOneLineServeTwoQuestions)
{
    Console c("1 3\n");
    EXPECT_EQ(c.d.controle(2, "Type?").choix, 1);
    EXPECT_EQ(c.d.controle(4, "n?", true).entier, 3);
    EXPECT_EQ(c.sortie.str(), "Type?n?");
}

TEST(Controle, LongTokensAreRefusedWithoutOverflow)
{
    Console c(std::string(200, '7') + " " + std::string(100000, '9') + " 5");
    EXPECT_EQ(essais(c, 4), 3);
    EXPECT_EQ(c.reponse.entier, 5);
}

TEST(Controle, EndOfInputStopsAsking)
{
    Console c("  \n 7x ");
    EXPECT_THROW(c.d.controle(4, "Q?"), FinDesEntrees);
    EXPECT_EQ(c.sortie.str(), "Q?Q?");
}
