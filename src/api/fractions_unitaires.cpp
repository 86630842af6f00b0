// The library's face: a problem turned into the batch counter's demand and
// checked as the command line is, then counted, listed or estimated by the
// code the programs run; the engine's failures become one Error.
#include "fractions_unitaires.hpp"

#include <sys/stat.h>

#include <sstream>

#include "batch/commande.h"
#include "batch/comptage.h"
#include "batch/estimation.h"

namespace fractions_unitaires {

namespace {

Demande demande(const Problem& p)
{
    Demande d;
    d.n = p.n;
    d.P1 = p.P;
    d.Q1 = p.Q;
    d.type = p.type;
    d.parite = p.parity == Parity::odd ? 1 : p.parity == Parity::even ? 2 : 0;
    d.max = p.max;
    d.prefixe = p.prefix;
    d.tranche = p.shard;
    d.tranches = p.shards;
    // A library takes no signal and prints nothing: its caller stops it
    // through its callbacks.
    d.programme = false;
    return d;
}

std::vector<NTL::ZZ> valeurs(const Solution& s)
{
    if (s.vide())
        return {};
    const Vec<ZZ> v = s.valeurs();
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
    } catch (const MauvaisArgument& e) {
        throw Error(e.message);
    } catch (const Annulation&) {
        throw Error("stopped by its caller", true);
    } catch (const std::exception& e) {
        throw Error(e.what());
    }
}

}  // namespace

Problem problem(int n, const std::string& fraction)
{
    return protege([&] {
        Problem p;
        p.n = n;
        const Demande d = lisFraction(fraction);
        p.P = d.P1;
        p.Q = d.Q1;
        return p;
    });
}

Totals count(const Problem& p, const CountOptions& o)
{
    return protege([&] {
        Demande d = demande(p);
        d.travailleurs = o.threads;
        d.point = o.checkpoint;
        d.chaque = o.every;
        struct stat st;
        if (o.resume && !o.checkpoint.empty() && ::stat(o.checkpoint.c_str(), &st) == 0 && st.st_size > 0)
            d.reprise = o.checkpoint;
        if (o.progress)
            d.suivi = [&](double fait, const NTL::ZZ& solutions, double secondes) {
                return o.progress(Progress{fait, solutions, secondes});
            };
        verifie(d);
        const Total t = compte(d);
        Totals r;
        r.solutions = t.nombre;
        if (t.nombre > 0)
            r.xn_max = t.xn.valeur().zz();
        r.first = valeurs(t.premiere);
        r.last = valeurs(t.derniere);
        r.units = t.unites;
        r.seconds = t.secondes;
        return r;
    });
}

struct Listing::Impl {
    Demande d;
    std::function<bool()> continuer;
    std::unique_ptr<Listage> listage;
    std::string tampon;
    std::size_t lu = 0;
};

Listing::Listing(const Problem& p, int threads, std::function<bool()> keep_going) : impl_(std::make_unique<Impl>())
{
    protege([&] {
        Impl& m = *impl_;
        m.d = demande(p);
        m.d.travailleurs = threads;
        m.continuer = std::move(keep_going);
        if (m.continuer)
            m.d.suivi = [&m](double, const NTL::ZZ&, double) { return m.continuer(); };
        verifie(m.d);
        m.listage = std::make_unique<Listage>(m.d);
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

std::string estimate_json(const Problem& p)
{
    return protege([&] {
        Demande d = demande(p);
        d.json = true;
        verifie(d);
        std::ostringstream o;
        ecritEstimation(o, d, estime(d, tailleUnite(d)));
        return o.str();
    });
}

}  // namespace fractions_unitaires
