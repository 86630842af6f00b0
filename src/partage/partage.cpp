// The walk of one unit, the worker threads, and the engine that merges
// their results in the order of the search.
#include "partage/partage.h"

#include <algorithm>
#include <chrono>
#include <memory>

namespace fractions_unitaires::moteur {

namespace {

// A worker leaves its unit when the count is given up.
struct Abandon {};

}  // namespace

bool Conduite::parcoursUnite(Recherche& r, const Unite& u)
{
    const int k = u.k;
    // Placing the unit sums its k unknowns: as many steps, so that a bound
    // on the steps bounds a count of thousands of unknowns in small units.
    r.compteDesPas(k);
    r.place(k, u.x, u.minr);
    // Where the cutting walk went on: the bottom of the range, then one
    // backtrack from it.
    Etat<ZZ> attendu = r.etatZZ();
    r.moin(attendu);
    attendu.x[k] = u.bas;
    r.plu(attendu);
    if (r.pb.type == 2)
        r.arriere2(attendu);
    else
        r.arriere(attendu);

    const bool basMot = tient(u.bas, 127);
    const Mot bas = basMot ? enMot(u.bas) : Mot(0);
    for (std::int64_t pas = 1;; pas++) {
        if ((pas & 1023) == 0 && r.abandonDemande())
            throw Abandon();
        r.pas();
        const int i = r.i();
        if (i < 0) {
            r.termineUnite();
            return true;
        }
        // x1 below its smallest value: every routine's first check ends the
        // search at the next step, wherever the backtrack that lowered it
        // came from (a chain of type 2 closed by x2 lowers x1 past its
        // smallest value, where the cutting walk's backtrack from x1 ends at
        // once).
        if (r.premiereSousMin())
            continue;
        if (i < k)
            break;
        if (r.xSous(k, u.bas, basMot ? &bas : nullptr))
            break;
    }
    const Etat<ZZ>& fin = r.etatZZ();
    if (fin.i != attendu.i)
        return false;
    for (int t = 1; t <= fin.i; t++)
        if (fin.x[t] != attendu.x[t])
            return false;
    return true;
}

Resultat Conduite::compteUnite(Recherche& w, const Unite& u)
{
    const auto debut = std::chrono::steady_clock::now();
    Resultat res;
    w.nouvelleUnite();
    res.conforme = parcoursUnite(w, u);
    ASSERT_LIMITE(res.conforme);
    res.bilan = w.prendBilan();
    res.lignes = w.prendLignes();
    res.compteurs = w.compteurs;
    res.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return res;
}

Resultat compteUnite(Recherche& w, const Unite& u) { return Conduite::compteUnite(w, u); }

int travailleurs(int demandes)
{
    return demandes > 0 ? demandes : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

Equipe::Equipe(const Probleme& pb, const Reglages& reglages, int travailleurs, Mode mode,
               std::atomic<std::int64_t>* budget)
    : avance_(mode == Mode::LISTE ? limites::AVANCE_LISTE : limites::AVANCE_PAR_TRAVAILLEUR)
{
    // Each worker makes its own search, from its own thread's heap. Made
    // one after the other here, the searches' vectors, written at every
    // step, shared cache lines, each write then moving the line from one
    // core to the other: type 2, n = 8 took 88.7 s of CPU on 2 threads
    // against 64.4 s on one.
    for (int t = 0; t < travailleurs; t++)
        fils_.emplace_back([this, pb, reglages, mode, budget] {
            std::unique_ptr<Recherche> w;
            std::exception_ptr echec;
            try {
                w = std::make_unique<Recherche>();
                w->installe(pb, reglages, mode);
                w->rejoint(budget, &arretDemande_);
            } catch (...) {
                echec = std::current_exception();
            }
            travaille(w.get(), echec);
        });
}

int Equipe::places() const { return static_cast<int>(fils_.size()) * avance_; }

Equipe::~Equipe()
{
    {
        std::lock_guard<std::mutex> garde(verrou_);
        arret_ = true;
    }
    arretDemande_ = true;
    travail_.notify_all();
    for (std::thread& f : fils_)
        f.join();
}

void Equipe::confie(const Unite& u)
{
    {
        std::lock_guard<std::mutex> garde(verrou_);
        aFaire_.push_back(u);
        aFaire_.back().avant.clear();
    }
    travail_.notify_one();
}

std::vector<std::pair<std::int64_t, Resultat>> Equipe::recolte(bool attendre)
{
    std::unique_lock<std::mutex> garde(verrou_);
    if (attendre)
        fait_.wait_for(garde, limites::ATTENTE, [&] { return !faits_.empty(); });
    std::vector<std::pair<std::int64_t, Resultat>> r;
    for (auto& [indice, res] : faits_)
        r.emplace_back(indice, std::move(res));
    faits_.clear();
    return r;
}

void Equipe::travaille(Recherche* w, std::exception_ptr echec)
{
    for (;;) {
        Unite u;
        {
            std::unique_lock<std::mutex> garde(verrou_);
            travail_.wait(garde, [&] { return arret_ || !aFaire_.empty(); });
            if (arret_)
                return;
            u = std::move(aFaire_.front());
            aFaire_.pop_front();
        }
        Resultat res;
        try {
            if (echec)
                std::rethrow_exception(echec);
            res = compteUnite(*w, u);
        } catch (const Abandon&) {
            return;
        } catch (...) {
            res.erreur = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> garde(verrou_);
            faits_[u.indice] = std::move(res);
        }
        fait_.notify_all();
    }
}

Chantier::Chantier(Decoupe& decoupe, Atelier& atelier, std::function<bool(const Unite&)> confier)
    : decoupe_(decoupe), atelier_(atelier), confier_(std::move(confier))
{
}

void Chantier::recoit(bool attendre)
{
    for (auto& [indice, res] : atelier_.recolte(attendre)) {
        if (res.erreur)
            std::rethrow_exception(res.erreur);
        recus_[indice] = std::move(res);
    }
}

std::optional<Chantier::Livraison> Chantier::sortPremiere()
{
    if (file_.empty())
        return std::nullopt;
    Livraison& l = file_.front();
    if (l.confiee) {
        const auto it = recus_.find(l.unite.indice);
        if (it == recus_.end())
            return std::nullopt;
        l.resultat = std::move(it->second);
        recus_.erase(it);
    }
    Livraison sortie = std::move(l);
    file_.pop_front();
    return sortie;
}

std::optional<Chantier::Livraison> Chantier::suivante()
{
    // The cut keeps the atelier's places filled ahead of the merge.
    bool attente = false;
    const std::size_t places = static_cast<std::size_t>(std::max(1, atelier_.places()));
    while (!finDecoupe_ && file_.size() < places) {
        Livraison l;
        const Decoupe::Etape e = decoupe_.suivante(l.unite);
        if (e == Decoupe::FIN)
            finDecoupe_ = true;
        if (e != Decoupe::UNITE) {
            attente = e == Decoupe::ATTENTE;
            break;
        }
        l.confiee = !confier_ || confier_(l.unite);
        if (l.confiee)
            atelier_.confie(l.unite);
        file_.push_back(std::move(l));
    }
    recoit(false);
    if (auto l = sortPremiere())
        return l;
    // While the cutting walk goes on without a unit, it goes on until the
    // next result is in; otherwise the merge waits for it a moment.
    if (attente || file_.empty())
        return std::nullopt;
    recoit(true);
    return sortPremiere();
}

}  // namespace fractions_unitaires::moteur
