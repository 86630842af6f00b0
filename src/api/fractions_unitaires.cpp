// The library's face: a Problem translated into the engine's problem and
// options, counted, listed or estimated by the engine the programs run;
// the engine's failures become one Error.
#include "fractions_unitaires.hpp"

#include <sys/stat.h>

#include <sstream>

#include "moteur/comptage.h"
#include "moteur/estimation.h"
#include "moteur/verification.h"

namespace fractions_unitaires {

namespace {

namespace m = moteur;

m::Enonce enonce(const Problem& p)
{
    m::Enonce e;
    e.n = p.n;
    e.P = p.P;
    e.Q = p.Q;
    if (p.type != 1 && p.type != 2 && p.type != Problem::both)
        throw m::Erreur{"the type must be 1, 2 or both"};
    e.lesDeux = p.type == Problem::both;
    e.type = e.lesDeux ? 1 : p.type;
    e.parite = p.parity == Parity::odd    ? m::Parite::IMPAIRE
               : p.parity == Parity::even ? m::Parite::PAIRE
                                          : m::Parite::INDIFFERENTE;
    e.max = p.max;
    e.prefixe = p.prefix;
    e.tranche = p.shard;
    e.tranches = p.shards;
    return e;
}

std::vector<NTL::ZZ> valeurs(const m::Solution& s)
{
    if (s.vide())
        return {};
    const NTL::Vec<NTL::ZZ> v = s.valeurs();
    return std::vector<NTL::ZZ>(v.begin() + 1, v.end());
}

// Runs f, its failures as Error.
template <class F>
auto protege(F f) -> decltype(f())
{
    try {
        return f();
    } catch (const Error&) {
        throw;
    } catch (const m::Erreur& e) {
        throw Error(e.message);
    } catch (const m::Annulation&) {
        throw Error("stopped by its caller", true);
    } catch (const std::exception& e) {
        throw Error(e.what());
    }
}

// The caller's progress callback, told between units.
class Rappel : public m::Observateur {
public:
    explicit Rappel(const std::function<bool(const Progress&)>& f) : f_(f) {}
    bool progres(const m::Progression& p) override
    {
        return !f_ || f_(Progress{p.fait, p.solutions, p.secondes});
    }

private:
    const std::function<bool(const Progress&)>& f_;
};

TypeTotals totaux(const m::Totaux& t)
{
    TypeTotals r;
    r.solutions = t.nombre;
    r.fingerprint = t.empreinte.texte();
    if (t.nombre > 0) {
        r.xn_max = t.xn.valeur().zz();
        r.x1_min = t.derniere.valeurs()[1];
    }
    r.first = valeurs(t.premiere);
    r.last = valeurs(t.derniere);
    return r;
}

UnitResult resultatUnite(const m::Releve& r)
{
    UnitResult u;
    u.unit = r.unite;
    u.solutions = r.nombre[0];
    u.solutions2 = r.nombre[1];
    u.fingerprint = r.empreinte[0].texte();
    u.fingerprint2 = r.empreinte[1].texte();
    return u;
}

m::Releve releve(const UnitResult& u)
{
    m::Releve r;
    r.unite = u.unit;
    r.nombre[0] = u.solutions;
    r.nombre[1] = u.solutions2;
    if (!m::Empreinte::lit(u.fingerprint, r.empreinte[0]) || !m::Empreinte::lit(u.fingerprint2, r.empreinte[1]))
        throw m::Erreur{"unit " + std::to_string(u.unit) + " has no fingerprint of 16 hexadecimal digits"};
    return r;
}

Quantity quantite(const m::Grandeur& g) { return Quantity{g.valeur, g.bas, g.haut, g.auMoins}; }

}  // namespace

Problem problem(int n, const std::string& fraction)
{
    return protege([&] {
        Problem p;
        p.n = n;
        std::tie(p.P, p.Q) = m::lisFraction(fraction);
        return p;
    });
}

Totals count(const Problem& p, const CountOptions& o)
{
    return protege([&] {
        const m::Enonce e = enonce(p);
        m::Options mo;
        mo.travailleurs = o.threads;
        mo.point = o.checkpoint;
        mo.chaque = o.every;
        struct stat st;
        if (o.resume && !o.checkpoint.empty() && ::stat(o.checkpoint.c_str(), &st) == 0 && st.st_size > 0)
            mo.reprise = o.checkpoint;
        m::verifie(e, mo);
        Rappel rappel(o.progress);
        const m::Total t = m::compte(e, mo, &rappel);
        Totals r;
        static_cast<TypeTotals&>(r) = totaux(t);
        if (e.lesDeux)
            r.type2 = totaux(t.distinctes);
        r.units = t.unites;
        r.seconds = t.secondes;
        for (const m::Releve& u : t.releves)
            r.unit_results.push_back(resultatUnite(u));
        return r;
    });
}

Verification verify(const Problem& p, const Totals& t, std::int64_t units, std::uint64_t seed, int threads)
{
    return protege([&] {
        const m::Enonce e = enonce(p);
        m::Options o;
        o.travailleurs = threads;
        m::verifie(e, o);
        m::Total total;
        total.unites = t.units;
        total.tranche = e.tranche;
        total.tranches = e.tranches;
        for (const UnitResult& u : t.unit_results) {
            if (!total.releves.empty() && total.releves.back().unite >= u.unit)
                throw m::Erreur{"the unit results are not in increasing order of unit"};
            total.releves.push_back(releve(u));
        }
        const m::Verification v = m::recompte(e, o, total, units, seed);
        Verification r;
        r.seed = v.graine;
        r.units = v.unites;
        r.solutions = v.solutions;
        for (const m::Ecart& c : v.ecarts)
            r.differences.push_back({c.unite, c.prefixe, c.bas, resultatUnite(c.rapide), resultatUnite(c.recompte)});
        return r;
    });
}

struct Listing::Impl {
    std::unique_ptr<m::Listage> listage;
    std::string tampon;
    std::size_t lu = 0;
};

Listing::Listing(const Problem& p, int threads, std::function<bool()> keep_going) : impl_(std::make_unique<Impl>())
{
    protege([&] {
        const m::Enonce e = enonce(p);
        m::Options o;
        o.travailleurs = threads;
        m::verifie(e, o);
        impl_->listage = std::make_unique<m::Listage>(e, threads, false, std::move(keep_going));
    });
}

Listing::~Listing() = default;

bool Listing::next_lines(std::string& lines)
{
    Impl& m = *impl_;
    if (m.lu < m.tampon.size()) {
        lines.append(m.tampon, m.lu, std::string::npos);
        m.tampon.clear();
        m.lu = 0;
        return true;
    }
    return protege([&] { return m.listage->suivants(lines); });
}

bool Listing::next(std::vector<NTL::ZZ>& x)
{
    Impl& m = *impl_;
    if (m.lu >= m.tampon.size()) {
        m.tampon.clear();
        m.lu = 0;
        if (!protege([&] { return m.listage->suivants(m.tampon); }))
            return false;
    }
    x.clear();
    const std::size_t fin = m.tampon.find('\n', m.lu);
    std::istringstream ligne(m.tampon.substr(m.lu, fin - m.lu));
    m.lu = fin + 1;
    NTL::ZZ v;
    while (ligne >> v)
        x.push_back(v);
    return true;
}

std::int64_t list(const Problem& p, const std::function<bool(const std::vector<NTL::ZZ>&)>& each, int threads)
{
    Listing l(p, threads);
    std::vector<NTL::ZZ> x;
    std::int64_t donnees = 0;
    while (l.next(x)) {
        donnees++;
        if (!each(x))
            break;
    }
    return donnees;
}

namespace {

m::Estimation estimation(const Problem& p)
{
    const m::Enonce e = enonce(p);
    m::verifie(e);
    return m::estime(e);
}

}  // namespace

Estimate estimate(const Problem& p)
{
    return protege([&] {
        const m::Estimation e = estimation(p);
        Estimate r;
        r.prefixes = quantite(e.prefixes);
        r.solutions = quantite(e.solutions);
        r.solutions2 = quantite(e.distinctes);
        r.core_hours = quantite(e.heures);
        r.units = e.unites;
        r.ns_per_prefix = e.nsParPrefixe;
        r.samples = e.sondes;
        r.strata = e.strates;
        r.paths_cut = e.coupes;
        r.seconds = e.secondes;
        return r;
    });
}

std::string estimate_json(const Problem& p)
{
    return protege([&] { return m::estimationJson(enonce(p), estimation(p)).dump() + "\n"; });
}

}  // namespace fractions_unitaires
