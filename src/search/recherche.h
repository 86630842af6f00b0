// One search: the problem, its walking state on ZZ and on words, its
// results, and the routines that move it: the partial sum (plu, moin), the
// bounds of the next unknown (maxi), the steps of both types (suite,
// arriere, suite2, arriere2), the special cases (exeptions), the display of
// a solution (affiche) and the driver (recherche). Any number of searches
// can run side by side; each owns everything it changes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "search/etat.h"
#include "search/limites.h"
#include "search/probleme.h"
#include "search/resultats.h"
#include "search/sortie.h"

class Fermeture;

// Tunables and test switches of one search.
struct Reglages {
    // The shortcuts: words, and the closing of the last two unknowns from
    // divisors. Off, the search is the plain step machine on ZZ.
    bool raccourcis = true;
    // The search ends as soon as its first values lie below the stop
    // sequence (the cutting walk of a shared count keeps it without the
    // other shortcuts). Off, it walks on to the first solution below.
    bool finALArret = true;
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
extern const char* const NOMS_CHEMINS[NB_CHEMINS];

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
};

class Recherche {
public:
    explicit Recherche(Sortie* sortie = nullptr);
    ~Recherche();
    Recherche(const Recherche&) = delete;
    Recherche& operator=(const Recherche&) = delete;

    Probleme pb;
    Reglages reglages;
    Compteurs compteurs;
    Sortie* sortie;
    Mode mode = Mode::AFFICHE;

    // The walking state: on ZZ, or on words while every number fits.
    Etat<ZZ> zz;
    Etat<Mot> w;
    bool surMots = false;

    Resultats res;
    Bilan bilan;                     // Mode::COMPTE
    std::vector<Vec<ZZ>> releves;    // Mode::RELEVE
    std::int64_t pasFaits = 0;       // steps of this search
    // Changes whenever one of x1 .. x(n-2) may have changed (at every sum
    // taken at those depths): the closing keeps what it knows of a prefix
    // while it stays.
    std::uint64_t versionPrefixe = 0;
    // Sharing: given up after a unit was left unexpectedly; the steps that
    // all workers may still take (tests); the signal that a worker gives
    // its unit up.
    bool partageInterdit = false;
    std::atomic<std::int64_t>* budget = nullptr;
    const std::atomic<bool>* abandon = nullptr;
    // The prefix of the unit being merged, for the status line.
    Vec<ZZ> repere;
    // When set, the seconds each work unit of a shared count took, in the
    // order of the search (for the benchmarks).
    std::vector<double>* durees = nullptr;

    // The special-case check.
    int cas = 0;
    ZZ m0, Pm0, Qm0;
    int T0 = 0;

    // Set-up of a calculation: the reset, then the vectors once n is known.
    void initialise();
    void dimensionne();
    // The walking state alone sized for n, for a search of a problem
    // already set up (a worker, a cutting walk).
    void dimensionneEtat();
    // The depth of whichever state holds the search.
    int i() const { return surMots ? w.i : zz.i; }
    // x1 lies below its smallest value: the next step ends the search.
    bool premiereSousMin() const
    {
        return i() >= 1 && (surMots ? w.x[1] < w.minr[1] : zz.x[1] < zz.minr[1]);
    }

    // The routines, on either number type.
    template <class T> void plu(Etat<T>& s);
    template <class T> void moin(Etat<T>& s);
    // The bounds of x(k+1); sets minr[k+1].
    template <class T> Bornes<T> maxi(Etat<T>& s, int k, const T& Dk, const T& Nk) const;
    template <class T> int suite(Etat<T>& s);
    template <class T> int arriere(Etat<T>& s);
    template <class T> int suite2(Etat<T>& s);
    template <class T> int arriere2(Etat<T>& s);
    template <class T> int montre(Etat<T>& s);
    template <class T> std::int64_t affiche(const Vec<T>& x);

