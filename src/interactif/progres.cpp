// The status line of a long count.
#include "interactif/progres.h"

#include <csignal>
#include <sstream>
#include <string>

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

namespace {

// The line must fit one row of a terminal, or the carriage return that
// erases it would leave its beginning on the row above.
const std::size_t LARGEUR = 79;

extern "C" void finParSignal(int numero)
{
    console::LigneEtat::effaceSurSignal();
    std::signal(numero, SIG_DFL);
    std::raise(numero);
}

}  // namespace

Progres::Progres(std::ostream& erreur, bool terminal) : ligne_(erreur, terminal) {}

void Progres::debut()
{
    efface();
    debut_ = Horloge::now();
}

void Progres::montre(const Avancement& a)
{
    if (!ligne_.terminal() || !a.partiel)
        return;
    const Horloge::time_point maintenant = Horloge::now();
    if (maintenant - debut_ < std::chrono::seconds(2))
        return;
    if (ligne_.affichee() && maintenant - derniere_ < std::chrono::seconds(1))
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
    ligne_.montre(texte);
}

void Progres::efface() { ligne_.efface(); }

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

}  // namespace fractions_unitaires::interactif
