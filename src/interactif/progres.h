// The status line of a long count: elapsed time, solutions counted and the
// first unknowns, on standard error when it is a terminal, erased before
// the program writes anything else, and when a signal ends the program.
#pragma once

#include <chrono>
#include <ostream>

#include "console/ligne.h"
#include "recherche/sortie.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

class Progres {
public:
    // `terminal`: whether standard error is a terminal (nothing is ever
    // written otherwise).
    Progres(std::ostream& erreur, bool terminal);
    // A search begins.
    void debut();
    // Draws or refreshes the line, once the partial table has counted for
    // two seconds, at most once a second.
    void montre(const Avancement& a);
    // Erases the line if it is on screen.
    void efface();

    // Erases the line when SIGINT, SIGTERM or SIGHUP ends the program.
    static void surSignaux();

private:
    using Horloge = std::chrono::steady_clock;
    console::LigneEtat ligne_;
    Horloge::time_point debut_, derniere_;
};

}  // namespace fractions_unitaires::interactif
