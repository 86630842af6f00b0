// The table of solutions as the user sees it: heading, numbered rows, the
// pause every K rows and the answers to it, the partial table with its last
// row, and the extremes reported by the summary. Every expected text is
// written out in full.
#include <gtest/gtest.h>

#include <string>

#include "../outils.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

namespace {

const std::string TETE = "\n\n \t \t Tableau des solutions numerotees : \n\n";
const std::string PARTIEL = "\n\n \t \t Tableau partiel des solutions numerotees : \n\n";
const std::string PAUSE =
    "\n \n \t Nombre K de solutions suivantes a afficher ou autre option :  \n \n \t "
    "[K] / [zero, pas de limite] / [-1, arreter] / [-K (K>1), pas de  limite et "
    "affichage toutes les K solutions] ?    \t";
const std::string APRES = "\n\n";  // the two line ends after an answer
const std::string FIN = "\n \n \t FIN DU CALCUL\n\n\n";

// Type 1, n = 2, P/Q = 1/12: (x1-12)(x2-12) = 144, one solution per divisor
// d <= 12 of 144, so 8 solutions.
const std::string D12[] = {
    "",
    "\t \t \t 1  :      24\t \t24\t \t\n",
    "\t \t \t 2  :      21\t \t28\t \t\n",
    "\t \t \t 3  :      20\t \t30\t \t\n",
    "\t \t \t 4  :      18\t \t36\t \t\n",
    "\t \t \t 5  :      16\t \t48\t \t\n",
    "\t \t \t 6  :      15\t \t60\t \t\n",
    "\t \t \t 7  :      14\t \t84\t \t\n",
    "\t \t \t 8  :      13\t \t156\t \t\n",
};
const std::string BILAN12 =
    "\n\n \t L'equation Diophantienne a  2  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  1/12"
    " ,  (n = 2) ,  admet  8   solution(s). \n "
    " \n \t Des inconnues d'une meme solution pouvant etre egales. \n"
    " \n \t  156  est la plus grande valeur prise par xn. "
    " \n \t  13  est la plus petite valeur prise par x1. \n ";

// Type 1, n = 2, P/Q = 1/64: 144 becomes 4096 = 2^12, 7 solutions.
const std::string D64[] = {
    "",
    "\t \t \t 1  :      128\t \t128\t \t\n",
    "\t \t \t 2  :      96\t \t192\t \t\n",
    "\t \t \t 3  :      80\t \t320\t \t\n",
    "\t \t \t 4  :      72\t \t576\t \t\n",
    "\t \t \t 5  :      68\t \t1088\t \t\n",
    "\t \t \t 6  :      66\t \t2112\t \t\n",
    "\t \t \t 7  :      65\t \t4160\t \t\n",
};
const std::string BILAN64 =
    "\n\n \t L'equation Diophantienne a  2  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  1/64"
    " ,  (n = 2) ,  admet  7   solution(s). \n "
    " \n \t Des inconnues d'une meme solution pouvant etre egales. \n"
    " \n \t  4160  est la plus grande valeur prise par xn. "
    " \n \t  65  est la plus petite valeur prise par x1. \n ";

// Type 1, n = 2, P/Q = 1/6: 36 has five divisors up to 6.
const std::string D6[] = {
    "",
    "\t \t \t 1  :      12\t \t12\t \t\n",
    "\t \t \t 2  :      10\t \t15\t \t\n",
    "\t \t \t 3  :      9\t \t18\t \t\n",
    "\t \t \t 4  :      8\t \t24\t \t\n",
    "\t \t \t 5  :      7\t \t42\t \t\n",
};
const std::string BILAN6 =
    "\n\n \t L'equation Diophantienne a  2  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  1/6"
    " ,  (n = 2) ,  admet  5   solution(s). \n "
    " \n \t Des inconnues d'une meme solution pouvant etre egales. \n"
    " \n \t  42  est la plus grande valeur prise par xn. "
    " \n \t  7  est la plus petite valeur prise par x1. \n ";

// n = 3, P/Q = 5/11, the same three solutions for both types. The largest
// xn, 220, belongs to the first solution, not the last.
const std::string D511[] = {
    "",
    "\t \t \t 1  :      4\t \t5\t \t220\t \t\n",
    "\t \t \t 2  :      3\t \t11\t \t33\t \t\n",
    "\t \t \t 3  :      3\t \t9\t \t99\t \t\n",
};
const std::string BILAN511_DEBUT =
    "\n\n \t L'equation Diophantienne a  3  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  5/11"
    " ,  (n = 3) ,  admet  3   solution(s). \n ";
const std::string BILAN511_FIN =
    " \n \t  220  est la plus grande valeur prise par xn. "
    " \n \t  3  est la plus petite valeur prise par x1. \n ";

// A calculation without selection and with the display option k, the
// answers `reponses` typed at the pauses: what it prints after the last
// question and before the separator.
std::string calcule(int type, int n, long p, long q, long k, const std::string& reponses,
                    const Reglages& reglages = Reglages())
{
    const std::string sortie =
        session("0 " + std::to_string(type) + " " + std::to_string(n) + " " + std::to_string(p) + " " +
                    std::to_string(q) + " 0 " + std::to_string(k) + " " + reponses + " 0",
                reglages)
            .sortie;
    const std::string question = "toutes les K solutions] ?    \t";
    const auto debut = sortie.find(question) + question.size();
    return sortie.substr(debut, sortie.find("-----", debut) - debut);
}

}  // namespace

