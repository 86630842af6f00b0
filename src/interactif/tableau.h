// The console side of a search: the verdicts of the special-case check,
// the numbered table of solutions with its pauses, the summary and the
// closing line, on the program's standard output.
#pragma once

#include <functional>
#include <ostream>

#include "recherche/sortie.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

class Progres;

class Tableau : public Sortie {
public:
    // `question` asks the pause question and returns the answer.
    Tableau(std::ostream& sortie, std::function<NTL::ZZ()> question, Progres* progres = nullptr);

    void verdict(Verdict v, const NTL::Vec<NTL::ZZ>& unique) override;
    void entete(const NTL::ZZ& L) override;
    void ligne(std::int64_t numero, const NTL::Vec<NTL::ZZ>& x, int n) override;
    void ligneVide() override;
    NTL::ZZ pause() override;
    void resultat(const Probleme& pb, const Resultats& res) override;
    void progres(const Avancement& a) override;

private:
    void efface();

    std::ostream& out_;
    std::function<NTL::ZZ()> question_;
    Progres* progres_;
};

}  // namespace fractions_unitaires::interactif
