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

// The verdict of the special-case check, kept.
class Verdicts : public Sortie {
public:
    Verdict dernier = Verdict::TRIVIAL;

    void verdict(Verdict v, const Recherche&) override { dernier = v; }
    void entete(const ZZ&) override {}
    void ligne(std::int64_t, const Vec<ZZ>&, int) override {}
    void ligneVide() override {}
    ZZ pause() override { return ZZ(0); }
    void resultat(const Recherche&) override {}
};

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
            if (!echec_)
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
        if ((inv.unites & 1023) == 0)
            sauvegarde.avantTravail();
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

Total liste(const Demande& d, std::ostream& out)
{
    const auto debut = Horloge::now();
    Verdicts verdicts;
    Recherche r(&verdicts);
    r.reglages.travailleurs = d.travailleurs;
    r.reglages.lignesJson = d.json;
    prepare(r, d, Mode::LISTE);
    const int n = r.pb.n;
    Total t;
    t.unites = 1;
    if (r.exeptions() == 2) {
        if (verdicts.dernier == Verdict::UNIQUE) {
            const Vec<ZZ> x = unique(r);
            std::string ligne;
            ecritLigne(ligne, x, n, d.json);
            out << ligne;
            t.ajoute(x, n, 0);
        }
    } else if (n < 3) {
        // A few pairs at most: listed here.
        r.versMots();
        while (r.i() >= 0)
            r.pas();
        out << r.prendLignes();
        t.ajoute(r.prendBilan(), 1);
    } else {
        // Units listed by every core, written in the order of the search.
        Decoupe decoupe(r.pb, r.reglages, r.etatZZ(), d.unite > 0 ? d.unite : limites::UNITE_LISTE);
        Equipe equipe(r.pb, r.reglages, travailleurs(d.travailleurs), Mode::LISTE);
        Chantier chantier(decoupe, equipe);
        bool finie = false;
        std::string avant;
        while (!finie && !chantier.fini()) {
            const std::optional<Chantier::Livraison> l = chantier.suivante();
            if (!l)
                continue;
            const std::int64_t j = l->unite.indice;
            avant.clear();
            for (const Vec<ZZ>& x : l->unite.avant) {
                ecritLigne(avant, x, n, d.json);
                t.ajoute(x, n, 2 * j);
            }
            out << avant << l->resultat.lignes;
            t.ajoute(l->resultat.bilan, 2 * j + 1);
            finie = l->resultat.bilan.finie;
        }
        if (!finie)
            for (const Vec<ZZ>& x : decoupe.finales) {
                avant.clear();
                ecritLigne(avant, x, n, d.json);
                out << avant;
                t.ajoute(x, n, 2 * decoupe.unites());
            }
        t.unites = decoupe.unites();
    }
    t.secondes = depuis(debut);
    return t;
}
