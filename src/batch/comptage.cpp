// The batch count: special cases, the cut into units, their counts merged
// in order, shards, checkpoints, the status line; and the listing.
#include "batch/comptage.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "batch/estimation.h"
#include "batch/signaux.h"
#include "search/decoupe.h"
#include "search/partage.h"
#include "search/recherche.h"

namespace {

using Horloge = std::chrono::steady_clock;

double depuis(Horloge::time_point t) { return std::chrono::duration<double>(Horloge::now() - t).count(); }


// The single solution of the special-case check.
Vec<ZZ> unique(const Recherche& r)
{
    Vec<ZZ> x;
    x.SetLength(r.pb.n + 1);
    for (int a = 1; a <= r.pb.n; a++)
        x[a] = r.m0 + (a - 1) * r.T0;
    return x;
}

// The shard that owns unit j (and the solutions met just before it).
int proprietaire(std::int64_t j, int tranches) { return static_cast<int>(j % tranches) + 1; }

// The status line: on a terminal, one line refreshed in place; otherwise a
// line every ten seconds.
class Statut {
public:
    explicit Statut(bool actif) : actif_(actif), terminal_(isatty(2) == 1) {}
    void efface()
    {
        if (actif_ && terminal_)
            std::cerr << "\r\033[K" << std::flush;
    }
    void montre(double fait, std::int64_t unites, std::int64_t total, const ZZ& solutions, double ecoule,
                double reste, bool fin = false)
    {
        if (!actif_)
            return;
        const double periode = terminal_ ? 1 : 10;
        if (!fin && ecoule - derniere_ < periode)
            return;
        derniere_ = ecoule;
        char ligne[200];
        std::ostringstream nombre;
        nombre << solutions;
        std::snprintf(ligne, sizeof ligne, "%5.1f%% of %lld units done, %s solutions, %.0f s elapsed, %s left",
                      100 * fait, static_cast<long long>(total), nombre.str().c_str(), ecoule,
                      std::isfinite(reste) ? duree(reste).c_str() : "?");
        (void)unites;
        if (terminal_)
            std::cerr << "\r\033[K" << ligne << (fin ? "\n" : "") << std::flush;
        else
            std::cerr << ligne << std::endl;
    }

private:
    static std::string duree(double s)
    {
        char t[40];
        if (s < 120)
            std::snprintf(t, sizeof t, "%.0f s", s);
        else if (s < 7200)
            std::snprintf(t, sizeof t, "%.0f min", s / 60);
        else if (s < 172800)
            std::snprintf(t, sizeof t, "%.1f h", s / 3600);
        else
            std::snprintf(t, sizeof t, "%.1f days", s / 86400);
        return t;
    }
    bool actif_, terminal_;
    double derniere_ = -1e9;
};

}  // namespace

double tailleUnite(const Demande& d)
{
    // About a million units at most: a count of 10^15 prefixes gets units of
    // 10^9, a count of 10^8 the smallest size.
    const double prefixes = estimePrefixes(d, 4096, 0x5eed);
    return std::max(limites::UNITE, std::floor(prefixes / (1 << 20)));
}

