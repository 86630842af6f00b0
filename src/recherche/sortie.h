// What a search shows and asks, given by whoever runs it: the console table
// of the interactive program implements it on the report side, the batch
// counter its own listing. The search never writes or reads anything else.
#pragma once

#include <cstdint>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "recherche/probleme.h"
#include "recherche/resultats.h"

namespace fractions_unitaires::moteur {

// What the special-case check leaves: a search to run, or a count settled
// (its verdict given).
enum class Issue { RECHERCHE, REGLE };

// The cases that the special-case check settles or announces.
enum class Verdict {
    IMPAIRS,     // all odd unknowns cannot sum to P/Q: nothing is printed
    CONDITIONS,  // P/Q < n/M
    TRIVIAL,     // n = 1: announced, then searched
    TROP_GRAND,  // P/Q above the largest sum
    M_PETIT,     // the smallest candidate passes M
    UNIQUE,      // the smallest candidate is the only solution
};

// How far a long count is, for a status line: the solutions so far and
// the first unknowns where the search stands (of the unit being merged,
// when the count is shared).
struct Avancement {
    std::int64_t solutions = 0;
    NTL::Vec<NTL::ZZ> premieres;  // x1 .. x3 at most, from index 1
    bool partiel = false;         // the partial table: rows are rare
};

class Sortie {
public:
    virtual ~Sortie() = default;
    // The verdict of the special-case check; with UNIQUE, the single
    // solution x[1..n] (empty otherwise).
    virtual void verdict(Verdict v, const NTL::Vec<NTL::ZZ>& unique) = 0;
    // The heading of the table for the display option L, and the two line
    // ends after it.
    virtual void entete(const NTL::ZZ& L) = 0;
    // One row of the table: the number and x[1..n].
    virtual void ligne(std::int64_t numero, const NTL::Vec<NTL::ZZ>& x, int n) = 0;
    // The empty line after a row of the partial table.
    virtual void ligneVide() = 0;
    // The pause question; its answer, the new display option, then the two
    // line ends after it.
    virtual NTL::ZZ pause() = 0;
    // The summary of a search of pb that ran to its end with the results
    // res, then the closing line.
    virtual void resultat(const Probleme& pb, const Resultats& res) = 0;
    // Called now and then during a long search: a status line may show how
    // far it is.
    virtual void progres(const Avancement&) {}
};

// A search that shows nothing: the verdict of its special-case check,
// kept (a batch count, an estimate).
class Verdicts : public Sortie {
public:
    Verdict dernier = Verdict::TRIVIAL;
    NTL::Vec<NTL::ZZ> unique;  // the single solution of UNIQUE
    int nombre = 0;            // verdicts given

    void verdict(Verdict v, const NTL::Vec<NTL::ZZ>& x) override
    {
        dernier = v;
        unique = x;
        nombre++;
    }
    void entete(const NTL::ZZ&) override {}
    void ligne(std::int64_t, const NTL::Vec<NTL::ZZ>&, int) override {}
    void ligneVide() override {}
    NTL::ZZ pause() override { return NTL::ZZ(0); }
    void resultat(const Probleme&, const Resultats&) override {}
};

}  // namespace fractions_unitaires::moteur
