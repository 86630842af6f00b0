// The console dialogue: the validated reading of every answer (controle),
// the set-up of each calculation (calcul), and the whole program from its
// banner to its end (programme). It owns the search of its calculation.
#pragma once

#include <ostream>

#include <NTL/ZZ.h>

#include "dialogue/entree.h"
#include "report/tableau.h"
#include "search/limites.h"
#include "search/recherche.h"

class Progres;

// No further answer can be read: input ended (erreur 0) or failed (errno).
struct FinDesEntrees {
    int erreur = 0;
};

class Dialogue {
public:
    Dialogue(Entree& entree, std::ostream& sortie, Progres* progres = nullptr);

    // Given to the search of every calculation (tests and fuzzing change
    // them).
    Reglages reglages;
    // What the searches of this dialogue went through, summed; and, when
    // set, where the seconds of each work unit of their shared counts go.
    Compteurs compteurs;
    std::vector<double>* durees = nullptr;

    // The whole program: banner, explanations, calculations until the user
    // declines another. Returns the exit status: 1, or 2 when no answer
    // can be read any more (FinDesEntrees, with its reason, is left in
    // `fin`).
    int programme();
    FinDesEntrees fin;

    // Classifies one character of an answer: 1 for a digit or a sign.
    int valtest(char caract1);
    // Asks one question until the answer has the form of case cas; the
    // answer is left in valeur2 (cases 1 to 3) or valeur (cases 4 and 5).
    int controle(int cas, const char* chaine);

    // The console state, under its usual names.
    static constexpr int TAILLE = limites::TAILLE;
    char message[TAILLE] = {};
    char messa1[TAILLE] = {}, messa2[TAILLE] = {}, messa3[TAILLE] = {};
    int lm1 = 0, lm2 = 0, lm3 = 0;
    int nmess = 0;  // 1: controle shows messa1, messa2, messa3 instead
    int xn = 0;     // 1: controle refuses the answer 0
    char entree[TAILLE] = {};
    NTL::ZZ valeur;     // last integer answer
    int valeur2 = 0;    // last choice answer
    NTL::ZZ valtest1;
    int valtest2 = 0;
    int l = 0, l1 = 0, a = 0, a1 = 0;
    int refaire = 0;
    int expli = 0, recalc = 0;
    // The set-up of the sequences.
    NTL::ZZ deb, deb3, deb2;
    int stop1 = 0, re = 0, sc = 0, g = 0, j = 0;

private:
    int pose(int cas, const char* question);
    int calcul();
    void lit();
    bool entierPositif();
    bool entierSigne();
    bool choix(const char* permis);
    void demandeValeur(int k);
    void ordre(Recherche& r, const NTL::ZZ& v, const NTL::ZZ& precedente, int longueur);
    void sequenceDepart(Recherche& r);
    void sequenceArret(Recherche& r);

    Entree& in_;
    std::ostream& out_;
    Progres* progres_;
    Tableau tableau_;
};
