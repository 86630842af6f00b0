// A count: the special cases first, then the search cut into work units
// counted by threads (or by the ranks of a cluster) and merged in the order
// of the search, with shards and checkpoints; and the listing of every
// solution, a few units at a time.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "moteur/enonce.h"
#include "moteur/point.h"
#include "moteur/total.h"
#include "partage/partage.h"

namespace fractions_unitaires::moteur {

// Counts e, its units counted by `atelier` (other machines), or by the
// threads of this one when it is null; `observateur`, when given, is told
// how it goes and may stop it (Annulation). The totals are those of the
// shard e.tranche. Throws Erreur for data that cannot be counted.
Total compte(const Enonce& e, const Options& o, Observateur* observateur = nullptr, Atelier* atelier = nullptr);

// Every solution of e, in the order of the interactive table, a few units
// at a time: their lines are listed by every core.
class Listage {
public:
    // `json`: each line a JSON array; `continuer`, when given, is asked
    // while the next lines are awaited, and false stops the listing
    // (Annulation). Throws Erreur.
    Listage(const Enonce& e, int travailleurs, bool json, std::function<bool()> continuer = {}, double unite = 0);
    ~Listage();
    // Appends the next solutions to `lignes`, one line each (x1 .. xn, or
    // a JSON array); false once every one was given.
    bool suivants(std::string& lignes);
    // The totals of the solutions given so far.
    Total total() const;

private:
    const int n_;
    const bool json_;
    std::function<bool()> continuer_;
    std::chrono::steady_clock::time_point debut_;
    Verdicts verdicts_;
    std::unique_ptr<Recherche> r_;
    std::unique_ptr<Decoupe> decoupe_;
    std::unique_ptr<Equipe> equipe_;
    std::unique_ptr<Chantier> chantier_;
    Total t_;
    std::string enAttente_;
    bool fini_ = false;
};

// Every solution on `out`, one line each; the totals returned.
Total liste(const Enonce& e, int travailleurs, bool json, std::ostream& out);

}  // namespace fractions_unitaires::moteur
