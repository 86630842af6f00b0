// The engine's face: the problem of a count (Enonce), how it is run
// (Options), who is told how it goes (Observateur), and the one error of
// bad data, which each front end shows in its own way.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <NTL/ZZ.h>

#include "recherche/probleme.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

// Data that cannot be counted: one line naming what is wrong.
struct Erreur {
    std::string message;
};

// A count or a listing stopped by its observer.
struct Annulation {};

struct Enonce {
    int n = 0;
    ZZ P, Q;  // the fraction as written
    int type = 1;
    // Both types counted in one walk (type is then 1); not for a listing.
    bool lesDeux = false;
    Parite parite = Parite::INDIFFERENTE;
    ZZ max;  // bound on xn, 0 = none
    // Only the solutions that begin with these values (fewer than n).
    std::vector<ZZ> prefixe;
    int tranche = 1, tranches = 1;  // the I-th of K slices, 1 <= I <= K
};

struct Options {
    int travailleurs = 0;  // 0: every core
    std::string point;     // checkpoint file, none when empty
    double chaque = 60;    // seconds between checkpoints
    std::string reprise;   // checkpoint to go on from
    // Estimated prefixes per work unit; 0: sized from the problem (tests
    // lower it, so that small problems are cut too).
    double unite = 0;
    // Tests only: a fault planted in the closing (Reglages::fauteTest).
    std::int64_t fauteTest = 0;
};

// How far a count is.
struct Progression {
    double fait = 0;  // share of this shard's estimated work, 0 to 1
    std::int64_t unites = 0, unitesTotal = 0;  // of this shard, merged and in all
    ZZ solutions;
    ZZ distinctes;  // of a count of both types: those of type 2
    double secondes = 0;  // with those of the runs before a resume
    double reste = 0;     // estimated seconds left (NaN: unknown)
    bool fin = false;     // the count is done
    bool inventaire = false;  // the units are still being listed: nothing else is known
};

// Told how a count goes, from the thread that runs it.
class Observateur {
public:
    virtual ~Observateur() = default;
    // Between units, at least every limites::ATTENTE, and once at the end;
    // false stops the count (what is finished is saved first) with
    // Annulation.
    virtual bool progres(const Progression&) { return true; }
    // A checkpoint could not be saved: the count goes on, and tries again
    // at the next one.
    virtual void echecSauvegarde(const std::string& /*chemin*/, const std::string& /*raison*/) {}
};

// P/Q or P, both positive; throws Erreur.
std::pair<ZZ, ZZ> lisFraction(const std::string& fraction);
// Checks every value as a count needs it; throws Erreur.
void verifie(const Enonce& e, const Options& o = {});

const char* nomParite(Parite p);
// Values separated by commas, as a prefix is written.
std::string texte(const std::vector<ZZ>& valeurs);

// The problem of e as the interactive program sets it up: the fraction in
// lowest terms, the step and the bound adjusted to the parity, the
// selection made, a prefix as both the start and the stop sequence, no row
// shown.
Probleme probleme(const Enonce& e);

// A search of e, ready for its first step: at its root, or at its prefix
// (Erreur when no solution can begin with it).
void prepare(Recherche& r, const Enonce& e, Mode mode);

// How a count begins, once its search r is prepared: settled by the special
// cases (their verdict left in v, with the single solution of UNIQUE), a
// few pairs counted at once (fewer than three unknowns, r.parcourt()), or
// cut into work units.
enum class Depart { REGLE, DIRECT, UNITES };
Depart commence(Recherche& r, const Enonce& e, Mode mode);

}  // namespace fractions_unitaires::moteur
