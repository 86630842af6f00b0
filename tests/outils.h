// Test helpers: a whole session of the program run on given answers, with
// its output and exit status, and the rows of the table it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "interactif/dialogue.h"
#include "reference.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

struct Session {
    std::string sortie;
    int statut = 0;
    bool complete = true;  // false when a search went past its step bound
    Compteurs compteurs;
};

inline Session session(const std::string& reponses, const Reglages& reglages = Reglages())
{
    Session s;
    Entree entree(reponses);
    std::ostringstream sortie;
    Dialogue dialogue(entree, sortie);
    dialogue.reglages = reglages;
    try {
        s.statut = dialogue.programme();
    } catch (const TropDePas&) {
        s.complete = false;
    }
    s.sortie = sortie.str();
    s.compteurs = dialogue.compteurs;
    return s;
}

// The plain step machine on ZZ, without any shortcut.
inline Reglages sansRaccourcis()
{
    Reglages r;
    r.raccourcis = false;
    r.finALArret = false;
    return r;
}

// Counts shared between `travailleurs` threads from their first steps on,
// in units of a few prefixes, so that small problems are cut too.
inline Reglages partageForce(int travailleurs)
{
    Reglages r;
    r.travailleurs = travailleurs;
    r.unite = 3;
    r.pasAvantPartage = 0;
    r.periodePartage = 2;
    return r;
}

// The solutions printed as rows, in order: the values after the number
// and the colon of each row (the row of a single solution included).
inline std::vector<std::vector<NTL::ZZ>> lignes(const std::string& sortie)
{
    std::vector<std::vector<NTL::ZZ>> resultat;
    std::istringstream flux(sortie);
    std::string ligne;
    while (std::getline(flux, ligne)) {
        std::istringstream mots(ligne);
        NTL::ZZ numero;
        std::string deuxPoints;
        if (!(mots >> numero >> deuxPoints) || deuxPoints != ":" ||
            ligne.find("  :  ") == std::string::npos)
            continue;
        std::vector<NTL::ZZ> solution;
        NTL::ZZ v;
        while (mots >> v)
            solution.push_back(v);
        resultat.push_back(solution);
    }
    return resultat;
}

// The number of solutions the summary gives, or -1 without a summary.
inline long admet(const std::string& sortie)
{
    const auto p = sortie.rfind("admet  ");
    return p == std::string::npos ? -1 : std::stol(sortie.substr(p + 7));
}

// The answers of one calculation of pb, every row shown, no pause.
inline std::string reponses(const reference::Cas& pb, long k = 0)
{
    std::ostringstream s;
    s << "0 " << pb.type << " " << pb.n << " " << pb.p << " " << pb.q << " ";
    if (pb.parite != 0 || pb.borne != 0)
        s << "1 " << pb.parite << " 0 0 " << pb.borne << " ";
    else
        s << "0 ";
    s << k << " 0";
    return s.str();
}
