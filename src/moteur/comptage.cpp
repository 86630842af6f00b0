// A count: special cases, the cut into units, their counts merged in
// order, shards, checkpoints, the observer told between units; and the
// listing.
#include "moteur/comptage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <stdexcept>

#include "moteur/estimation.h"
#include "partage/decoupe.h"
#include "partage/partage.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

namespace {

using Horloge = std::chrono::steady_clock;

double depuis(Horloge::time_point t) { return std::chrono::duration<double>(Horloge::now() - t).count(); }

// The shard that owns unit j (and the solutions met just before it).
int proprietaire(std::int64_t j, int tranches) { return static_cast<int>(j % tranches) + 1; }

// The checkpoints of a run: saved every Options::chaque seconds and at the
// end; a save that fails is told once, and tried again at the next one.
class Sauvegarde {
public:
    // Before any work: the checkpoint file checked and locked.
    Sauvegarde(const Options& o, Observateur* observateur) : o_(o), observateur_(observateur)
    {
        if (!o.point.empty())
            fichier_ = std::make_unique<FichierPoint>(o.point);
    }
    // The size of the units, once known: part of what the file must match.
    void unite(double u) { unite_ = u; }
    void ecris(const Enonce& d, const Point& p)
    {
        if (!fichier_)
            return;
        try {
            fichier_->ecris(d, unite_, p);
        } catch (const std::runtime_error& e) {
            if (!echec_ && observateur_ != nullptr)
                observateur_->echecSauvegarde(o_.point, e.what());
            echec_ = true;
        }
    }

private:
    const Options& o_;
    Observateur* observateur_;
    double unite_ = 0;
    std::unique_ptr<FichierPoint> fichier_;
    bool echec_ = false;
};

// Asks the observer whether the count goes on.
bool continue_(Observateur* observateur, const Progression& p)
{
    return observateur == nullptr || observateur->progres(p);
}

// A count settled without units (a special case, or fewer than three
// unknowns): its totals, checkpointed like any other.
Total sansUnites(const Enonce& d, const Options& o, Observateur* observateur, Recherche& r,
                 const Verdicts& verdicts, bool regle)
{
    const auto debut = Horloge::now();
    if (!o.reprise.empty())
        lisPoint(o.reprise, d, 0);
    Sauvegarde sauvegarde(o, observateur);
    Total t;
    t.tranche = d.tranche;
    t.tranches = d.tranches;
    if (regle) {
        // The single solution goes to the first shard.
        if (verdicts.dernier == Verdict::UNIQUE && d.tranche == 1)
            t.ajoute(verdicts.unique, d.n, 0, d.lesDeux);
    } else {
        // One prefix, one unit, counted here.
        t.unites = 1;
        if (d.tranche == 1)
            t.ajouteUnite(0, r.parcourt());
    }
    t.secondes = depuis(debut);
    Point p;
    p.suivante = t.unites;
    p.total = t;
    sauvegarde.ecris(d, p);
    return t;
}

}  // namespace

namespace {

// The units of the whole count, and the work of this shard, from the cut
// walked once ahead.
struct Inventaire {
    std::int64_t unites = 0, miennes = 0;
    double travail = 0;  // estimated prefixes of this shard's units
};

// Asked of the observer now and then: a stop leaves any checkpoint as it
// was.
Inventaire inventaire(const Enonce& d, Recherche& r, double taille, Observateur* observateur)
{
    Inventaire inv;
    Decoupe pre(r.probleme(), r.reglages, r.etatZZ(), taille);
    Unite u;
    while (pre.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE) {
        inv.unites++;
        if (proprietaire(u.indice, d.tranches) == d.tranche) {
            inv.travail += u.estimation;
            inv.miennes++;
        }
        if ((inv.unites & 1023) == 0) {
            Progression p;
            p.inventaire = true;
            if (!continue_(observateur, p))
                throw Annulation();
        }
    }
    return inv;
}

// The merge of a batch count: the units given back in order, this shard's
// into its totals, with what a resumed run had already done; between
// units, the signals, the status line and the checkpoints.
class Fusion {
public:
    Fusion(const Enonce& d, const Options& o, Observateur* observateur, Point point, const Inventaire& inv,
           Sauvegarde& sauvegarde, Horloge::time_point debut)
        : d_(d), o_(o), observateur_(observateur), n_(d.n), inv_(inv), sauvegarde_(sauvegarde), debut_(debut),
          avant_(point.total.secondes),
          suivante_(point.suivante), termines_(std::move(point.termines))
    {
        t_ = point.total;
        t_.unites = inv.unites;
        t_.tranche = d.tranche;
        t_.tranches = d.tranches;
    }

    // Whether the atelier counts u: a unit of this shard that no earlier
    // run finished.
    bool aCompter(const Unite& u) const
    {
        return mienne(u.indice) && u.indice >= suivante_ && termines_.count(u.indice) == 0;
    }

