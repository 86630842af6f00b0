// Work units counted apart and merged in the order of the search: the walk
// of one unit, the threads that count units (Equipe), and the engine every
// shared count runs on (Chantier). The engine cuts the rest of a search
// into units (see decoupe.h), hands them to an atelier (the threads of this
// process, or other machines) and gives each back, with its result, in the
// order of the search, whatever order they were finished in: the
// interactive table, the batch count, its listing and MPI are its callers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "partage/decoupe.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

// What a worker found in one unit.
struct Resultat {
    Bilan bilan;
    std::string lignes;  // a listing's: the unit's solutions, one line each
    // The walk left the unit where the cutting walk went on: always, unless
    // something is wrong; the search then goes on alone.
    bool conforme = true;
    Compteurs compteurs;
    double secondes = 0;
    std::exception_ptr erreur;
};

// The threads a count asks for: 0 means every core.
int travailleurs(int demandes);

// Counts the unit u with the search w (Mode::COMPTE or LISTE, the problem
// set up):
// walks it from its top until it leaves it, within Reglages::pasMax steps
// (or the budget w shares).
Resultat compteUnite(Recherche& w, const Unite& u);

// The routines of this layer that step a search through what it keeps
// private (Recherche befriends them): the walk of a unit by a worker, and
// the interactive table's share of a long count (pilote.cpp).
struct Conduite {
    // Walks the unit u with the search r, whatever its mode, until it
    // leaves it; false when it leaves it elsewhere than the cutting walk
    // did.
    static bool parcoursUnite(Recherche& r, const Unite& u);
    static Resultat compteUnite(Recherche& w, const Unite& u);
    // See pilote.h.
    static int recherche(Recherche& r);
    // Whether the rest of the search r is a count worth sharing.
    static bool partageable(const Recherche& r);
    // Runs the rest of the search r shared between threads, each row of
    // the table shown in turn. When a unit is not left as the cutting walk
    // expects, the search goes on alone from there.
    static void partage(Recherche& r);
    // Merges one unit counted by a worker; false when the search is over
    // or goes on alone.
    static bool fusionne(Recherche& r, const Unite& u, const Resultat& res);
};

// Where the units of a shared count are counted.
class Atelier {
public:
    virtual ~Atelier() = default;
    // The units worth handing out ahead of the merge.
    virtual int places() const = 0;
    virtual void confie(const Unite& u) = 0;
    // Every result finished so far, by unit index; when `attendre` and
    // there is none, waits for one, limites::ATTENTE at most.
    virtual std::vector<std::pair<std::int64_t, Resultat>> recolte(bool attendre) = 0;
};

// The worker threads of this process, each with a search of its own.
class Equipe : public Atelier {
public:
    // Workers with searches of pb in `mode` (COMPTE, or LISTE for a
    // listing); `budget`, when not null, is the number of steps all of
    // them may take together.
    Equipe(const Probleme& pb, const Reglages& reglages, int travailleurs, Mode mode = Mode::COMPTE,
           std::atomic<std::int64_t>* budget = nullptr);
    ~Equipe() override;  // stops the workers (a unit in hand is given up)
    int places() const override;
    void confie(const Unite& u) override;
    std::vector<std::pair<std::int64_t, Resultat>> recolte(bool attendre) override;

private:
    // The loop of a worker with its search w; every unit fails with
    // `echec` when w could not be made.
    void travaille(Recherche* w, std::exception_ptr echec);

    std::vector<std::thread> fils_;
    std::mutex verrou_;
    std::condition_variable travail_, fait_;
    std::deque<Unite> aFaire_;
    std::map<std::int64_t, Resultat> faits_;
    bool arret_ = false;
    std::atomic<bool> arretDemande_{false};
    int avance_;  // units per worker handed out ahead
};

// The engine of a shared count.
class Chantier {
public:
    // A unit given back in its turn.
    struct Livraison {
        Unite unite;  // with the solutions the cutting walk met before it
        // Counted by the atelier: `resultat` is its count (a unit not
        // handed out comes back in its turn without one).
        bool confiee = false;
        Resultat resultat;
    };
    // Units of `decoupe` go to `atelier` when `confier` says so (every one
    // when it is empty): a shard's own, those not finished before a resume.
    Chantier(Decoupe& decoupe, Atelier& atelier, std::function<bool(const Unite&)> confier = {});
    // The next unit in order, once its result is in. Nothing when none came
    // within a moment (limites::ATTENTE): the caller's turn to report, save
    // or see a signal; or at the end. A worker's error is thrown here.
    std::optional<Livraison> suivante();
    // Every unit was given back; the solutions after the last one are in
    // the cut's `finales`.
    bool fini() const { return finDecoupe_ && file_.empty(); }
    // The results finished ahead of their turn, kept by a checkpoint.
    const std::map<std::int64_t, Resultat>& enAvance() const { return recus_; }

private:
    // Takes in what the atelier finished.
    void recoit(bool attendre);
    std::optional<Livraison> sortPremiere();

    Decoupe& decoupe_;
    Atelier& atelier_;
    std::function<bool(const Unite&)> confier_;
    std::deque<Livraison> file_;
    std::map<std::int64_t, Resultat> recus_;
    bool finDecoupe_ = false;
};

}  // namespace fractions_unitaires::moteur
