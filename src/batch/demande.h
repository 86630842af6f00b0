// What the batch counter is asked, from its command line, checked before
// any work starts.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <NTL/ZZ.h>

#include "search/probleme.h"
#include "search/recherche.h"

struct Demande {
    int n = 0;
    NTL::ZZ P1, Q1;       // the fraction as written
    int type = 1;
    int parite = 0;       // 0 any, 1 odd, 2 even
    NTL::ZZ max;          // bound on xn, 0 = none
    bool liste = false;   // every solution, one line each
    bool json = false;
    int travailleurs = 0; // 0: every core
    bool statut = false;  // progress on standard error
    std::string point;    // checkpoint file
    double chaque = 60;   // seconds between checkpoints
    std::string reprise;  // checkpoint to go on from
    int tranche = 1, tranches = 1;  // the I-th of K slices, 1 <= I <= K
    std::vector<std::string> fusion;  // shard results to add up
    bool estimation = false;
    // Estimated prefixes per work unit; 0: sized from the problem (tests
    // lower it, so that small problems are cut too).
    double unite = 0;
    // Only the solutions that begin with these values (fewer than n).
    std::vector<NTL::ZZ> prefixe;
    // For a caller of the library: told between units (at least every
    // limites::ATTENTE) the share of the work done, the solutions so far
    // and the seconds; false stops the count (what is finished saved
    // first) or the listing, which throw Annulation.
    std::function<bool(double fait, const NTL::ZZ& solutions, double secondes)> suivi;
    // Run by fractions-compte: a checkpointed count saves and ends on
    // SIGINT, SIGTERM and SIGHUP, and a save that fails is told on standard
    // error. A library's caller owns the signals and the terminal.
    bool programme = true;
};

// A bad argument: one line naming it.
struct MauvaisArgument {
    std::string message;
};

// P/Q or P, both positive; throws MauvaisArgument.
Demande lisFraction(const std::string& fraction);
// Checks every value of d as the command line does; throws MauvaisArgument.
void verifie(const Demande& d);

// Parses the command line; throws MauvaisArgument. Returns false when help
// or the version was asked and printed on `sortie` (nothing else to do).
bool lis(int argc, char** argv, Demande& d, std::ostream& sortie);

// The problem of the demand as the interactive program sets it up: the
// fraction in lowest terms, the step and the bound adjusted to the parity,
// the selection made, a prefix as both the start and the stop sequence, no
// row shown.
Probleme probleme(const Demande& d);

// A search of the demand's problem, ready for its first step: at its root,
// or at its prefix (checked: MauvaisArgument when no solution can begin
// with it).
void prepare(Recherche& r, const Demande& d, Mode mode);

const char* nomParite(int parite);
// Values separated by commas, as --prefix takes them.
std::string texte(const std::vector<NTL::ZZ>& valeurs);