    // Merges one unit given back in its turn; true when the search ended
    // inside it.
    bool prend(Chantier::Livraison& l)
    {
        const Unite& u = l.unite;
        if (u.indice < suivante_) {
            // Merged before the run was resumed.
            if (mienne(u.indice)) {
                fait_ += u.estimation;
                fusionnees_++;
            }
            return false;
        }
        suivante_ = u.indice + 1;
        if (!mienne(u.indice))
            return false;
        Bilan b;
        if (l.confiee) {
            if (!l.resultat.conforme)
                throw std::logic_error("unit " + std::to_string(u.indice) + " left elsewhere than cut");
            b = std::move(l.resultat.bilan);
        } else {
            const auto it = termines_.find(u.indice);
            b = std::move(it->second);
            termines_.erase(it);
        }
        for (const Vec<ZZ>& x : u.avant)
            t_.ajoute(x, n_, 2 * u.indice, d_.lesDeux);
        t_.ajouteUnite(u.indice, b);
        fait_ += u.estimation;
        faitIci_ += u.estimation;
        fusionnees_++;
        finie_ = b.finie;
        return finie_;
    }

    // Between units: the observer told (a stop saves what is finished
    // first), and the checkpoint in its time.
    void entreDeux(const Chantier& chantier)
    {
        const double ecoule = depuis(debut_);
        if (!continue_(observateur_, progression(ecoule, false))) {
            sauvegarde_.ecris(d_, etat(&chantier));
            throw Annulation();
        }
        if (ecoule - dernierPoint_ >= o_.chaque) {
            sauvegarde_.ecris(d_, etat(&chantier));
            dernierPoint_ = ecoule;
        }
    }

    // The totals, once every unit is merged (or the search ended inside
    // one), with the solutions after the last unit, which belong to the
    // shard of the index that would come next.
    Total termine(const Decoupe& decoupe)
    {
        if (!finie_ && mienne(t_.unites))
            for (const Vec<ZZ>& x : decoupe.finales)
                t_.ajoute(x, n_, 2 * t_.unites, d_.lesDeux);
        suivante_ = t_.unites;
        termines_.clear();
        t_.secondes = avant_ + depuis(debut_);
        sauvegarde_.ecris(d_, etat(nullptr));
        if (observateur_ != nullptr)
            observateur_->progres(progression(depuis(debut_), true));
        return t_;
    }

private:
    bool mienne(std::int64_t indice) const { return proprietaire(indice, d_.tranches) == d_.tranche; }

    Progression progression(double ecoule, bool fin) const
    {
        Progression p;
        p.fait = fin ? 1 : inv_.travail > 0 ? fait_ / inv_.travail : 0;
        p.unites = fin ? inv_.miennes : fusionnees_;
        p.unitesTotal = inv_.miennes;
        p.solutions = t_.nombre;
        p.distinctes = t_.distinctes.nombre;
        p.secondes = avant_ + ecoule;
        p.reste = fin ? 0 : faitIci_ > 0 ? ecoule * (inv_.travail - fait_) / faitIci_ : NAN;
        p.fin = fin;
        return p;
    }

    // What a checkpoint keeps: the units merged, and those finished ahead
    // of their turn, resumed or counted since.
    Point etat(const Chantier* chantier) const
    {
        Point p;
        p.suivante = suivante_;
        p.total = t_;
        p.total.secondes = avant_ + depuis(debut_);
        p.termines = termines_;
        if (chantier != nullptr)
            for (const auto& [indice, res] : chantier->enAvance())
                if (res.conforme)
                    p.termines[indice] = res.bilan;
        return p;
    }

    const Enonce& d_;
    const Options& o_;
    Observateur* observateur_;
    const int n_;
    const Inventaire inv_;
    Sauvegarde& sauvegarde_;
    const Horloge::time_point debut_;
    const double avant_;  // seconds of the runs before a resume
    Total t_;
    std::int64_t suivante_;  // the next unit to merge
    std::map<std::int64_t, Bilan> termines_;  // finished by an earlier run, not merged yet
    double fait_ = 0, faitIci_ = 0, dernierPoint_ = 0;
    std::int64_t fusionnees_ = 0;
    bool finie_ = false;
};

}  // namespace

