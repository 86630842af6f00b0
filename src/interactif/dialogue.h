// The console dialogue: the validated reading of every answer (controle),
// the set-up of each calculation (calcul), and the whole program from its
// banner to its end (programme). It owns the search of its calculation.
#pragma once

#include <ostream>
#include <string_view>

#include <NTL/ZZ.h>

#include "interactif/entree.h"
#include "interactif/tableau.h"
#include "limites.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

class Progres;

// An answer that has the form asked for: the digit of a choice (cases 1 to
// 3 of controle) or the integer (cases 4 and 5).
struct Reponse {
    int choix = 0;
    NTL::ZZ entier;
};

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

    // Asks one question until the answer has the form of case cas: a digit
    // among 0 and 1 (case 1), 1 and 2 (2), 0 to 2 (3), an integer >= 0 (4),
    // or a signed integer (5). refuseZero also refuses 0 in case 4.
    Reponse controle(int cas, std::string_view question, bool refuseZero = false);

private:
    // One calculation, from its first question to the end of its search.
    void calcul();
    void demandeProbleme(Recherche& r, Probleme& pb);
    void demandeSelection(Recherche& r, Probleme& pb);
    NTL::ZZ demandeValeur(int k);
    bool enOrdre(int type, const NTL::ZZ& v, const NTL::ZZ& precedente, int longueur);
    void sequenceDepart(Recherche& r, Probleme& pb);
    void sequenceArret(Probleme& pb);

    Entree& in_;
    std::ostream& out_;
    Progres* progres_;
    Tableau tableau_;
};

}  // namespace fractions_unitaires::interactif
