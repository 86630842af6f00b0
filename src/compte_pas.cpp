// The program as fractions-unitaires runs it, then the number of steps of its
// last search on standard error: the figure the memory bench needs.
#include <iostream>

#include "dialogue/dialogue.h"
#include "report/progres.h"

int main()
{
    std::ios::sync_with_stdio(false);
    const int statut = programme();
    std::cerr << "pas de la derniere recherche : " << pasFaits << std::endl;
    return statut;
}
