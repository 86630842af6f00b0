// The signals that end a checkpointed count, noted for the merge loop.
#include "compte/signaux.h"

#include <csignal>
#include <cstdlib>

namespace fractions_unitaires::lot {

namespace {

volatile std::sig_atomic_t signalRecu = 0;
const int SIGNAUX[3] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void note(int numero) { signalRecu = numero; }

}  // namespace

Interruption::Interruption()
{
    for (int k = 0; k < 3; k++) {
        struct sigaction actuelle;
        if (sigaction(SIGNAUX[k], nullptr, &actuelle) == 0 && actuelle.sa_handler == SIG_IGN)
            continue;
        struct sigaction a = {};
        a.sa_handler = note;
        sigemptyset(&a.sa_mask);
        sigaction(SIGNAUX[k], &a, nullptr);
        pris_[k] = true;
    }
}

Interruption::~Interruption()
{
    for (int k = 0; k < 3; k++)
        if (pris_[k])
            std::signal(SIGNAUX[k], SIG_DFL);
}

int Interruption::recu() { return signalRecu; }

void Interruption::termine(int numero)
{
    std::signal(numero, SIG_DFL);
    std::raise(numero);
    std::_Exit(128 + numero);
}

}  // namespace fractions_unitaires::lot
