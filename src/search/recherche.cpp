// The search driver: the special-case check, the heading of the table, the
// search one step at a time, the last row of a partial table and the summary.
#include <iostream>

#include "report/progres.h"
#include "report/rapport.h"
#include "search/mots.h"
#include "search/recherche.h"

std::int64_t pasMax = 0;

int recherche()
{
    cas = exeptions();
    if (cas == 2)
        return 0;
    if (L > -1)
        std::cout << std::endl << "\n \t \t Tableau des solutions numerotees : ";
    else if (L < -1)
        std::cout << std::endl << "\n \t \t Tableau partiel des solutions numerotees : ";
    std::cout << std::endl << std::endl;

    m = 0;
    x[0] = 0;
    m1 = z;
    K1 = 0;
    K2 = 0;
    pasFaits = 0;
    progresDebut();
    aideDebut();
    // The helper process ends with the search, however the search ends.
    struct Fin {
        ~Fin() { aideFin(); }
    } fin;
    while (i >= 0) {
        if (L == -1) {
            progresEfface();
            return 0;  // stopped by the user: no summary
        }
        ++pasFaits;
        if (pasMax != 0 && pasFaits > pasMax)
            throw TropDePas();
        // The clock is read only every 4096 steps: a step is much cheaper.
        if ((pasFaits & 4095) == 0)
            progres();
        if (type == 2)
            suite2();
        else
            suite();
        aideEtape();
    }
    progresEfface();
    if (L < -1 && K1 != 0)
        ligne(K1, x1);
    resultat();
    std::cout << std::endl << " \n \t FIN DU CALCUL" << std::endl << std::endl << std::endl;
    return 0;
}
