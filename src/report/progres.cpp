// The status line of a long count.
#include "report/progres.h"

#include <csignal>
#include <sstream>
#include <string>
#include <unistd.h>


namespace {

// The line must fit one row of a terminal, or the carriage return that
// erases it would leave its beginning on the row above.
const std::size_t LARGEUR = 79;

// Whether a status line is on the terminal. A signal handler can reach
// nothing else than such a flag: this one is the only state of the program
// shared by all searches, and it only mirrors what the terminal shows.
volatile std::sig_atomic_t ligneAffichee = 0;

const char EFFACE[] = "\r\033[K";

extern "C" void finParSignal(int numero)
{
    if (ligneAffichee != 0) {
        const ssize_t ecrit = ::write(2, EFFACE, sizeof EFFACE - 1);
        (void)ecrit;
    }
    std::signal(numero, SIG_DFL);
    std::raise(numero);
}

}  // namespace

Progres::Progres(std::ostream& erreur, bool terminal) : erreur_(erreur), terminal_(terminal) {}

void Progres::debut()
{
    efface();
    debut_ = Horloge::now();
}

void Progres::montre(const Avancement& a)
{
    if (!terminal_ || !a.partiel)
        return;
    const Horloge::time_point maintenant = Horloge::now();
    if (maintenant - debut_ < std::chrono::seconds(2))
        return;
    if (affichee_ && maintenant - derniere_ < std::chrono::seconds(1))
        return;
    derniere_ = maintenant;
    const long secondes = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(maintenant - debut_).count());
    std::string texte = " " + std::to_string(secondes) + " s   " + std::to_string(a.solutions) + " solutions";
    for (long k = 1; k < a.premieres.length(); k++) {
        std::ostringstream v;
        v << a.premieres[k];
        texte += "   x" + std::to_string(k) + " = " + v.str();
    }
    if (texte.size() > LARGEUR)
        texte.resize(LARGEUR);
    // Raised before the line is drawn: a signal in the middle of the drawing
    // still erases what has reached the terminal.
    ligneAffichee = 1;
    erreur_ << EFFACE << texte << std::flush;
    affichee_ = true;
}

void Progres::efface()
{
    if (!affichee_)
        return;
    erreur_ << EFFACE << std::flush;
    affichee_ = false;
    ligneAffichee = 0;
}

void Progres::surSignaux()
{
    for (int numero : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction actuelle;
        // A signal ignored at start (nohup, background jobs) stays ignored.
        if (sigaction(numero, nullptr, &actuelle) == 0 && actuelle.sa_handler == SIG_IGN)
            continue;
        std::signal(numero, finParSignal);
    }
}
