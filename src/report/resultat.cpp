// The summary that closes a calculation whose search ran to its end.
#include <iostream>

#include "report/rapport.h"
#include "search/etat.h"

namespace {

void sequence(const Vec<ZZ>& v, int longueur)
{
    for (j = 1; j <= longueur; j++)
        std::cout << v[j] << "  |  ";
    std::cout << " . \n";
}

}  // namespace

int resultat()
{
    std::cout << std::endl << std::endl;
    std::cout << " \t L'equation Diophantienne a  " << n
              << "  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  " << P1 << "/" << Q1;
    if (pg != 1)
        std::cout << " = " << P << "/" << Q;
    std::cout << " ,  (n = " << n << ") ,";
    std::cout << "  admet  " << K1 << "   solution(s). \n ";
    if (type == 2)
        std::cout << " \n \t Les inconnues d'une meme solution etant toutes differentes. ";
    else
        std::cout << " \n \t Des inconnues d'une meme solution pouvant etre egales. ";
    if (tri == 0) {
        std::cout << std::endl;
    } else {
        if (parite == 2)
            std::cout << "  Elles sont egalement toutes paires. \n \n ";
        else if (parite == 1)
            std::cout << "  Elles sont egalement  toutes impaires. \n \n ";
        else
            std::cout << "  Elles sont egalement  toutes de parites indifferentes. \n \n ";
        if (seq == 1) {
            std::cout << " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), "
                         "inferieures ou egales a la sequence : \t ";
            sequence(x2, s);
        }
        if (seq2 == 1) {
            std::cout << " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), "
                         "superieures ou egales a la sequence : \t ";
            sequence(x3, s2);
        }
    }
    if (M != 0)
        std::cout << " \n \t  La plus grande inconnue, xn,  devant etre inferieure ou egale a   " << Ma
                  << "  et prenant   " << m << "  pour plus grande valeur. ";
    if (K1 > 0) {
        if (M == 0)
            std::cout << " \n \t  " << m << "  est la plus grande valeur prise par xn. ";
        std::cout << " \n \t  " << m1 << "  est la plus petite valeur prise par x1. \n ";
    }
    return 0;
}
