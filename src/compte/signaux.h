// SIGINT, SIGTERM and SIGHUP during a checkpointed count: the signal is
// noted, and the count saves what is finished before it ends the process
// with the signal's own status. A signal handler can reach nothing but a
// flag: this one is the batch program's only process-wide state.
#pragma once

namespace fractions_unitaires::lot {

class Interruption {
public:
    // Takes the three signals (those ignored at start stay ignored) until
    // destruction.
    Interruption();
    ~Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    // The signal received, or 0.
    static int recu();
    // Ends the process as the signal would have.
    [[noreturn]] static void termine(int signal);

private:
    bool pris_[3] = {};
};

}  // namespace fractions_unitaires::lot