namespace {

// The checkpoints of a run: saved every --every seconds and at the end; a
// save that fails is told once, and tried again at the next one.
class Sauvegarde {
public:
    // Before any work: the checkpoint file checked and locked, and the
    // signals that end the run taken.
    explicit Sauvegarde(const Demande& d) : d_(d)
    {
        if (d.point.empty())
            return;
        fichier_ = std::make_unique<FichierPoint>(d.point);
        if (d.programme)
            interruption_ = std::make_unique<Interruption>();
    }
    // The size of the units, once known: part of what the file must match.
    void unite(double u) { unite_ = u; }
    bool active() const { return fichier_ != nullptr; }
    void ecris(const Point& p)
    {
        if (!fichier_)
            return;
        try {
            fichier_->ecris(d_, unite_, p);
        } catch (const std::runtime_error& e) {
            if (!echec_ && d_.programme)
                std::cerr << "fractions-compte: the checkpoint " << d_.point << " cannot be saved (" << e.what()
                          << "); the count goes on, and saves again later" << std::endl;
            echec_ = true;
        }
    }
    // A signal before any work ends the run, the file left as it was.
    void avantTravail()
    {
        const int signal = Interruption::recu();
        if (signal == 0)
            return;
        if (fichier_)
            fichier_->libere();
        Interruption::termine(signal);
    }
    // A signal ends the run: what is finished is saved first.
    void surSignal(const Point& p)
    {
        const int signal = Interruption::recu();
        if (signal == 0)
            return;
        ecris(p);
        fichier_->libere();
        Interruption::termine(signal);
    }

private:
    const Demande& d_;
    double unite_ = 0;
    std::unique_ptr<FichierPoint> fichier_;
    std::unique_ptr<Interruption> interruption_;
    bool echec_ = false;
};

// A count settled without units (a special case, or fewer than three
// unknowns): its totals, checkpointed like any other.
Total sansUnites(const Demande& d, Recherche& r, const Verdicts& verdicts, bool regle)
{
    const auto debut = Horloge::now();
    if (!d.reprise.empty())
        lisPoint(d.reprise, d, 0);
    Sauvegarde sauvegarde(d);
    Total t;
    t.tranche = d.tranche;
    t.tranches = d.tranches;
    if (regle) {
        // The single solution goes to the first shard.
        if (verdicts.dernier == Verdict::UNIQUE && d.tranche == 1)
            t.ajoute(unique(r), r.pb.n, 0);
    } else {
        // One prefix, one unit, counted here.
        t.unites = 1;
        if (d.tranche == 1) {
            r.versMots();
            while (r.i() >= 0)
                r.pas();
            t.ajoute(r.prendBilan(), 1);
        }
    }
    t.secondes = depuis(debut);
    Point p;
    p.suivante = t.unites;
    p.total = t;
    sauvegarde.ecris(p);
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

Inventaire inventaire(const Demande& d, Recherche& r, double taille, Sauvegarde& sauvegarde)
{
    Inventaire inv;
    Decoupe pre(r.pb, r.reglages, r.etatZZ(), taille);
    Unite u;
    while (pre.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE) {
        inv.unites++;
        if (proprietaire(u.indice, d.tranches) == d.tranche) {
            inv.travail += u.estimation;
            inv.miennes++;
        }
        if ((inv.unites & 1023) == 0) {
            sauvegarde.avantTravail();
            if (d.suivi && !d.suivi(0, ZZ(0), 0))
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
    Fusion(const Demande& d, int n, Point point, const Inventaire& inv, Sauvegarde& sauvegarde,
           Horloge::time_point debut)
        : d_(d), n_(n), inv_(inv), sauvegarde_(sauvegarde), statut_(d.statut), debut_(debut),
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
            t_.ajoute(x, n_, 2 * u.indice);
        t_.ajoute(b, 2 * u.indice + 1);
        fait_ += u.estimation;
        faitIci_ += u.estimation;
        fusionnees_++;
        finie_ = b.finie;
        return finie_;
    }

    // Between units: a signal saves and ends the run; the status line and
    // the checkpoint in their time.
    void entreDeux(const Chantier& chantier)
    {
        if (sauvegarde_.active() && Interruption::recu() != 0) {
            statut_.efface();
            sauvegarde_.surSignal(etat(&chantier));
        }
        const double ecoule = depuis(debut_);
        if (d_.suivi && !d_.suivi(inv_.travail > 0 ? fait_ / inv_.travail : 0, t_.nombre, avant_ + ecoule)) {
            // Stopped by its caller: what is finished is saved first.
            sauvegarde_.ecris(etat(&chantier));
            throw Annulation();
        }
        statut_.montre(inv_.travail > 0 ? fait_ / inv_.travail : 0, fusionnees_, inv_.miennes, t_.nombre,
                       avant_ + ecoule, faitIci_ > 0 ? ecoule * (inv_.travail - fait_) / faitIci_ : NAN);
        if (ecoule - dernierPoint_ >= d_.chaque) {
            sauvegarde_.ecris(etat(&chantier));
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
                t_.ajoute(x, n_, 2 * t_.unites);
        suivante_ = t_.unites;
        termines_.clear();
        t_.secondes = avant_ + depuis(debut_);
        statut_.montre(1, inv_.miennes, inv_.miennes, t_.nombre, t_.secondes, 0, true);
        sauvegarde_.ecris(etat(nullptr));
        return t_;
    }

private:
    bool mienne(std::int64_t indice) const { return proprietaire(indice, d_.tranches) == d_.tranche; }

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

    const Demande& d_;
    const int n_;
    const Inventaire inv_;
    Sauvegarde& sauvegarde_;
    Statut statut_;
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

Total compte(const Demande& d, Atelier* atelier)
{
    const auto debut = Horloge::now();
    Verdicts verdicts;
    Recherche r(&verdicts);
    r.reglages.travailleurs = d.travailleurs;
    prepare(r, d, Mode::COMPTE);
    const bool regle = r.exeptions() == 2;
    if (regle || r.pb.n < 3)
        return sansUnites(d, r, verdicts, regle);

    Sauvegarde sauvegarde(d);
    const double taille = d.unite > 0 ? d.unite : tailleUnite(d);
    sauvegarde.unite(taille);
    Point point;
    if (!d.reprise.empty())
        point = lisPoint(d.reprise, d, taille);
    sauvegarde.avantTravail();
    const Inventaire inv = inventaire(d, r, taille, sauvegarde);

    // The threads of this machine, unless the units go elsewhere.
    std::unique_ptr<Equipe> equipe;
    if (atelier == nullptr) {
        equipe = std::make_unique<Equipe>(r.pb, r.reglages, travailleurs(d.travailleurs));
        atelier = equipe.get();
    }
    Fusion fusion(d, r.pb.n, std::move(point), inv, sauvegarde, debut);
    Decoupe decoupe(r.pb, r.reglages, r.etatZZ(), taille);
    Chantier chantier(decoupe, *atelier, [&fusion](const Unite& u) { return fusion.aCompter(u); });
    while (!chantier.fini()) {
        std::optional<Chantier::Livraison> l = chantier.suivante();
        if (l && fusion.prend(*l))
            break;
        fusion.entreDeux(chantier);
    }
    return fusion.termine(decoupe);
}

Listage::Listage(const Demande& d) : d_(d), debut_(Horloge::now()), r_(std::make_unique<Recherche>(&verdicts_))
{
    Recherche& r = *r_;
    r.reglages.travailleurs = d.travailleurs;
    r.reglages.lignesJson = d.json;
    prepare(r, d, Mode::LISTE);
    t_.unites = 1;
    if (r.exeptions() == 2) {
        // Settled at once: the single solution, or none.
        if (verdicts_.dernier == Verdict::UNIQUE) {
            const Vec<ZZ> x = unique(r);
            ecritLigne(enAttente_, x, r.pb.n, d.json);
            t_.ajoute(x, r.pb.n, 0);
        }
        fini_ = true;
    } else if (r.pb.n < 3) {
        // A few pairs at most: listed here.
        r.versMots();
        while (r.i() >= 0)
            r.pas();
        enAttente_ = r.prendLignes();
        t_.ajoute(r.prendBilan(), 1);
        fini_ = true;
    } else {
        // Units listed by every core, given in the order of the search.
        decoupe_ = std::make_unique<Decoupe>(r.pb, r.reglages, r.etatZZ(), d.unite > 0 ? d.unite : limites::UNITE_LISTE);
        equipe_ = std::make_unique<Equipe>(r.pb, r.reglages, travailleurs(d.travailleurs), Mode::LISTE);
        chantier_ = std::make_unique<Chantier>(*decoupe_, *equipe_);
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
        if (d_.suivi && !d_.suivi(0, t_.nombre, depuis(debut_)))
            throw Annulation();
        if (chantier_->fini()) {
            // The solutions after the last unit.
            for (const Vec<ZZ>& x : decoupe_->finales) {
                ecritLigne(lignes, x, r_->pb.n, d_.json);
                t_.ajoute(x, r_->pb.n, 2 * decoupe_->unites());
            }
            fini_ = true;
            return !decoupe_->finales.empty();
        }
        std::optional<Chantier::Livraison> l = chantier_->suivante();
        if (!l)
            continue;
        const std::int64_t j = l->unite.indice;
        for (const Vec<ZZ>& x : l->unite.avant) {
            ecritLigne(lignes, x, r_->pb.n, d_.json);
            t_.ajoute(x, r_->pb.n, 2 * j);
        }
        lignes += l->resultat.lignes;
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

Total liste(const Demande& d, std::ostream& out)
{
    Listage l(d);
    std::string lignes;
    while (l.suivants(lignes)) {
        out << lignes;
        lignes.clear();
    }
    return l.total();
}
