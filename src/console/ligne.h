// The status line of both programs, on standard error: on a terminal, one
// line drawn in place and erased before anything else is written; elsewhere
// each line on its own, as a log.
#pragma once

#include <ostream>
#include <string>

namespace fractions_unitaires::console {

class LigneEtat {
public:
    // `terminal`: whether `erreur` is a terminal.
    LigneEtat(std::ostream& erreur, bool terminal) : erreur_(erreur), terminal_(terminal) {}
    bool terminal() const { return terminal_; }
    bool affichee() const { return affichee_; }
    // Shows `texte` in place of the line shown; `finale`: it stays, ended
    // by a new line.
    void montre(const std::string& texte, bool finale = false);
    // Erases the line if it is on the terminal.
    void efface();
    // For a signal handler: erases the line if one is on the terminal,
    // with write(2) alone.
    static void effaceSurSignal();

private:
    std::ostream& erreur_;
    bool terminal_;
    bool affichee_ = false;
};

}  // namespace fractions_unitaires::console