Total compte(const Enonce& d, const Options& o, Observateur* observateur, Atelier* atelier)
{
    const auto debut = Horloge::now();
    Verdicts verdicts;
    Recherche r(&verdicts);
    r.reglages.travailleurs = o.travailleurs;
    r.reglages.fauteTest = o.fauteTest;
    const Depart depart = commence(r, d, Mode::COMPTE);
    if (depart != Depart::UNITES)
        return sansUnites(d, o, observateur, r, verdicts, depart == Depart::REGLE);

    Sauvegarde sauvegarde(o, observateur);
    const double taille = o.unite > 0 ? o.unite : tailleUnite(d);
    sauvegarde.unite(taille);
    Point point;
    if (!o.reprise.empty())
        point = lisPoint(o.reprise, d, taille);
    Progression avant;
    avant.inventaire = true;
    if (!continue_(observateur, avant))
        throw Annulation();
    const Inventaire inv = inventaire(d, r, taille, observateur);

    // The threads of this machine, unless the units go elsewhere.
    std::unique_ptr<Equipe> equipe;
    if (atelier == nullptr) {
        equipe = std::make_unique<Equipe>(r.probleme(), r.reglages, travailleurs(o.travailleurs));
        atelier = equipe.get();
    }
    Fusion fusion(d, o, observateur, std::move(point), inv, sauvegarde, debut);
    Decoupe decoupe(r.probleme(), r.reglages, r.etatZZ(), taille);
    Chantier chantier(decoupe, *atelier, [&fusion](const Unite& u) { return fusion.aCompter(u); });
    while (!chantier.fini()) {
        std::optional<Chantier::Livraison> l = chantier.suivante();
        if (l && fusion.prend(*l))
            break;
        fusion.entreDeux(chantier);
    }
    return fusion.termine(decoupe);
}

Listage::Listage(const Enonce& d, int travailleurs_, bool json, std::function<bool()> continuer, double unite)
    : n_(d.n), json_(json), continuer_(std::move(continuer)), debut_(Horloge::now()),
      r_(std::make_unique<Recherche>(&verdicts_))
{
    if (d.lesDeux)
        throw Erreur{"a listing is of one type: --type 1 or 2"};
    Recherche& r = *r_;
    r.reglages.travailleurs = travailleurs_;
    r.reglages.lignesJson = json;
    t_.unites = 1;
    switch (commence(r, d, Mode::LISTE)) {
    case Depart::REGLE:
        // Settled at once: the single solution, or none.
        if (verdicts_.dernier == Verdict::UNIQUE) {
            ecritLigne(enAttente_, verdicts_.unique, n_, json);
            t_.ajoute(verdicts_.unique, n_, 0, false);
        }
        fini_ = true;
        break;
    case Depart::DIRECT:
        // A few pairs at most: listed here.
        t_.ajoute(r.parcourt(), 1);
        enAttente_ = r.prendLignes();
        fini_ = true;
        break;
    case Depart::UNITES:
        // Units listed by every core, given in the order of the search.
        decoupe_ = std::make_unique<Decoupe>(r.probleme(), r.reglages, r.etatZZ(),
                                             unite > 0 ? unite : limites::UNITE_LISTE);
        equipe_ = std::make_unique<Equipe>(r.probleme(), r.reglages, travailleurs(travailleurs_), Mode::LISTE);
        chantier_ = std::make_unique<Chantier>(*decoupe_, *equipe_);
        break;
    }
}

Listage::~Listage() = default;

bool Listage::suivants(std::string& lignes)
{
    if (!enAttente_.empty()) {
        lignes += enAttente_;
        enAttente_.clear();
        return true;
    }
    while (!fini_) {
        if (continuer_ && !continuer_())
            throw Annulation();
        if (chantier_->fini()) {
            // The solutions after the last unit.
            for (const Vec<ZZ>& x : decoupe_->finales) {
                ecritLigne(lignes, x, n_, json_);
                t_.ajoute(x, n_, 2 * decoupe_->unites(), false);
            }
            fini_ = true;
            return !decoupe_->finales.empty();
        }
        std::optional<Chantier::Livraison> l = chantier_->suivante();
        if (!l)
            continue;
        const std::int64_t j = l->unite.indice;
        for (const Vec<ZZ>& x : l->unite.avant) {
            ecritLigne(lignes, x, n_, json_);
            t_.ajoute(x, n_, 2 * j, false);
        }
        lignes += l->resultat.lignes;
        // A listing keeps no unit's record: it is not recounted.
        t_.ajoute(l->resultat.bilan, 2 * j + 1);
        // The search ended inside this unit: nothing after it.
        fini_ = l->resultat.bilan.finie;
        if (!lignes.empty())
            return true;
    }
    return false;
}

Total Listage::total() const
{
    Total t = t_;
    if (decoupe_)
        t.unites = decoupe_->unites();
    t.secondes = depuis(debut_);
    return t;
}

Total liste(const Enonce& d, int travailleurs, bool json, std::ostream& out)
{
    Listage l(d, travailleurs, json);
    std::string lignes;
    while (l.suivants(lignes)) {
        out << lignes;
        lignes.clear();
    }
    return l.total();
}

}  // namespace fractions_unitaires::moteur
