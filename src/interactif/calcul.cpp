// One calculation: the questions of the set-up dialogue, turned into the
// problem and the first position of its search (reduced fraction, step,
// bound, start and stop sequences), then the search itself.
#include <algorithm>
#include <string>

#include "interactif/dialogue.h"
#include "partage/pilote.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

namespace {

// Whether the stop sequence lies above the start sequence at their first
// difference: the search would end before its first solution.
bool arretAuDessus(const Probleme& pb)
{
    const int g = std::min(pb.s, pb.s2);
    for (int j = 1; j <= g; j++)
        if (pb.x3[j] != pb.x2[j])
            return pb.x2[j] < pb.x3[j];
    return false;
}

// Puts the start value v of x(pb.s) in the position of the search, lowered
// to the parity and to the largest value its bounds leave; below the
// smallest, the search is left to step back from x(pb.s - 1). Returns true
// when v could not be taken as typed: the position then no longer follows
// the sequence, and its later values are only recorded.
bool placeDepart(Recherche& r, const Probleme& pb, ZZ v)
{
    const ZZ tape = v;
    // The largest value; 0 when the bounds end the search.
    const Bornes<ZZ> b = r.bornesSuivante();
    if (b.fin)
        r.termine();
    const ZZ haut = b.fin ? ZZ(0) : b.haut;
    if (!convient(pb.parite, v))
        v -= 1;
    if (v > haut)
        v = haut;
    if (v < r.etatZZ().minr[pb.s]) {
        r.recule();
        return true;
    }
    r.descend(pb.s, v);
    return v != tape;
}

}  // namespace

// Asks the value of unknown k of a sequence.
ZZ Dialogue::demandeValeur(int k)
{
    const std::string question = "\n \t  x" + std::to_string(k) + " =  ([0] si fin) ?  ";
    return controle(4, question).entier;
}

// Whether the value v (not 0) typed after `longueur` values of a sequence
// keeps the order of the type against the previous one; if not, the user is
// told why before the question comes again.
bool Dialogue::enOrdre(int type, const ZZ& v, const ZZ& precedente, int longueur)
{
    if (longueur == 0)
        return true;
    if (type == 2 && v <= precedente) {
        out_ << " \n \t La valeur doit etre strictement superieure a la precedente. Recommencez ! \n";
        return false;
    }
    if (type != 2 && v < precedente) {
        out_ << " \n \t La valeur doit etre superieur ou egale a la precedente. Recommencez ! \n";
        return false;
    }
    return true;
}

// The start sequence, applied to the unknowns as it is typed; 0 ends it.
void Dialogue::sequenceDepart(Recherche& r, Probleme& pb)
{
    pb.s = 0;
    bool horsSequence = false;
    while (pb.s < pb.n - 1) {
        const ZZ v = demandeValeur(pb.s + 1);
        if (v == 0)
            break;
        if (!enOrdre(pb.type, v, pb.x2[pb.s], pb.s))
            continue;
        pb.s++;
        pb.x2[pb.s] = v;
        if (!horsSequence)
            horsSequence = placeDepart(r, pb, v);
    }
}

// The stop sequence, only recorded; asked again until it lies at or below
// the start sequence.
void Dialogue::sequenceArret(Probleme& pb)
{
    for (;;) {
        pb.s2 = 0;
        while (pb.s2 < pb.n - 1) {
            const ZZ v = demandeValeur(pb.s2 + 1);
            if (v == 0)
                break;
            if (enOrdre(pb.type, v, pb.x3[pb.s2], pb.s2)) {
                pb.s2++;
                pb.x3[pb.s2] = v;
            }
        }
        if (!arretAuDessus(pb))
            return;
        out_ << " \n \t La deuxieme serie de valeurs doit etre sous la premiere, recommencez cette derniere! \n";
    }
}

// The equation: its type, its number of unknowns (which sizes the search)
// and its fraction, reduced.
void Dialogue::demandeProbleme(Recherche& r, Probleme& pb)
{
    pb.type = controle(2, " \n \n \t Type d'equation :  1  ou  2  ?  : \t").choix;

    ZZ n;
    do
        n = controle(4, " \n \n \t Nombre d'inconnues,  n ? : \t", true).entier;
    while (n > limites::NMAX);
    pb.n = NTL::conv<int>(n);
    pb.x2.SetLength(pb.n + 1);
    pb.x3.SetLength(pb.n + 1);

    pb.P1 = controle(4, "\n \t Valeur de P ? : \t", true).entier;
    pb.Q1 = controle(4, "\n \t Valeur de Q ? : \t", true).entier;
    pb.pg = GCD(pb.P1, pb.Q1);
    pb.P = pb.P1 / pb.pg;
    pb.Q = pb.Q1 / pb.pg;
    r.installe(pb, reglages, Mode::AFFICHE);
}

// The selection of the solutions shown: parity, start and stop sequences,
// bound on xn.
void Dialogue::demandeSelection(Recherche& r, Probleme& pb)
{
    pb.parite = static_cast<Parite>(controle(3, "\n \t Parite des inconnues,  PAIRE = 2 ,  IMPAIRE = 1 , INDIFFERENTE = 0 ? \t: ").choix);
    if (pb.parite != Parite::INDIFFERENTE)
        pb.z = 2;
    // The start values are placed under the parity.
    r.completeProbleme(pb);

    pb.seq = controle(1, " \n \t Commencer la recherche a partir de valeurs des premieres inconnues,   Oui [1] / Non [0] ?\t: ").choix;
    if (pb.seq == 1) {
        sequenceDepart(r, pb);
    } else if (pb.n > 1) {
        // x1 at its largest admissible value. With n = 1 the search itself
        // finds the only unknown, as without a selection.
        r.descend(1, r.bornesSuivante().haut);
    }

    pb.seq2 = controle(1, "\n \t Terminer la recherche pour certaines valeurs des premieres inconnues,  Oui [1] / Non [0] ?\t: ").choix;
    if (pb.seq2 == 1)
        sequenceArret(pb);

    out_ << std::endl << "\n \t (Pour P/Q = 1, on prouve mathematiquement que la plus grande valeur de xn possible est T(n) = T(n-1)x(T(n-1) + 1) , T1 valant 1.) \n";
    pb.M = controle(4, "\n  \t Majorant pour xn,  M [rentrez zero sinon] ?  : \t").entier;
}

void Dialogue::calcul()
{
    Recherche r(&tableau_);
    r.durees = durees;
    Probleme pb;
    demandeProbleme(r, pb);

    pb.tri = controle(1, " \n  \n \t Voulez vous selectionner les solutions a afficher, Oui [1] / Non [0]  ? \t").choix;
    if (pb.tri == 1)
        demandeSelection(r, pb);

    // The verdicts speak of the bound as typed (Ma); the search stops at
    // the largest value of the parity below it.
    pb.Ma = pb.M;
    pb.M = borneApplicable(pb.parite, pb.Ma);

    out_ << "\n \n \n \t S'il y a un grand nombre de solutions, vous pouvez faire une pause au bout de K solutions. ";
    pb.L = controle(5, "\n \n \t Valeur de K ou autre option que vous avez choisie : \n \n \t [K] / [zero, pas de limite] / [-K (K>1), pas de limite et affichage toutes les K solutions] ?    \t").entier;

    r.completeProbleme(pb);
    recherche(r);
    compteurs.ajoute(r.compteurs);
}

}  // namespace fractions_unitaires::interactif