    int exeptions();
    // The search driver: the special-case check, the heading, the search
    // step by step (shared between threads when it is a long count), the
    // last row of a partial table and the summary.
    int recherche();

    // One step of the search: forward (suite or suite2, on words while they
    // fit), with the closing of the last two unknowns before it.
    void pas();
    // Counts work as that many steps against Reglages::pasMax (or the
    // budget of a shared count), and throws TropDePas past it.
    void compteDesPas(std::int64_t nombre);
    // The problem's numbers copied into both states, after the dialogue
    // changed them.
    void prepareProbleme();
    // Ends the search once a value among the first s2 has changed and the
    // first values lie below the stop sequence: no later solution could be
    // shown.
    void verifieArret()
    {
        if (arretAVerifier_)
            finSousArret();
    }
    // The search on words when everything fits; false when it cannot be.
    bool versMots();
    void versZZ();
    // The state on ZZ, brought up to date (x[1..n], minr, N, D, i).
    const Etat<ZZ>& etatZZ();
    // Places the search at x[1..k] (with their minr), depth k, as a step
    // reaching them would: the start of a work unit.
    void place(int k, const Vec<ZZ>& x, const Vec<ZZ>& minr);
    // Places the search of a problem set up, before its first step, at
    // the first values v[1..k] (k < n), checked as the steps that reach
    // them would check them, so that with the same values as the stop
    // sequence it walks the solutions that begin with them. BON, or why no
    // solution begins with them and at which value; the search is over
    // when a bound leaves none below.
    enum class Prefixe { BON, ORDRE, PARITE, HORS_BORNES, SOMME };
    std::pair<Prefixe, int> placePrefixe(const Vec<ZZ>& v, int k);
    // Adds solutions found at once (the pairs of a prefix, or a unit); false,
    // with nothing changed, when a row of the table would fall among them.
    bool ajouteBloc(const Bilan& b);
    // Whether a row of the table falls among the next cnt solutions.
    bool ligneParmi(std::int64_t cnt) const;
    // The place of the next row among the solutions to come (1: the next
    // one), and the solutions from one row to the next (INT64_MAX: past
    // any count).
    std::int64_t prochaineLigne() const;
    std::int64_t periodeLignes() const;
    // A solution met by the cutting walk of a shared count, shown in turn.
    void montreReleve(const Vec<ZZ>& x) { solution(x); }
    // The search is over.
    void termine()
    {
        zz.i = -1;
        w.i = -1;
    }
    // x[k] of the current position (for a shared count, of the unit being
    // merged), for the status line.
    ZZ valeurX(int k) const;

private:
    template <class T> int descendRun(Etat<T>& s, const T& e);
    template <class T> int descendChaine(Etat<T>& s);
    template <class T> bool fermeEnBloc(Etat<T>& s);
    template <class T> void quitteMarche(Etat<T>& s, const T& u);
    template <class T> void complete(Etat<T>& s, const T& haut, bool progressionDe2);
    // One forward step of the search on s (at depth n-2 in a count, the
    // whole walk of x(n-1) at once).
    template <class T> void etape(Etat<T>& s);
    template <class T> int fin(Etat<T>& s);
    template <class T> void pousse(Etat<T>& s, const T& v);
    template <class T> std::pair<T, bool> bornePlus(T rm, int k, long h, const T& qd, const T& divis) const;
    template <class T> std::pair<T, T> progression(const T& rm, int k) const;
    template <class T> bool puissanceTropGrande(const T& rm, long h) const;
    template <class T> void solution(const Vec<T>& x);
    void pasMots();
    // The closing of the last two unknowns, before a forward step at
    // depth n-1.
    template <class T> void ferme(Etat<T>& s);

    std::unique_ptr<Fermeture> fermeture_;
    void finSousArret();
    bool arretAVerifier_ = false;  // one of x1 .. x(s2) changed
    int montres_ = 0;      // solutions shown by the current word step
    int aSauter_ = 0;      // ... to pass over when the step is redone on ZZ
};
