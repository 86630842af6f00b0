// Test helpers: a console whose input is a given text and whose output is
// captured, and a search set up and run as a calculation would run it.
#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/dialogue.h"
#include "report/rapport.h"
#include "search/recherche.h"

// Standard input reads `reponses`; standard output goes to a string.
class Console {
public:
    explicit Console(const std::string& reponses = "")
        : entrees_(reponses),
          ancienneEntree_(std::cin.rdbuf(entrees_.rdbuf())),
          ancienneSortie_(std::cout.rdbuf(sortie_.rdbuf()))
    {
    }
    ~Console()
    {
        std::cin.rdbuf(ancienneEntree_);
        std::cout.rdbuf(ancienneSortie_);
    }
    std::string sortie() const { return sortie_.str(); }

private:
    std::istringstream entrees_;
    std::ostringstream sortie_;
    std::streambuf* ancienneEntree_;
    std::streambuf* ancienneSortie_;
};

// The state a calculation leaves before its search when the user selects
// nothing but the parity and the bound (no sequences, nothing placed).
inline void prepare(int type_, int n_, long p, long q, int parite_ = 0, long borne = 0, long k = 0)
{
    initialise();
    type = type_;
    n = n_;
    dimensionne();
    P1 = p;
    Q1 = q;
    pg = GCD(P1, Q1);
    P = P1 / pg;
    Q = Q1 / pg;
    tri = (parite_ != 0 || borne != 0) ? 1 : 0;
    parite = parite_;
    z = (parite == 0) ? 1 : 2;
    Ma = borne;
    M = borne;
    if (parite == 1 && M != 0 && !IsOdd(M))
        M -= 1;
    if (parite == 2 && IsOdd(M))
        M -= 1;
    L = k;
}

// Runs the search loop of the driver, without its heading or summary.
inline void cherche()
{
    m = 0;
    x[0] = 0;
    m1 = z;
    K1 = 0;
    K2 = 0;
    while (i >= 0 && L != -1) {
        if (type == 2)
            suite2();
        else
            suite();
    }
}

// The solutions printed as rows of the table, in order: the values after
// the "  :      " of each row.
inline std::vector<std::vector<ZZ>> lignes(const std::string& sortie)
{
    std::vector<std::vector<ZZ>> resultat;
    std::istringstream flux(sortie);
    std::string ligne;
    while (std::getline(flux, ligne)) {
        const auto deuxPoints = ligne.find("  :      ");
        if (ligne.rfind("\t \t \t ", 0) != 0 || deuxPoints == std::string::npos)
            continue;
        std::istringstream valeurs(ligne.substr(deuxPoints + 9));
        std::vector<ZZ> solution;
        ZZ v;
        while (valeurs >> v)
            solution.push_back(v);
        resultat.push_back(solution);
    }
    return resultat;
}
