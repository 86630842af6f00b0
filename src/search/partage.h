// A count shared between threads. The rest of the search is cut into work
// units (see decoupe.h); worker threads, each with a search of its own,
// count them in any order, taking the next one as soon as they are free;
// the results are merged in the order of the search: count, largest xn,
// smallest x1, last solution. A unit that holds a row of the partial table
// is walked again by the search itself, so that the row is shown.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "search/decoupe.h"
#include "search/recherche.h"

// What a worker found in one unit.
struct Resultat {
    Bilan bilan;
    // The walk left the unit where the cutting walk went on: always, unless
    // something is wrong; the search then goes on alone.
    bool conforme = true;
    Compteurs compteurs;
    double secondes = 0;
    std::exception_ptr erreur;
};

// Counts the unit u with the search w (Mode::COMPTE, the problem set up):
// walks it from its top until it leaves it.
Resultat compteUnite(Recherche& w, const Unite& u);

// Walks the unit u with the search r, whatever its mode, until it leaves
// it; false when it leaves it elsewhere than the cutting walk did.
bool parcoursUnite(Recherche& r, const Unite& u);

// The worker threads of a shared count.
class Equipe {
public:
    // Workers with searches of the problem of `modele`; `budget`, when not
    // null, is the number of steps all of them may take together.
    Equipe(const Recherche& modele, int travailleurs, std::atomic<std::int64_t>* budget = nullptr);
    ~Equipe();  // stops the workers and waits for them
    void confie(const Unite& u);  // in the order of the indices
    // The result of unit `indice`, once a worker has it.
    Resultat attend(std::int64_t indice);
    bool pret(std::int64_t indice);
    // Every result finished so far; when `attendre` and there is none,
    // waits for one, limites::ATTENTE at most.
    std::vector<std::pair<std::int64_t, Resultat>> recolte(bool attendre = false);
    int taille() const { return static_cast<int>(fils_.size()); }

private:
    void travaille(int numero);

    std::vector<std::thread> fils_;
    std::vector<std::unique_ptr<Recherche>> recherches_;
    std::mutex verrou_;
    std::condition_variable travail_, fait_;
    std::deque<Unite> aFaire_;
    std::map<std::int64_t, Resultat> faits_;
    bool arret_ = false;
    std::atomic<bool> arretDemande_{false};
    std::atomic<std::int64_t>* budget_;
};

// Whether the rest of the search r is a count worth sharing.
bool partageable(const Recherche& r);

// Runs the rest of the search r shared between threads. When a unit is not
// left as the cutting walk expects, the search goes on alone from there.
void partage(Recherche& r);
