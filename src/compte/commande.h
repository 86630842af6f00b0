// The batch counter as a command: the parsed demand carried out and its
// result printed, for one process or for rank 0 of many.
#pragma once

#include <ostream>

#include "compte/demande.h"
#include "moteur/comptage.h"
#include "moteur/estimation.h"
#include "moteur/verification.h"

namespace fractions_unitaires::lot {
using namespace fractions_unitaires::moteur;

// Carries out d (a count, a merge, an estimate or a listing), its units
// counted by `atelier` when given; prints the result on `sortie`.
void execute(const Demande& d, std::ostream& sortie, Atelier* atelier = nullptr);

// The estimate e of the count of d, as text or (d.json) as JSON.
void ecritEstimation(std::ostream& out, const Demande& d, const Estimation& e);

// Runs main's work: parses argv, calls `travail` with the demand, maps the
// failures to exit statuses (2 bad argument, 3 output not writable, 1
// other) with one line on standard error. Unless `parle`, a bad argument
// and the help are left to another process (the ranks of an MPI run).
int commande(int argc, char** argv, void (*travail)(Demande&, std::ostream&), bool parle = true);

}  // namespace fractions_unitaires::lot
