// Worker threads, the walk of one unit, and the merge of a shared count in
// the order of the search.
#include "search/partage.h"

#include <algorithm>
#include <chrono>

#include "search/machine.h"

namespace {

// A worker leaves its unit when the count is given up.
struct Abandon {};

}  // namespace

bool parcoursUnite(Recherche& r, const Unite& u)
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
        if ((pas & 1023) == 0 && r.abandon != nullptr && r.abandon->load(std::memory_order_relaxed))
            throw Abandon();
        r.pas();
        const int i = r.i();
        if (i < 0) {
            r.bilan.finie = true;
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
        const bool dessous = r.surMots ? (basMot && r.w.x[k] < bas) : r.zz.x[k] < u.bas;
        if (dessous)
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

Resultat compteUnite(Recherche& w, const Unite& u)
{
    const auto debut = std::chrono::steady_clock::now();
    Resultat res;
    w.bilan = Bilan();
    w.compteurs = Compteurs();
    res.conforme = parcoursUnite(w, u);
    ASSERT_LIMITE(res.conforme);
    res.bilan = std::move(w.bilan);
    res.compteurs = w.compteurs;
    res.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return res;
}

Equipe::Equipe(const Recherche& modele, int travailleurs, std::atomic<std::int64_t>* budget)
    : budget_(budget)
{
    for (int t = 0; t < travailleurs; t++) {
        auto w = std::make_unique<Recherche>();
        w->pb = modele.pb;
        w->reglages = modele.reglages;
        w->mode = Mode::COMPTE;
        w->dimensionneEtat();
        w->prepareProbleme();
        w->abandon = &arretDemande_;
        w->budget = budget_;
        recherches_.push_back(std::move(w));
    }
    for (int t = 0; t < travailleurs; t++)
        fils_.emplace_back([this, t] { travaille(t); });
}

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

Resultat Equipe::attend(std::int64_t indice)
{
    std::unique_lock<std::mutex> garde(verrou_);
    fait_.wait(garde, [&] { return faits_.count(indice) != 0; });
    Resultat r = std::move(faits_[indice]);
    faits_.erase(indice);
    return r;
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

bool Equipe::pret(std::int64_t indice)
{
    std::lock_guard<std::mutex> garde(verrou_);
    return faits_.count(indice) != 0;
}

void Equipe::travaille(int numero)
{
    Recherche& w = *recherches_[numero];
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
            res = compteUnite(w, u);
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

bool partageable(const Recherche& r)
{
    const Probleme& pb = r.pb;
    if (!r.reglages.raccourcis || r.mode != Mode::AFFICHE || r.partageInterdit || pb.n < 3 ||
        pb.L >= -1 || r.pasFaits < r.reglages.pasAvantPartage)
        return false;
    // Rows must be rare, or most units would be walked twice to show them.
    if (-pb.L < r.reglages.periodePartage)
        return false;
    const int i = r.i();
    return i >= 0 && i <= pb.n - 2;
}

void partage(Recherche& r)
{
    // The status line shows the unit being merged, while the sharing lasts.
    struct Repere {
        Recherche& r;
        ~Repere() { r.repere.SetLength(0); }
    } repere{r};
    int travailleurs = r.reglages.travailleurs;
    if (travailleurs <= 0)
        travailleurs = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::int64_t> budget{r.reglages.pasMax - r.pasFaits};
    Decoupe decoupe(r, r.reglages.unite);
    Equipe equipe(r, travailleurs, r.reglages.pasMax != 0 ? &budget : nullptr);
    std::deque<Unite> enCours;
    bool finDecoupe = false;
    const std::size_t avance = static_cast<std::size_t>(limites::AVANCE_PAR_TRAVAILLEUR) * travailleurs;
    for (;;) {
        bool attente = false;
        while (!finDecoupe && enCours.size() < avance) {
            Unite u;
            const Decoupe::Etape e = decoupe.suivante(u);
            if (e == Decoupe::FIN)
                finDecoupe = true;
            if (e != Decoupe::UNITE) {
                attente = e == Decoupe::ATTENTE;
                break;
            }
            equipe.confie(u);
            enCours.push_back(std::move(u));
        }
        if (enCours.empty()) {
            if (finDecoupe)
                break;
            continue;
        }
        // While the cutting walk goes on without a unit, it goes on until
        // the next result is in.
        if (attente && !equipe.pret(enCours.front().indice))
            continue;
        const Unite& u = enCours.front();
        for (const Vec<ZZ>& s : u.avant)
            r.montreReleve(s);
        Resultat res = equipe.attend(u.indice);
        if (res.erreur)
            std::rethrow_exception(res.erreur);
        r.compteurs.ajoute(res.compteurs);
        if (r.durees != nullptr)
            r.durees->push_back(res.secondes);
        if (!res.conforme) {
            // The cutting walk went wrong: the search goes on alone from
            // the start of this unit, everything before it merged.
            r.place(u.k, u.x, u.minr);
            r.partageInterdit = true;
            return;
        }
        const std::int64_t nombre = res.bilan.nombre;
        if (nombre > 0 && r.prochaineLigne() == 1 && nombre - 1 < r.periodeLignes()) {
            // The unit's only row is its first solution, which the worker
            // kept: shown from there, without walking the unit again.
            r.compteurs.n[PARTAGE_UNITE]++;
            r.montreReleve(res.bilan.premiere.valeurs());
            if (nombre > 1) {
                Bilan reste = res.bilan;
                reste.nombre--;
                r.ajouteBloc(reste);
            }
            if (res.bilan.finie) {
                r.termine();
                return;
            }
        } else if (r.ligneParmi(nombre)) {
            r.compteurs.n[PARTAGE_MARCHE]++;
            const bool conforme = parcoursUnite(r, u);
            if (r.i() < 0)
                return;
            if (!conforme) {
                r.partageInterdit = true;
                return;
            }
        } else {
            r.compteurs.n[PARTAGE_UNITE]++;
            if (res.bilan.nombre > 0)
                r.ajouteBloc(res.bilan);
            if (res.bilan.finie) {
                r.termine();
                return;
            }
        }
        r.repere = u.x;
        enCours.pop_front();
        if (r.sortie != nullptr)
            r.sortie->progres(r);
    }
    for (const Vec<ZZ>& s : decoupe.finales)
        r.montreReleve(s);
    r.termine();
}
