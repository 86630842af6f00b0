// What the batch counter is asked, from its command line, checked before
// any work starts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <NTL/ZZ.h>

#include "moteur/enonce.h"

namespace fractions_unitaires::lot {
using namespace fractions_unitaires::moteur;

struct Demande {
    Enonce enonce;
    Options options;
    bool liste = false;   // every solution, one line each
    bool json = false;
    bool statut = false;  // progress on standard error
    std::vector<std::string> fusion;  // shard results to add up
    bool estimation = false;
    // Units recounted after the count (0: none), drawn with this seed
    // (drawn itself when not given).
    std::int64_t verification = 0;
    bool graineDonnee = false;
    std::uint64_t graine = 0;
};

// Parses the command line; throws Erreur. Returns false when help or the
// version was asked and printed on `sortie` (nothing else to do).
bool lis(int argc, char** argv, Demande& d, std::ostream& sortie);

}  // namespace fractions_unitaires::lot
