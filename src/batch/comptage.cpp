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

// The verdict of the special-case check, kept; and for the listing, each
// row as a line of values.
class Lignes : public Sortie {
public:
    explicit Lignes(std::ostream* out = nullptr) : out_(out) {}
    bool donne = false;
    Verdict dernier = Verdict::TRIVIAL;
    Total total;

    void verdict(Verdict v, const Recherche&) override
    {
        donne = true;
        dernier = v;
    }
    void entete(const ZZ&) override {}
    void ligne(std::int64_t, const Vec<ZZ>& x, int n) override
    {
        for (int k = 1; k <= n; k++)
            *out_ << x[k] << (k < n ? " " : "\n");
        total.ajoute(x, n, 1);
    }
    void ligneVide() override {}
    ZZ pause() override { return ZZ(0); }
    void resultat(const Recherche&) override {}

private:
    std::ostream* out_;
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
Total sansUnites(const Demande& d, Recherche& r, const Lignes& verdicts, bool regle)
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
            t.ajoute(r.bilan, 1);
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

Total compte(const Demande& d, Atelier* atelier)
{
    const auto debut = Horloge::now();
    Lignes verdicts;
    Recherche r(&verdicts);
    r.reglages.travailleurs = d.travailleurs;
    prepare(r, d, Mode::COMPTE);
    const Probleme& pb = r.pb;
    const bool regle = r.exeptions() == 2;
    if (regle || pb.n < 3)
        return sansUnites(d, r, verdicts, regle);

    Sauvegarde sauvegarde(d);
    const double taille = d.unite > 0 ? d.unite : tailleUnite(d);
    sauvegarde.unite(taille);
    Point point;
    if (!d.reprise.empty())
        point = lisPoint(d.reprise, d, taille);
    sauvegarde.avantTravail();
    // The units of the whole count, and the work of this shard.
    Total t;
    double travail = 0;
    std::int64_t miennes = 0;
    {
        Decoupe pre(r, taille);
        Unite u;
        while (pre.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE) {
            t.unites++;
            if (proprietaire(u.indice, d.tranches) == d.tranche) {
                travail += u.estimation;
                miennes++;
            }
            if ((t.unites & 1023) == 0)
                sauvegarde.avantTravail();
        }
    }

    // The threads of this machine, unless the units go elsewhere.
    std::unique_ptr<Equipe> equipe;
    Atelier local;
    if (atelier == nullptr) {
        int travailleurs = d.travailleurs > 0 ? d.travailleurs : static_cast<int>(std::thread::hardware_concurrency());
        travailleurs = std::max(1, travailleurs);
        equipe = std::make_unique<Equipe>(r, travailleurs);
        local.places = travailleurs * limites::AVANCE_PAR_TRAVAILLEUR;
        local.confie = [&](const Unite& u) { equipe->confie(u); };
        local.recolte = [&](bool attendre) {
            std::vector<std::pair<std::int64_t, Bilan>> faits;
            for (auto& [indice, res] : equipe->recolte(attendre)) {
                if (res.erreur)
                    std::rethrow_exception(res.erreur);
                if (!res.conforme)
                    throw std::logic_error("unit " + std::to_string(indice) + " left elsewhere than cut");
                faits.emplace_back(indice, std::move(res.bilan));
            }
            return faits;
        };
        atelier = &local;
    }

    const double avant = point.total.secondes;
    const std::int64_t unites = t.unites;
    t = point.total;
    t.unites = unites;
    t.tranche = d.tranche;
    t.tranches = d.tranches;
    std::int64_t suivante = point.suivante;
    std::map<std::int64_t, Bilan> termines = std::move(point.termines);

    struct Attente {
        std::int64_t indice;
        bool mienne;
        std::vector<Vec<ZZ>> avant;
        double estimation;
    };
    std::deque<Attente> file;
    Decoupe decoupe(r, taille);
    bool finDecoupe = false, finie = false;
    double fait = 0, faitIci = 0;
    std::int64_t fusionnees = 0;
    Statut statut(d.statut);
    double dernierPoint = 0;
    const std::size_t places = static_cast<std::size_t>(atelier->places);

    auto etat = [&] {
        Point p;
        p.suivante = suivante;
        p.total = t;
        p.total.secondes = avant + depuis(debut);
        p.termines = termines;
        return p;
    };

    while (!finie) {
        bool attente = false;
        while (!finDecoupe && file.size() < places) {
            Unite u;
            const Decoupe::Etape e = decoupe.suivante(u);
            if (e == Decoupe::FIN) {
                finDecoupe = true;
                break;
            }
            if (e == Decoupe::ATTENTE) {
                attente = true;
                break;
            }
            const bool mienne = proprietaire(u.indice, d.tranches) == d.tranche;
            if (u.indice < suivante) {
                if (mienne)
                    fait += u.estimation;
                fusionnees += mienne;
                continue;  // merged before the run was resumed
            }
            if (mienne && termines.count(u.indice) == 0)
                atelier->confie(u);
            file.push_back({u.indice, mienne, mienne ? std::move(u.avant) : std::vector<Vec<ZZ>>{}, u.estimation});
        }
        for (auto& [indice, b] : atelier->recolte(false))
            termines[indice] = std::move(b);
        bool fusion = false;
        while (!file.empty()) {
            Attente& a = file.front();
            if (a.mienne) {
                const auto it = termines.find(a.indice);
                if (it == termines.end())
                    break;
                for (const Vec<ZZ>& x : a.avant)
                    t.ajoute(x, pb.n, 2 * a.indice);
                t.ajoute(it->second, 2 * a.indice + 1);
                finie = it->second.finie;
                termines.erase(it);
                fait += a.estimation;
                faitIci += a.estimation;
                fusionnees++;
            }
            suivante = a.indice + 1;
            file.pop_front();
            fusion = true;
            if (finie)
                break;
        }
        if (finie || (file.empty() && finDecoupe))
            break;
        if (sauvegarde.active() && Interruption::recu() != 0) {
            statut.efface();
            sauvegarde.surSignal(etat());
        }
        const double ecoule = depuis(debut);
        statut.montre(travail > 0 ? fait / travail : 0, fusionnees, miennes, t.nombre, avant + ecoule,
                      faitIci > 0 ? ecoule * (travail - fait) / faitIci : NAN);
        if (ecoule - dernierPoint >= d.chaque) {
            sauvegarde.ecris(etat());
            dernierPoint = ecoule;
        }
        // Waits for a result a moment at most: a signal is seen at once.
        if (!fusion && !attente)
            for (auto& [indice, b] : atelier->recolte(true))
                termines[indice] = std::move(b);
    }
    // The solutions after the last unit belong to the shard of the index
    // that would come next.
    if (!finie && proprietaire(t.unites, d.tranches) == d.tranche)
        for (const Vec<ZZ>& x : decoupe.finales)
            t.ajoute(x, pb.n, 2 * t.unites);
    suivante = t.unites;
    termines.clear();
    t.secondes = avant + depuis(debut);
    statut.montre(1, miennes, miennes, t.nombre, t.secondes, 0, true);
    sauvegarde.ecris(etat());
    return t;
}

Total liste(const Demande& d, std::ostream& out)
{
    const auto debut = Horloge::now();
    Lignes lignes(&out);
    Recherche r(&lignes);
    r.reglages.travailleurs = d.travailleurs;
    prepare(r, d, Mode::AFFICHE);
    r.pb.L = 0;  // every row, no pause
    r.res.K3 = 0;
    r.recherche();
    if (lignes.donne && lignes.dernier == Verdict::UNIQUE)
        lignes.ligne(1, unique(r), r.pb.n);
    Total t = lignes.total;
    t.unites = 1;
    t.secondes = depuis(debut);
    return t;
}
