// The status line drawn in place on a terminal.
#include "console/ligne.h"

#include <csignal>
#include <unistd.h>

namespace fractions_unitaires::console {

namespace {

const char EFFACE[] = "\r\033[K";

// Whether a status line is on the terminal. A signal handler can reach
// nothing else than such a flag: it only mirrors what the terminal shows.
volatile std::sig_atomic_t ligneAffichee = 0;

}  // namespace

void LigneEtat::montre(const std::string& texte, bool finale)
{
    if (!terminal_) {
        erreur_ << texte << std::endl;
        return;
    }
    // Raised before the line is drawn: a signal in the middle of the drawing
    // still erases what has reached the terminal.
    ligneAffichee = 1;
    erreur_ << EFFACE << texte << (finale ? "\n" : "") << std::flush;
    affichee_ = !finale;
    if (finale)
        ligneAffichee = 0;
}

void LigneEtat::efface()
{
    if (!terminal_ || !affichee_)
        return;
    erreur_ << EFFACE << std::flush;
    affichee_ = false;
    ligneAffichee = 0;
}

void LigneEtat::effaceSurSignal()
{
    if (ligneAffichee != 0) {
        const ssize_t ecrit = ::write(2, EFFACE, sizeof EFFACE - 1);
        (void)ecrit;
    }
}

}  // namespace fractions_unitaires::console
