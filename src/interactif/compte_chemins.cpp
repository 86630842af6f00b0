// The interactive program as fractions-unitaires runs it, for the
// benchmarks: after the last calculation it tells on standard error how
// often each path of its searches was taken, and writes the seconds of each
// work unit of its shared counts, one per line, to the file named by its
// argument.
#include <unistd.h>

#include <fstream>
#include <iostream>

#include "interactif/dialogue.h"

using namespace fractions_unitaires::interactif;

int main(int argc, char** argv)
{
    Entree entree(0);
    Dialogue dialogue(entree, std::cout);
    std::vector<double> durees;
    dialogue.durees = &durees;
    const int statut = dialogue.programme();
    std::cout.flush();
    for (int k = 0; k < NB_CHEMINS; k++)
        std::cerr << NOMS_CHEMINS[k] << " : " << dialogue.compteurs.n[k] << "\n";
    if (argc > 1) {
        std::ofstream f(argv[1]);
        for (double d : durees)
            f << d << "\n";
    }
    return statut;
}
