// The shortcuts (machine words, pairs closed from divisors) change nothing
// that the program prints: random whole sessions, run with and without
// them, give the same output byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "outils.h"
#include "search/mots.h"

namespace {

struct Issue {
    std::string sortie;
    int statut = 0;
    bool complet = true;  // false when the search went past the step bound
};

Issue session(const std::string& reponses, bool avecRaccourcis, std::int64_t limite, int bits = 126,
              int aideDes = 1000)
{
    Issue issue;
    raccourcis = avecRaccourcis;
    bitsMots = bits;
    nAide = aideDes;
    pasMax = limite;
    {
        Console console(reponses);
        try {
            issue.statut = programme();
        } catch (const TropDePas&) {
            issue.complet = false;
        }
        issue.sortie = console.sortie();
    }
    raccourcis = true;
    bitsMots = 126;
    nAide = 7;
    pasMax = 0;
    return issue;
}

// A random dialogue of one or two calculations. Answers that do not fit
// the questions are refused or taken by later ones, the same way in both
// runs, so any input is a fair comparison.
std::string dialogue(std::mt19937& alea)
{
    auto entre = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(alea); };
    auto choisi = [&](std::initializer_list<int> valeurs) {
        return *(valeurs.begin() + entre(0, static_cast<int>(valeurs.size()) - 1));
    };
    std::string s = "0\n";
    const int calculs = entre(1, 2);
    for (int c = 0; c < calculs; c++) {
        const int n = choisi({1, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 6});
        s += std::to_string(entre(1, 2)) + "\n" + std::to_string(n) + "\n";
        s += std::to_string(entre(1, 13)) + "\n" + std::to_string(entre(1, 13)) + "\n";
        const bool tri = entre(0, 2) > 0;
        s += tri ? "1\n" : "0\n";
        if (tri) {
            s += std::to_string(entre(0, 2)) + "\n";
            for (int sequence = 0; sequence < 2; sequence++) {
                const int valeurs = entre(0, 3);
                s += valeurs > 0 ? "1\n" : "0\n";
                if (valeurs > 0) {
                    int v = entre(1, 6);
                    for (int t = 0; t < valeurs; t++) {
                        s += std::to_string(v) + "\n";
                        v += entre(0, 8);
                    }
                    s += "0\n";
                }
            }
            s += std::to_string(choisi({0, 0, 4, 6, 9, 12, 20, 30, 42, 60, 100})) + "\n";
        }
        s += std::to_string(choisi({0, 0, 1, 2, 3, 5, -1, -2, -3, -7, -50, -1000})) + "\n";
        for (int pause = 0; pause < 4; pause++)
            s += std::to_string(choisi({0, 1, 2, 3, -1, -2, -4})) + "\n";
        s += (c + 1 < calculs) ? "1\n" : "0\n";
    }
    return s;
}

}  // namespace

TEST(Raccourcis, RandomSessionsPrintTheSameWithAndWithout)
{
    std::mt19937 alea(20261206);
    int compares = 0;
    const int essais = 400;
    for (int t = 0; t < essais; t++) {
        const std::string reponses = dialogue(alea);
        const Issue rapide = session(reponses, true, 100000);
        if (!rapide.complet)
            continue;
        const Issue lent = session(reponses, false, 30000);
        if (!lent.complet)
            continue;
        compares++;
        ASSERT_EQ(rapide.statut, lent.statut) << reponses;
        ASSERT_EQ(rapide.sortie, lent.sortie) << reponses;
        // Words that hold only 16 bits: the search goes back and forth
        // between words and ZZ at every size, and still prints the same.
        const Issue etroit = session(reponses, true, 0, 16);
        ASSERT_EQ(etroit.sortie, lent.sortie) << reponses;
        // With the helper process from n = 5 on.
        const Issue aidee = session(reponses, true, 0, 126, 5);
        ASSERT_EQ(aidee.sortie, lent.sortie) << reponses;
    }
    // Most sessions are small enough to compare.
    EXPECT_GT(compares, essais * 3 / 4);
}

TEST(Raccourcis, LargeCountsAgree)
{
    // Type 1 and 2, P/Q = 1, n = 5, and 2/3 with n = 5: whole tables.
    for (const char* reponses : {"0 1 5 1 1 0 0 0", "0 2 5 1 1 0 0 0", "0 1 5 2 3 0 0 0",
                                 "0 2 5 2 3 1 1 0 0 0 -3 0", "0 1 5 1 2 1 2 0 0 0 -5 0"}) {
        const Issue rapide = session(reponses, true, 0);
        const Issue lent = session(reponses, false, 0);
        EXPECT_EQ(rapide.sortie, lent.sortie) << reponses;
    }
}

TEST(Raccourcis, HelperProcessChangesNothing)
{
    // Long counts with and without the helper that counts subtrees from the
    // end: the same rows (one in K), the same last row and summary.
    for (const char* reponses : {"0 1 7 1 1 0 -1000000 0", "0 2 7 1 1 0 -1000000 0", "0 1 6 2 3 0 -997 0",
                                 "0 2 6 2 3 0 -5000 0", "0 1 7 1 1 1 1 0 0 0 -2 0", "0 2 6 1 1 0 -3 0",
                                 "0 1 6 1 1 1 0 1 2 4 0 0 0 -100 0", "0 2 6 3 4 1 0 0 0 500 -77 0"}) {
        const Issue seul = session(reponses, true, 0, 126, 1000);
        const Issue aidee = session(reponses, true, 0, 126, 5);
        EXPECT_EQ(aidee.sortie, seul.sortie) << reponses;
        EXPECT_NE(seul.sortie.find("FIN DU CALCUL"), std::string::npos) << reponses;
    }
}
