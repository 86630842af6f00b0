// The status line of a long count: elapsed time, solutions counted and the
// first unknowns, on standard error and only when it is a terminal.
#include "report/progres.h"

#include <unistd.h>

#include <chrono>
#include <sstream>
#include <iostream>
#include <string>

#include "search/etat.h"

std::int64_t pasFaits = 0;

namespace {

using Horloge = std::chrono::steady_clock;

bool terminal = false;
bool affichee = false;
Horloge::time_point debut, derniere;

// The line must fit one row of a terminal, or the carriage return that
// erases it would leave its beginning on the row above.
const std::size_t LARGEUR = 79;

std::string enTexte(Mot v)
{
    const bool negatif = v < 0;
    unsigned __int128 u = negatif ? -static_cast<unsigned __int128>(v) : v;
    std::string t;
    do {
        t.insert(t.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
        u /= 10;
    } while (u != 0);
    return negatif ? "-" + t : t;
}

std::string enTexte(const ZZ& v)
{
    std::ostringstream flux;
    flux << v;
    return flux.str();
}

}  // namespace

void progresDebut()
{
    terminal = isatty(2) == 1;
    affichee = false;
    debut = Horloge::now();
}

void progres()
{
    if (!terminal || L >= -1)
        return;
    const Horloge::time_point maintenant = Horloge::now();
    if (maintenant - debut < std::chrono::seconds(2))
        return;
    if (affichee && maintenant - derniere < std::chrono::seconds(1))
        return;
    derniere = maintenant;
    const long secondes = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(maintenant - debut).count());
    std::string texte = " " + std::to_string(secondes) + " s   " + std::to_string(K1) + " solutions";
    // While the search runs on words, the ZZ unknowns are stale.
    for (int k = 1; k <= i && k <= 3 && k <= n; k++)
        texte += "   x" + std::to_string(k) + " = " + (w.actif ? enTexte(w.x[k]) : enTexte(x[k]));
    if (texte.size() > LARGEUR)
        texte.resize(LARGEUR);
    std::cout.flush();
    std::cerr << "\r\033[K" << texte << std::flush;
    affichee = true;
}

void progresEfface()
{
    if (!affichee)
        return;
    std::cerr << "\r\033[K" << std::flush;
    affichee = false;
}
