// fractions-unitaires: writes a positive fraction P/Q as a sum of n unit
// fractions, listing and counting every solution, through a console dialogue.
// Exit status: 1 at the user's end, 2 when standard input ends or cannot be
// read, 3 when standard output cannot be written.
#include <unistd.h>

#include <cstring>
#include <iostream>

#include "interactif/dialogue.h"
#include "console/ecriture.h"
#include "interactif/progres.h"

using namespace fractions_unitaires::interactif;

int main()
{
    fractions_unitaires::console::TamponSortie tampon(1);
    std::ostream sortie(&tampon);
    sortie.exceptions(std::ios::badbit);
    Entree entree(0);
    Progres progres(std::cerr, isatty(2) == 1);
    Progres::surSignaux();
    Dialogue dialogue(entree, sortie, &progres);
    int statut = 0;
    try {
        statut = dialogue.programme();
        sortie.flush();
    } catch (const std::ios_base::failure&) {
        progres.efface();
        std::cerr << "fractions-unitaires : la sortie standard ne peut pas etre ecrite ("
                  << std::strerror(tampon.erreur()) << ")" << std::endl;
        return 3;
    }
    if (statut == 2 && dialogue.fin.erreur != 0)
        std::cerr << "fractions-unitaires : l'entree standard ne peut pas etre lue ("
                  << std::strerror(dialogue.fin.erreur) << ")" << std::endl;
    return statut;
}
