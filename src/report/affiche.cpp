// The table of solutions: each solution numbered and shown as one row, the
// pause every K rows, and the partial table that shows one row in K.
#include <cstring>
#include <iostream>

#include "dialogue/dialogue.h"
#include "report/progres.h"
#include "report/rapport.h"
#include "search/etat.h"

namespace {

const char* const PAUSE =
    "\n \n \t Nombre K de solutions suivantes a afficher ou autre option :  \n \n \t "
    "[K] / [zero, pas de limite] / [-1, arreter] / [-K (K>1), pas de  limite et "
    "affichage toutes les K solutions] ?    \t";

}  // namespace

void ligne(std::int64_t numero, const Vec<ZZ>& v)
{
    progresEfface();
    std::cout << "\t \t \t " << numero << "  :      ";
    for (a = 1; a <= n; a++)
        std::cout << v[a] << "\t \t";
    std::cout << std::endl;
}

std::int64_t affiche()
{
    K1++;
    if (L > 0)
        K2++;
    if (L < -1) {
        K3++;
        if (L == -K3)
            K3 = 0;
    }
    if (L > -1 || (L < -1 && K3 == 1)) {
        ligne(K1, x);
        if (L < -1 && i >= 0)
            std::cout << std::endl;
    }
    if (m <= x[n])
        m = x[n];
    if (K1 == 1)
        m1 = x[1];
    if (m1 >= x[1])
        m1 = x[1];
    if (L == K2 && L != 0) {
        std::strcpy(message, PAUSE);
        controle(5, message);
        L = valeur;
        std::cout << std::endl << std::endl;
        K2 = 0;
    }
    return K1;
}
