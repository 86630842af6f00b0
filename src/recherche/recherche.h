// One search: the problem, its walking state on ZZ and on words, its
// results, and the routines that move it: the partial sum (plu, moin), the
// bounds of the next unknown (maxi), the steps of both types (suite,
// arriere, suite2, arriere2, in machine.h), the special cases (exeptions)
// and the display of a solution (affiche); pilote.h drives it. Any number
// of searches can run side by side; each owns everything it changes. Its
// public face sets a search up, places it by hand and runs it to its end;
// the sharing layer steps it through the rest.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recherche/etat.h"
#include "limites.h"
#include "recherche/probleme.h"
#include "recherche/reglages.h"
#include "recherche/resultats.h"
#include "recherche/sortie.h"

namespace fractions_unitaires::moteur {

class Fermeture;
class FermetureDirecte;

// Appends x[1..n] as one line of a listing (see Reglages::lignesJson).
template <class T>
void ecritLigne(std::string& s, const Vec<T>& x, int n, bool json);

class Recherche {
public:
    explicit Recherche(Sortie* sortie = nullptr);
    ~Recherche();
    Recherche(const Recherche&) = delete;
    Recherche& operator=(const Recherche&) = delete;

    // Given to the search by its caller.
    Reglages reglages;
    // What the search went through.
    Compteurs compteurs;
    // When set, the seconds each work unit of a shared count took, in the
    // order of the search (for the benchmarks).
    std::vector<double>* durees = nullptr;

    // The search of pb set up to run from its root, in mode m: the walking
    // state sized, the problem's numbers on both number types.
    void installe(const Probleme& pb, const Reglages& r, Mode m);
    // The problem completed (its selection, bound and display) while the
    // search stays where the start sequence put it; its numbers are taken
    // up at its first step.
    void completeProbleme(const Probleme& pb);
    const Probleme& probleme() const { return pb; }

    // The special-case check, its verdict given to the output.
    Issue exeptions();

    // Moving the search on ZZ by hand, before its first step (the start
    // sequence, the estimator's random paths): the bounds of the next
    // unknown; x[k] set to v at depth k, the sum taken; one step back; the
    // search over.
    Bornes<ZZ> bornesSuivante();
    void descend(int k, const ZZ& v);
    void recule();
    void termine()
    {
        zz.i = -1;
        w_.i = -1;
    }
    // Places the search at x[1..k] (with their minr), depth k, as a step
    // reaching them would: the start of a work unit.
    void place(int k, const Vec<ZZ>& x, const Vec<ZZ>& minr);
    // The walking state on ZZ set to s, as a search that reached it.
    void placeEtat(const Etat<ZZ>& s);
    // Places the search of a problem set up, before its first step, at
    // the first values v[1..k] (k < n), checked as the steps that reach
    // them would check them, so that with the same values as the stop
    // sequence it walks the solutions that begin with them. BON, or why no
    // solution begins with them and at which value; the search is over
    // when a bound leaves none below.
    enum class Prefixe { BON, ORDRE, PARITE, HORS_BORNES, SOMME };
    std::pair<Prefixe, int> placePrefixe(const Vec<ZZ>& v, int k);

    // The depth of whichever state holds the search (-1: over).
    int i() const { return surMots_ ? w_.i : zz.i; }
    // The state on ZZ, brought up to date (x[1..n], minr, N, D, i).
    const Etat<ZZ>& etatZZ();
    // Walks the search to its end on this thread, in Mode::COMPTE or
    // LISTE, and returns what it found (the lines of a listing are kept
    // for prendLignes).
    Bilan parcourt();
    std::string prendLignes() { return std::exchange(lignes_, std::string()); }
    // Where the search stands, for the status line.
    Avancement avancement() const;

private:
    // The sharing of a search moves it step by step through what is
    // private here: the cut walks it (Decoupe), the workers walk units
    // (Equipe), the table's driver shares it between them (Conduite).
    friend class Decoupe;
    friend class Equipe;
    friend struct Conduite;

    Mode mode() const { return mode_; }
    // x[k] lies below v (held as a word too, when it fits: vMot).
    bool xSous(int k, const ZZ& v, const Mot* vMot) const
    {
        return surMots_ ? (vMot != nullptr && w_.x[k] < *vMot) : zz.x[k] < v;
    }
    // Before a unit counted apart: its own solutions, counters and steps
    // (Reglages::pasMax bounds each unit, unless a budget is shared).
    void nouvelleUnite()
    {
        bilan_ = Bilan();
        lignes_.clear();
        compteurs = Compteurs();
        pasFaits_ = 0;
    }
    // What the search found in Mode::COMPTE or LISTE, taken out of it.
    Bilan prendBilan() { return std::exchange(bilan_, Bilan()); }
    // The solutions a cutting walk (Mode::RELEVE) met since it was last
    // asked.
    std::vector<Vec<ZZ>> prendReleves() { return std::exchange(releves_, std::vector<Vec<ZZ>>()); }
    // A worker of a shared count: the steps all workers may still take
    // together (tests; null: Reglages::pasMax alone), and the signal to
    // give its unit up.
    void rejoint(std::atomic<std::int64_t>* budget, const std::atomic<bool>* abandon)
    {
        budget_ = budget;
        abandon_ = abandon;
    }
    bool abandonDemande() const { return abandon_ != nullptr && abandon_->load(std::memory_order_relaxed); }
    // Sharing is given up for the rest of the search once a unit was left
    // elsewhere than the cutting walk expected.
    bool partageInterdit() const { return partageInterdit_; }
    void interditPartage() { partageInterdit_ = true; }
    // The steps this search took.
    std::int64_t pasFaits() const { return pasFaits_; }
    // x1 lies below its smallest value: the next step ends the search.
    bool premiereSousMin() const
    {
        return i() >= 1 && (surMots_ ? w_.x[1] < w_.minr[1] : zz.x[1] < zz.minr[1]);
    }