TEST(Pause, EveryThreeThenTwoThenNoMore)
{
    EXPECT_EQ(calcule(1, 2, 1, 12, 3, "2 0"),
              TETE + D12[1] + D12[2] + D12[3] + PAUSE + APRES + D12[4] + D12[5] + PAUSE + APRES +
                  D12[6] + D12[7] + D12[8] + BILAN12 + FIN);
}

TEST(Pause, AfterEveryRowAndAfterTheLastOne)
{
    // The refused answer -0 brings the question back once.
    EXPECT_EQ(calcule(1, 3, 5, 11, 1, "1 -0 1 1"),
              TETE + D511[1] + PAUSE + APRES + D511[2] + PAUSE + PAUSE + APRES + D511[3] + PAUSE +
                  APRES + BILAN511_DEBUT +
                  " \n \t Des inconnues d'une meme solution pouvant etre egales. \n" + BILAN511_FIN + FIN);
}

TEST(Pause, MinusOneStopsWithoutSummary)
{
    EXPECT_EQ(calcule(1, 2, 1, 12, 2, "-1"), TETE + D12[1] + D12[2] + PAUSE + APRES);
}

TEST(Pause, MinusFourTurnsToThePartialTable)
{
    EXPECT_EQ(calcule(1, 2, 1, 12, 2, "-4"),
              TETE + D12[1] + D12[2] + PAUSE + APRES + D12[3] + "\n" + D12[7] + "\n" + D12[8] + BILAN12 +
                  FIN);
}

TEST(TableauPartiel, RowsOneFourSevenThenTheLastAgain)
{
    EXPECT_EQ(calcule(1, 2, 1, 64, -3, ""),
              PARTIEL + D64[1] + "\n" + D64[4] + "\n" + D64[7] + "\n" + D64[7] + BILAN64 + FIN);
    EXPECT_EQ(calcule(1, 2, 1, 6, -3, ""), PARTIEL + D6[1] + "\n" + D6[4] + "\n" + D6[5] + BILAN6 + FIN);
    // The largest xn belongs to the first solution, not the last.
    EXPECT_EQ(calcule(2, 3, 5, 11, -5, ""),
              PARTIEL + D511[1] + "\n" + D511[3] + BILAN511_DEBUT +
                  " \n \t Les inconnues d'une meme solution etant toutes differentes. \n" + BILAN511_FIN + FIN);
}

// A shared count shows the rows of the partial table where the search alone
// shows them, for every period, the rows falling at the edges of the units
// or inside them, with any number of workers.
TEST(TableauPartiel, SharedCountsShowTheSameRows)
{
    struct Cas {
        int type, n;
        long p, q;
    };
    const Cas cas[] = {{1, 5, 1, 1}, {2, 5, 1, 1}, {1, 5, 2, 3}, {2, 6, 3, 4}, {1, 4, 1, 3}};
    for (const Cas& c : cas)
        for (long k : {-2L, -3L, -7L, -64L, -1000L, -100000L}) {
            const std::string seule = calcule(c.type, c.n, c.p, c.q, k, "");
            for (int travailleurs : {1, 2, 5}) {
                Reglages r = partageForce(travailleurs);
                ASSERT_EQ(calcule(c.type, c.n, c.p, c.q, k, "", r), seule)
                    << c.type << " " << c.n << " " << c.p << "/" << c.q << " K = " << k << ", "
                    << travailleurs << " workers";
            }
        }
}
