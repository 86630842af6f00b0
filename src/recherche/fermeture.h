// Closing the last two unknowns. With x1 .. x(n-2) fixed and the remainder
// c/d in lowest terms, 1/u + 1/v = c/d exactly when (c u - d)(c v - d) = d^2:
// the values of x(n-1) that complete a solution come from the divisors of
// d^2. The walk of x(n-1), value by value in the plain step machine, then
// either counts the solutions it would meet at once and goes to its last
// value (when no row is to be shown among them), or jumps from one
// completing value to the next, so that each solution is still shown by a
// step. The primes of d are carried down from the prefix, level by level.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "nombres/diviseurs.h"
#include "nombres/facteurs.h"
#include "nombres/mot.h"
#include "recherche/etat.h"
#include "recherche/probleme.h"
#include "recherche/reglages.h"
#include "recherche/resultats.h"

namespace fractions_unitaires::moteur {

// The search a closing serves, as the closing sees it: what it reads, and
// the two things it changes, the counters and the solutions it adds at
// once. Every reference outlives the closing (the search owns both).
struct Servie {
    const Probleme& pb;
    const Reglages& reglages;
    const Mode& mode;
    // The bound and the stop values as words.
    const Etat<Mot>& mots;
    // Changes whenever x1 .. x(n-2) may have changed: what the closing
    // knows of a prefix holds while it stays.
    const std::uint64_t& versionPrefixe;
    // A share of a count: whether its first solution is known yet.
    const Bilan& bilan;
    Compteurs& compteurs;
    // Adds solutions found at once; false, nothing changed, when a row of
    // the table falls among them.
    std::function<bool(const Bilan&)> ajouteBloc;
};

class Fermeture {
public:
    // The pairs of one kind of a walk: how many, and the smallest and
    // largest divisors A among them (meaningless when there are none:
    // Amin starts above every A, so that taking a pair needs no test).
    struct Comptees {
        std::int64_t nombre = 0;
        Empreinte empreinte;
        u128 Amin = ~u128(0), Amax = 0;
        // The pair of A, whose solution hashes to h.
        void prend(u128 A, std::uint64_t h)
        {
            empreinte.ajouteHachage(h);
            Amin = std::min(Amin, A);
            Amax = std::max(Amax, A);
            nombre++;
        }
    };
    // All the pairs, and when both types are counted those whose values
    // are all distinct. Plain numbers: most walks have no pair, and a
    // Bilan is made only for those that have.
    struct Paires {
        Comptees toutes, distinctes;
    };

    explicit Fermeture(const Servie& servie);
    // At the start of a forward step at depth n-1: the value x(n-1) moves
    // to, as the steps it replaces would move it; false when it stays. On
    // ZZ when the sum at depth n-1 does not fit in words, while the
    // unknowns do.
    template <class T>
    bool avance(const Etat<T>& s, Mot& cible);
    // The pairs of the walk of x(n-1) over (bas, haut] under the prefix
    // x1 .. x(n-2) of s, x(n-1) not placed, into p; false when beyond the
    // closing's limits.
    template <class T>
    bool marche(const Etat<T>& s, Mot bas, Mot haut, Paires& p);
    // The solutions of the pairs p of the last walk: their count, the
    // first and last and the largest xn.
    Bilan bilan(const Paires& p) const;

private:
    // Counts how the divisors of a closing were listed.
    void compteMethode(Diviseurs::Methode m)
    {
        if (m != Diviseurs::Methode::AUCUNE)
            servie_.compteurs.n[m == Diviseurs::Methode::MILIEU ? DIVISEURS_MILIEU : DIVISEURS_DIRECTS]++;
    }
    // The unknowns of s as words; false when they do not fit.
    template <class T>
    bool lit(const Etat<T>& s);
    // The value x(n-1) goes to (below its current one); false when it stays.
    bool vers(Mot& cible);
    struct Niveau {
        Mot x;           // x_k (level 0: none)
        u128 c = 0, d = 0;  // the remainder after x1 .. xk, in lowest terms
        Facteurs f;      // the primes of d
        bool croissant = true;  // x1 < ... < xk
        std::uint64_t h = 0;    // the hash of x1 .. xk (see Empreinte)
    };
    // Levels 0 .. n-2 for the current prefix; the limit passed when the
    // remainder or a factorisation is beyond the closing, else NB_CHEMINS.
    Chemin niveaux();
    Chemin niveauxDe();
    Chemin niveau(int k);
    // The pairs whose x(n-1) lies in (bas, haut].
    Paires compte(Mot bas, Mot haut);
    // The pairs of the divisors in [lo, hi] of d^2 counted from the number
    // of its divisors, when no parity and no bound leave any out and
    // [lo, hi] leaves out a few divisors at each end at most, so that
    // they are tried one by one: those of 1 .. plafond, A <= d (A < d:
    // `strict`). False when it cannot be done so.
    bool parNombre(u128 lo, u128 hi, bool strict, Comptees& sortie) const;
    // The divisors A = c u - d for u in (bas, haut] with a pair v >= u
    // (v > u in type 2): [lo, hi]; false when none.
    bool plage(Mot bas, Mot haut, u128& lo, u128& hi) const;
    // The divisors of those whose values are all distinct, when the
    // prefix is increasing: u > x(n-2), v > u. False when none.
    bool plageDistincte(u128 lo, u128 hi, u128& lo2, u128& hi2) const;
    // The completing values of x(n-1) below haut, decreasing, in liste_.
    void prepareListe(Mot bas, Mot haut);
    // Whether the pair of A passes the parities and the bound.
    bool valide(u128 A, Mot haut) const;

    Servie servie_;
    int n_;
    // The unknowns and their smallest values, as words.
    const Vec<Mot>* x_ = nullptr;
    const Vec<Mot>* minr_ = nullptr;
    Vec<Mot> motsX_, motsMinr_;
    Crible crible_;
    Diviseurs diviseurs_;
    std::vector<Niveau> niveaux_;
    int valides_ = 0;       // levels 0 .. valides_-1 are up to date
    bool racineOk_ = false;  // P/Q itself is within the limits
    Facteurs fx_;
    u128 precedent_ = 0;  // the last value of x(n-2) factorised
    // The version of x1 .. x(n-2) the levels and the words were made for.
    std::uint64_t versionNiveaux_ = ~std::uint64_t(0), versionLue_ = ~std::uint64_t(0);
    bool prefixeLu_ = false;  // x1 .. x(n-2) of that version fit in words
    Chemin raisonNiveaux_ = NB_CHEMINS;
    // Whether the stop sequence lets the pairs of this prefix be counted.
    std::uint64_t versionArret_ = ~std::uint64_t(0);
    bool arretEnBloc_ = false;
    std::vector<u128> A_;
    std::vector<std::uint64_t> puissances_;  // s^k of the hash, k = 0 .. n

    // The list of the walk being jumped, and what it was made for.
    std::vector<Mot> liste_;
    std::uint64_t listeVersion_ = 0;
    Mot listeHaut_;
    std::size_t suivant_ = 0;
    bool listeFaite_ = false;
};

}  // namespace fractions_unitaires::moteur
