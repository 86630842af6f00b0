// What a search runs under and reports besides its results: its settings
// (shortcuts, threads, unit sizes, the limits tests lower), the paths it
// can take with their counters, and what it does with each solution.
#pragma once

#include <cstdint>

#include "limites.h"

namespace fractions_unitaires::moteur {

// Tunables and test switches of one search.
struct Reglages {
    // The shortcuts: words, and the closing of the last two unknowns from
    // divisors. Off, the search is the plain step machine on ZZ.
    bool raccourcis = true;
    // The search ends as soon as its first values lie below the stop
    // sequence (the cutting walk of a shared count keeps it without the
    // other shortcuts). Off, it walks on to the first solution below.
    bool finALArret = true;
    // With raccourcis off: the recount of a unit, the plain step machine on
    // ZZ with x(n-1) jumped from one completing value to the next, listed
    // from every divisor of d^2 (FermetureDirecte).
    bool recompte = false;
    // Every solution counted is hashed into the fingerprint of its share.
    // Off (the interactive program, which shows none), the pairs of a
    // prefix may be counted from the number of divisors of d^2 alone,
    // without forming each.
    bool empreintes = true;
    // Tests only: when positive, the closing of a prefix whose x(n-2) is
    // this value drops its last pair (a planted fault for the recount to
    // find).
    std::int64_t fauteTest = 0;
    // Threads of a count shared between cores; 0: every core.
    int travailleurs = 0;
    // Estimated prefixes per work unit, and the steps before a count is
    // shared: tests lower both to share small counts.
    double unite = limites::UNITE;
    std::int64_t pasAvantPartage = limites::PAS_AVANT_PARTAGE;
    // Steps allowed to the whole search, for tests and fuzzing; past them
    // the search throws TropDePas. 0: no bound.
    std::int64_t pasMax = 0;
    long periodePartage = limites::PERIODE_PARTAGE;
    // Limits of the factorisations, lowered by tests so that the paths for
    // large numbers run on small problems.
    int bitsCrible = limites::BITS_CRIBLE;
    std::int64_t fenetre = limites::FENETRE;
    std::int64_t marcheCourte = limites::MARCHE_COURTE;
    int bitsFactorisation = limites::BITS_FACTORISATION;
    int bitsD = limites::BITS_D;
    int bitsC = limites::BITS_C;
    // The lines of a listing: JSON arrays (numbers past 2^53 as strings),
    // or values separated by spaces.
    bool lignesJson = false;
};

// The search went past Reglages::pasMax.
struct TropDePas {};

// The paths a search can take besides the plain step machine; a test
// requires each of them to be taken.
enum Chemin {
    PAS_MOTS,           // steps on words
    PAS_ZZ,             // steps on ZZ
    DEBORDEMENT,        // a word step overflowed and was redone on ZZ
    RETOUR_MOTS,        // the search came back to words
    PROBLEME_HORS_MOTS, // P or Q beyond words: the search stays on ZZ
    BORNE_HORS_MOTS,    // M above every word: no bound on words
    PREFIXES,           // prefixes x1 .. x(n-2) whose pairs were closed
    FERME_COMPTE,       // the pairs of a prefix counted at once
    FERME_SAUT,         // the walk of x(n-1) jumped to a completing value
    HORS_LIMITES_PQ,    // P or Q beyond the closing: the plain walk
    HORS_LIMITES_X,     // an unknown of the prefix beyond 64 bits
    HORS_LIMITES_D,     // the denominator of the remainder beyond 2^125
    HORS_LIMITES_C,     // its numerator beyond 2^62
    FACTEURS_CRIBLE,    // a value of x(n-2) factorised from a sieve window
    FACTEURS_SEULS,     // a value factorised alone (trial division, rho)
    FACTEURS_HORS_CRIBLE, // a value of x(n-2) beyond the sieve, alone
    FACTEURS_RHO,       // Pollard's rho found a factor
    DIVISEURS_MILIEU,   // divisors matched by residues, meet in the middle
    DIVISEURS_DIRECTS,  // divisors listed one by one
    DIVISEURS_FORME,    // the count of divisors from their number (c <= 2)
    PARTAGE_UNITE,      // a work unit counted by a worker
    PARTAGE_MARCHE,     // a work unit walked by the search itself to show a row
    FIN_A_L_ARRET,      // the search ended where it passed below the stop sequence
    NB_CHEMINS
};
inline const char* const NOMS_CHEMINS[NB_CHEMINS] = {
    "pas sur mots",          "pas sur ZZ",          "debordement",        "retour aux mots",
    "probleme hors mots",    "borne hors mots",     "prefixes fermes",    "paires comptees",
    "sauts de paires",
    "P ou Q hors limites",   "inconnue hors limites", "d hors limites",   "c hors limites",
    "facteurs du crible",    "facteurs seuls",      "facteurs hors crible", "rho de Pollard",
    "diviseurs au milieu",   "diviseurs directs",   "diviseurs en nombre", "unites partagees",
    "unites parcourues",     "fins a l'arret",
};

struct Compteurs {
    std::int64_t n[NB_CHEMINS] = {};
    void ajoute(const Compteurs& autre)
    {
        for (int k = 0; k < NB_CHEMINS; k++)
            n[k] += autre.n[k];
    }
};

// What a search does with each solution it finds.
enum class Mode {
    AFFICHE,  // numbers and shows it (affiche): the search of a calculation
    COMPTE,   // adds it to `bilan`: a worker of a shared count
    RELEVE,   // keeps it in `releves`: the walk that cuts a count into units
    LISTE,    // counts it in `bilan` and writes it as a line of `lignes`:
              // a worker of a listing
};

// Whether each solution is met by a step of its own, never counted at once
// with others.
inline bool uneParUne(Mode m) { return m == Mode::RELEVE || m == Mode::LISTE; }

}  // namespace fractions_unitaires::moteur
