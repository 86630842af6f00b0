// fractions-compte: counts the solutions of 1/x1 + ... + 1/xN = P/Q from
// the command line, for scripts and clusters: the totals as text or JSON,
// checkpoints and resume, shards and their merge, estimates. Exit status 0
// on success, 2 for a bad argument (one line on standard error naming it,
// before any work), 1 for any other failure, 3 when standard output cannot
// be written.
#include "compte/commande.h"

using namespace fractions_unitaires::lot;

int main(int argc, char** argv)
{
    return commande(argc, argv, [](Demande& d, std::ostream& sortie) { execute(d, sortie); });
}