    // The walking state alone sized for n.
    void dimensionneEtat();
    // The routines, on either number type.
    template <class T> void plu(Etat<T>& s);
    template <class T> void moin(Etat<T>& s);
    // The bounds of x(k+1); sets minr[k+1].
    template <class T> Bornes<T> maxi(Etat<T>& s, int k, const T& Dk, const T& Nk) const;
    template <class T> void suite(Etat<T>& s);
    template <class T> void arriere(Etat<T>& s);
    template <class T> void suite2(Etat<T>& s);
    template <class T> void arriere2(Etat<T>& s);
    template <class T> int montre(Etat<T>& s);
    template <class T> std::int64_t affiche(const Vec<T>& x);

    // The start of a calculation (see pilote.h): the special-case check,
    // the heading, the counts reset; false when the check settled it.
    bool debut();
    // Its end: the last row of a partial table, and the summary.
    void conclut();

    // One step of the search: forward (suite or suite2, on words while they
    // fit), with the closing of the last two unknowns before it.
    void pas();
    // Counts work as that many steps against Reglages::pasMax (or the
    // budget of a shared count), and throws TropDePas past it.
    void compteDesPas(std::int64_t nombre);
    // The problem's numbers copied into both states, after it changed.
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
    // The unit counted apart ended the whole search.
    void termineUnite() { bilan_.finie = true; }

    template <class T> void descendRun(Etat<T>& s, const T& e);
    template <class T> void descendChaine(Etat<T>& s);
    template <class T> bool fermeEnBloc(Etat<T>& s);
    template <class T> void quitteMarche(Etat<T>& s, const T& u);
    template <class T> void complete(Etat<T>& s, const T& haut, bool progressionDe2);
    // One forward step of the search on s (at depth n-2 in a count, the
    // whole walk of x(n-1) at once).
    template <class T> void etape(Etat<T>& s);
    template <class T> void fin(Etat<T>& s);
    template <class T> void pousse(Etat<T>& s, const T& v);
    template <class T> std::pair<T, bool> bornePlus(T rm, int k, long h, const T& qd, const T& divis) const;
    template <class T> std::pair<T, T> progression(const T& rm, int k) const;
    template <class T> bool puissanceTropGrande(const T& rm, long h) const;
    template <class T> void solution(const Vec<T>& x);
    void pasMots();
    // The closing of the last two unknowns, before a forward step at
    // depth n-1.
    template <class T> void ferme(Etat<T>& s);
    // The closing, made at its first use.
    Fermeture& fermeture();
    // The recount's closing, before a forward step at depth n-1 on ZZ.
    void fermeDirecte();

    Probleme pb;
    Sortie* sortie;
    // The walking state on ZZ; the search moves to words while every
    // number fits.
    Etat<ZZ> zz;
    Resultats res;
    // The prefix of the unit being merged, for the status line.
    Vec<ZZ> repere;
    Mode mode_ = Mode::AFFICHE;
    // The state on words, and which of the two holds the search.
    Etat<Mot> w_;
    bool surMots_ = false;
    Bilan bilan_;                     // Mode::COMPTE and LISTE
    std::string lignes_;              // Mode::LISTE
    std::vector<Vec<ZZ>> releves_;    // Mode::RELEVE
    // Changes whenever one of x1 .. x(n-2) may have changed (at every sum
    // taken at those depths): the closing keeps what it knows of a prefix
    // while it stays.
    std::uint64_t versionPrefixe_ = 0;
    bool partageInterdit_ = false;
    std::atomic<std::int64_t>* budget_ = nullptr;
    const std::atomic<bool>* abandon_ = nullptr;
    std::unique_ptr<Fermeture> fermeture_;
    std::unique_ptr<FermetureDirecte> directe_;
    std::int64_t pasFaits_ = 0;
    void finSousArret();
    bool arretAVerifier_ = false;  // one of x1 .. x(s2) changed
    int montres_ = 0;      // solutions shown by the current word step
    int aSauter_ = 0;      // ... to pass over when the step is redone on ZZ
};

}  // namespace fractions_unitaires::moteur
