// The driver of a search: the special-case check and the heading, the
// search step by step, shared between threads while it is a long count,
// then the last row of a partial table and the summary.
#pragma once

#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

// Runs the search r, set up by its caller, to its end or until the user
// stops it at a pause. Returns 0.
int recherche(Recherche& r);

}  // namespace fractions_unitaires::moteur
