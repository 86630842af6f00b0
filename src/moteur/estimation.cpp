// Random paths down the search tree, stratified by the units of a coarse
// cut. A value of an unknown is drawn with a weight that follows the size
// of its subtree: a value d steps above the bottom of the walk of x(k+1)
// holds about d^-e prefixes below it (e: the unknowns between it and
// x(n-2)). At the last level, x(n-2), the prefixes are counted exactly,
// and the solutions are estimated from values drawn with a weight in 1/t
// (t: the place of the value from the bottom of its walk). The remainder
// shrinks toward the bottom, and with it the numerator that the pairs of a
// prefix are counted modulo: the pairs gather at the bottom, in a few
// values that a uniform draw misses, and the estimate and its interval go
// wrong. The pairs of each value drawn are counted exactly.
#include "moteur/estimation.h"

#include "moteur/total.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>
#include <vector>

#include "partage/decoupe.h"
#include "nombres/facteurs.h"
#include "recherche/marche.h"
#include "partage/partage.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

namespace {

using Alea = std::mt19937_64;

double cpu() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// A quantity known exactly.
void fixe(Grandeur& g, double v) { g.valeur = g.bas = g.haut = v; }

// The prefixes of a work unit, from the coarse estimate of a count's
// prefixes: about a million units at most (a count of 10^15 prefixes gets
// units of 10^9, a count of 10^8 the smallest size).
double uniteDe(double grossier) { return std::max(limites::UNITE, std::floor(grossier / (1 << 20))); }

// A uniform integer in [0, borne): 64 random bits at a time, then reduced
// (the bias is below 2^-64 times the size).
ZZ uniforme(const ZZ& borne, Alea& alea)
{
    ZZ v(0);
    for (long bits = 0; bits < NTL::NumBits(borne) + 64; bits += 64)
        v = (v << 64) + NTL::conv<ZZ>(static_cast<unsigned long>(alea()));
    return v % borne;
}

// Places t in [ta, tb] (ta >= 1) drawn with a probability about t^-e: an
// octave [2^o, 2^(o+1)) chosen by its share, then a place in it
// uniformly. The probability of a place is known exactly.
class Loi {
public:
    Loi(const ZZ& ta, const ZZ& tb, int e) : ta_(ta), tb_(tb), e_(e)
    {
        if (e == 0)
            return;
        // The share of each octave: its places, times 2^(-o e), relative
        // to the largest (as log2 first: octaves past the doubles).
        premier_ = NTL::NumBits(ta) - 1;
        const long dernier = NTL::NumBits(tb) - 1;
        cumul_.resize(static_cast<std::size_t>(dernier - premier_ + 1));
        double plus = -HUGE_VAL;
        for (long o = premier_; o <= dernier; o++) {
            double& part = cumul_[static_cast<std::size_t>(o - premier_)];
            part = log2(fin(o) - debut(o) + 1) - static_cast<double>(o) * e;
            plus = std::max(plus, part);
        }
        double somme = 0;
        for (double& part : cumul_)
            part = (somme += std::exp2(part - plus));
        log2Masse_ = std::log2(somme) + plus;
    }
    ZZ tire(Alea& alea)
    {
        if (e_ == 0)
            return ta_ + uniforme(tb_ - ta_ + 1, alea);
        const double u = std::uniform_real_distribution<double>(0, cumul_.back())(alea);
        const long o = premier_ + (std::upper_bound(cumul_.begin(), cumul_.end(), u) - cumul_.begin());
        const long octave = std::min(o, premier_ + static_cast<long>(cumul_.size()) - 1);
        return debut(octave) + uniforme(fin(octave) - debut(octave) + 1, alea);
    }
    // The inverse of the probability of t (infinite past doubles).
    double poids(const ZZ& t) const
    {
        if (e_ == 0)
            return NTL::conv<double>(tb_ - ta_ + 1);
        // The octave's share over its places: 2^(-o e) / M.
        return std::exp2(log2Masse_ + static_cast<double>(NTL::NumBits(t) - 1) * e_);
    }

private:
    ZZ debut(long o) const { return ta_ > (ZZ(1) << o) ? ta_ : ZZ(1) << o; }
    ZZ fin(long o) const { return tb_ < (ZZ(1) << (o + 1)) ? tb_ : (ZZ(1) << (o + 1)) - 1; }
    // log2 of v >= 1, past the doubles too.
    static double log2(const ZZ& v)
    {
        const long bits = NTL::NumBits(v);
        if (bits < 1000)
            return std::log2(NTL::conv<double>(v));
        return static_cast<double>(bits - 64) + std::log2(NTL::conv<double>(v >> (bits - 64)));
    }

    ZZ ta_, tb_;
    int e_;
    long premier_ = 0;
    std::vector<double> cumul_;
    double log2Masse_ = 0;
};

// The last level below a node x1 .. x(n-3) whose remainder is c/d: the
// values v of x(n-2) from bas to haut (its walk going down to fond). The
// pairs of v are counted modulo c1, the numerator of what remains after
// v: u/g with u = c v - d and g the part of u shared with d v. They gather
// where c1 is small: u small (v near the bottom), or u mostly made of the
// primes of d. Values are drawn half the time in 1/t (t: v's place from
// the bottom), half the time as u = delta s: delta made of the primes of
// d, the exponent a of each drawn with a probability in 2^-a, and s drawn
// in 1/s among the s that make v a value of the walk. A draw whose s shares
// a prime with d, so that delta is not all of u's part made of them, gives
// nothing: each v comes from one delta and one s. Without the primes of d
// (an unknown past 64 bits), in 1/t only.
class DernierNiveau {
public:
    DernierNiveau(Recherche& r, const ZZ& bas, const ZZ& haut, const ZZ& fond)
        : z_(r.probleme().z), fond_(fond), bas_(bas), haut_(haut),
          places_((bas - fond) / z_ + 1, (haut - fond) / z_ + 1, 1)
    {
        const Etat<ZZ>& s = r.etatZZ();
        c_ = r.probleme().P * s.D - r.probleme().Q * s.N;
        d_ = r.probleme().Q * s.D;
        const ZZ g = GCD(c_, d_);
        c_ /= g;
        d_ /= g;
        uBas_ = c_ * bas - d_;
        uHaut_ = c_ * haut - d_;
        premiersDe(r);
        // The largest exponent of each prime within u.
        for (const ZZ& p : premiers_) {
            int a = 0;
            for (ZZ m = p; m <= uHaut_; m *= p)
                a++;
            maxi_.push_back(a);
        }
    }

    // A value drawn, and the inverse of its probability; false when the
    // draw gives nothing.
    bool tire(Alea& alea, ZZ& v, double& poids)
    {
        if (premiers_.empty() || (alea() & 1) == 0) {
            v = fond_ + z_ * (places_.tire(alea) - 1);
        } else {
            ZZ delta(1);
            for (std::size_t k = 0; k < premiers_.size(); k++) {
                int a = 0;
                while (a < maxi_[k] && (alea() & 1) != 0)
                    a++;
                for (int t = 0; t < a && delta <= uHaut_; t++)
                    delta *= premiers_[k];
            }
            ZZ s0;
            Loi loi(ZZ(1), ZZ(1), 0);
            if (delta > uHaut_ || !progression(delta, s0, loi))
                return false;
            const ZZ u = delta * (s0 + c_ * (loi.tire(alea) - 1));
            if (partie(u).first != delta || !valeur(u, v))
                return false;
        }
        poids = 1 / probabilite(v);
        return true;
    }

private:
    // The primes of d, from those of Q and of x1 .. x(n-3) (each below
    // 2^64); none when one is past it.
    void premiersDe(Recherche& r)
    {
        std::vector<u64> candidats;
        Facteurs f;
        std::int64_t rho = 0;
        auto ajoute = [&](const ZZ& v) {
            if (!tient(v, 64) || sign(v) <= 0)
                return false;
            factorise(NTL::conv<unsigned long>(v), f, rho);
            for (int k = 0; k < f.nb; k++)
                candidats.push_back(static_cast<u64>(f.p[k]));
            return true;
        };
        bool tous = ajoute(r.probleme().Q);
        for (int k = 1; k <= r.etatZZ().i && tous; k++)
            tous = ajoute(r.etatZZ().x[k]);
        if (!tous)
            return;
        std::sort(candidats.begin(), candidats.end());
        candidats.erase(std::unique(candidats.begin(), candidats.end()), candidats.end());
        for (u64 p : candidats)
            if (divide(d_, NTL::conv<ZZ>(p)))
                premiers_.push_back(NTL::conv<ZZ>(p));
    }

    // u's part made of the primes of d, and the probability of drawing it.
    std::pair<ZZ, double> partie(ZZ u) const
    {
        ZZ delta(1);
        double proba = 1;
        for (std::size_t k = 0; k < premiers_.size(); k++) {
            int a = 0;
            while (divide(u, premiers_[k])) {
                u /= premiers_[k];
                delta *= premiers_[k];
                a++;
            }
            // a halvings, then a stop unless a is the largest exponent.
            proba = a > maxi_[k] ? 0 : proba * std::ldexp(1.0, -a - (a < maxi_[k] ? 1 : 0));
        }
        return {delta, proba};
    }

    // The s with delta s a u of the range and v = (u + d) / c an integer:
    // s0, s0 + c, ..., and their law in 1/s.
    bool progression(const ZZ& delta, ZZ& s0, Loi& loi) const
    {
        // s = -d / delta (mod c): delta is coprime to c.
        ZZ r(0);
        if (c_ != 1) {
            ZZ inv;
            if (InvModStatus(inv, delta % c_, c_) != 0)
                return false;
            r = (c_ - d_ % c_) % c_ * inv % c_;
        }
        const ZZ sBas = (uBas_ + delta - 1) / delta, sHaut = uHaut_ / delta;
        s0 = sBas + ((r - sBas) % c_ + c_) % c_;
        if (s0 > sHaut)
            return false;
        loi = Loi(ZZ(1), (sHaut - s0) / c_ + 1, 1);
        return true;
    }

    // The value of x(n-2) whose u is given, when it is one of the range's.
    bool valeur(const ZZ& u, ZZ& v) const
    {
        if (!divide(u + d_, c_))
            return false;
        v = (u + d_) / c_;
        return v >= bas_ && v <= haut_ && (v - fond_) % z_ == 0;
    }

    // The probability of v under the mixture.
    double probabilite(const ZZ& v) const
    {
        const double enT = 1 / places_.poids((v - fond_) / z_ + 1);
        if (premiers_.empty())
            return enT;
        const ZZ u = c_ * v - d_;
        const auto [delta, proba] = partie(u);
        ZZ s0;
        Loi loi(ZZ(1), ZZ(1), 0);
        const double enS = proba > 0 && progression(delta, s0, loi) ? proba / loi.poids((u / delta - s0) / c_ + 1) : 0;
        return (enT + enS) / 2;
    }

    ZZ z_, fond_, bas_, haut_, c_, d_, uBas_, uHaut_;
    Loi places_;
    std::vector<ZZ> premiers_;
    std::vector<int> maxi_;
};

// A search on ZZ that only walks down, drawing the values it takes, and a
// second one that counts the solutions under a prefix within a step budget.
class Sondeur {
public:
    explicit Sondeur(const Enonce& d)
    {
        r_.reglages.raccourcis = false;
        prepare(r_, d, Mode::RELEVE);
        depart_ = r_.etatZZ();
        prepare(compteur_, d, Mode::COMPTE);
        compteur_.reglages.pasMax = limites::PAS_SONDE;
    }
    int n() const { return r_.probleme().n; }
    int z() const { return r_.probleme().z; }
    const Etat<ZZ>& etat() { return r_.etatZZ(); }
    // At the root of the search, or at its prefix.
    void racine() { r_.placeEtat(depart_); }
    void place(int k, const Vec<ZZ>& x, const Vec<ZZ>& minr) { r_.place(k, x, minr); }

    // The values the walk of x(k+1) takes from depth k, fond .. haut; the
    // completion at its top, if any, added to *completions times poids
    // (its subtree holds nothing else). False when it takes none, or when
    // its numbers are too large to follow (the path is cut).
    bool bornes(double poids, double* completions, ZZ& haut, ZZ& fond)
    {
        const Etat<ZZ>& s = r_.etatZZ();
        const Probleme& pb = r_.probleme();
        const int k = s.i;
        if (NTL::NumBits(s.D) > limites::BITS_SONDE) {
            coupes++;
            return false;
        }
        const Bornes<ZZ> b = r_.bornesSuivante();
        if (b.fin || (s.M != 0 && s.M * b.divis < b.divid))
            return false;
        haut = b.haut;
        if (b.complete) {
            if ((pb.type == 1 || b.cas2 == 1) && completions != nullptr)
                *completions += poids;
            haut -= pb.z;
        }
        if (pb.type == 1 ? s.x[k] > haut : s.x[k] >= haut)
            return false;
        fond = finDeMarche(pb, s.x, s.minr, k + 1, haut);
        return haut >= fond && haut >= s.minr[k + 1];
    }

    // From the current depth down to n-3, each value drawn; false when the
    // path dies or is cut.
    bool descend(Alea& alea, double& poids, double* completions)
    {
        const Etat<ZZ>& s = r_.etatZZ();
        while (s.i < n() - 3) {
            ZZ haut, fond;
            if (!bornes(poids, completions, haut, fond))
                return false;
            Loi loi(ZZ(1), (haut - fond) / r_.probleme().z + 1, n() - s.i - 3);
            const ZZ t = loi.tire(alea);
            poids *= loi.poids(t);
            r_.descend(s.i + 1, fond + z() * (t - 1));
        }
        return true;
    }

    // The last level from depth n-3, over bas .. haut of the walk of x(n-2)
    // whose bottom is fond: its prefixes, and its solutions (and, in a
    // count of both types, those of type 2) estimated from `tirages` values
    // drawn in 1/t (NaN when a count is past the budget).
    void dernier(const ZZ& bas, const ZZ& haut, const ZZ& fond, int tirages, Alea& alea, double& prefixes,
                 double& solutions, double& distinctes, double& secondes)
    {
        const ZZ z(r_.probleme().z);
        prefixes = NTL::conv<double>((haut - bas) / z + 1);
        solutions = distinctes = 0;
        if (tirages == 0)
            return;
        const double debut = cpu();
        DernierNiveau loi(r_, bas, haut, fond);
        for (int t = 0; t < tirages; t++) {
            if (inconnu) {
                solutions = distinctes = std::nan("");
                break;
            }
            ZZ v;
            double poids = 0;
            if (loi.tire(alea, v, poids)) {
                const auto [toutes, d] = paires(v);
                solutions += poids * toutes;
                distinctes += poids * d;
            }
        }
        solutions /= tirages;
        distinctes /= tirages;
        secondes += cpu() - debut;
    }

    // The solutions whose x(n-2) is v, under x1 .. x(n-3) where the walk
    // stands, and those of them of type 2 in a count of both types; NaN
    // past the step budget (numbers past the words).
    std::pair<double, double> paires(const ZZ& v)
    {
        const int k = n() - 2;
        Unite u;
        u.k = k;
        u.x.SetLength(k + 1);
        u.minr.SetLength(k + 1);
        for (int t = 0; t < k; t++)
            u.x[t] = r_.etatZZ().x[t];
        for (int t = 0; t <= k; t++)
            u.minr[t] = r_.etatZZ().minr[t];
        u.x[k] = u.bas = v;
        try {
            const Bilan b = compteUnite(compteur_, u).bilan;
            return {static_cast<double>(b.nombre), static_cast<double>(b.distinctes.nombre)};
        } catch (const TropDePas&) {
            inconnu = true;
            return {std::nan(""), std::nan("")};
        }
    }

    // The CPU seconds and prefixes of a count of up to `largeur` values of
    // x(n-2) from `haut` down, as a real count closes them. Throws
    // TropDePas past the step budget.
    void mesure(const ZZ& haut, const ZZ& fond, long largeur, double& secondes, std::int64_t& prefixes)
    {
        const int k = n() - 2;
        Unite u;
        u.k = k;
        u.x.SetLength(k + 1);
        u.minr.SetLength(k + 1);
        for (int t = 0; t <= k; t++) {
            u.x[t] = t < k ? r_.etatZZ().x[t] : haut;
            u.minr[t] = r_.etatZZ().minr[t];
        }
        u.bas = std::max(fond, haut - (largeur - 1) * r_.probleme().z);
        const double debut = cpu();
        const Resultat res = compteUnite(compteur_, u);
        secondes += cpu() - debut;
        prefixes += res.compteurs.n[PREFIXES];
    }

    std::int64_t coupes = 0;
    // A count went past its step budget: the solutions are unknown, and
    // no more are counted.
    bool inconnu = false;

private:
    Recherche r_, compteur_;
    Etat<ZZ> depart_;
};

// Paths of n unknowns that fit in the levels allowed, at least one.
long sondesPermises(int n, double niveaux, long voulues)
{
    return std::max(1L, std::min(voulues, static_cast<long>(niveaux / n)));
}

// One stratum: a unit of the cut, its paths drawing the value of the
// unit's unknown uniformly in its range (a range of x(n-2) is the last
// level itself), going down to n-3, then estimating the last level: the
// means over the paths of the prefixes and solutions, and the variances of
// those means. A path that dies adds nothing.
struct Strate {
    double prefixes = 0, varPrefixes = 0, solutions = 0, varSolutions = 0, distinctes = 0, varDistinctes = 0;
};

Strate echantillonne(Sondeur& s, const Unite& u, int chemins, int tirages, Alea& alea, double& secondes)
{
    const int n = s.n();
    const ZZ z(s.z());
    std::vector<double> p(static_cast<std::size_t>(chemins), 0.0), q(p), q2(p);
    (void)n;
    for (std::size_t c = 0; c < p.size(); c++) {
        // The completions have three equal values at least: none is of
        // type 2 in a count of both types.
        double poids = 1, completions = 0, prefixes = 0, solutions = 0, distinctes = 0;
        if (u.k == -2) {
            s.racine();
        } else {
            const ZZ largeur = (u.x[u.k] - u.bas) / z + 1;
            Vec<ZZ> x = u.x;
            x[u.k] = u.bas + z * uniforme(largeur, alea);
            s.place(u.k, x, u.minr);
            poids = NTL::conv<double>(largeur);
        }
        ZZ haut, fond;
        if (s.descend(alea, poids, &completions) && s.bornes(poids, &completions, haut, fond)) {
            s.dernier(fond, haut, fond, tirages, alea, prefixes, solutions, distinctes, secondes);
            p[c] = poids * prefixes;
            q[c] = poids * solutions;
            q2[c] = poids * distinctes;
        }
        q[c] += completions;
    }
    auto moyenne = [&](const std::vector<double>& v, double& m, double& var) {
        double s1 = 0, s2 = 0;
        for (double y : v) {
            s1 += y;
            s2 += y * y;
        }
        const double k = static_cast<double>(v.size());
        m = s1 / k;
        var = k > 1 ? std::max(0.0, (s2 / k - m * m) / (k - 1)) : 0;
    };
    Strate st;
    moyenne(p, st.prefixes, st.varPrefixes);
    moyenne(q, st.solutions, st.varSolutions);
    moyenne(q2, st.distinctes, st.varDistinctes);
    return st;
}

// Counts of at most two unknowns, under a prefix of n-2 values or more, or
// settled without a search: counted, within a step budget.
bool exacte(const Enonce& d, Estimation& e)
{
    Verdicts verdicts;
    Recherche r(&verdicts);
    const Depart depart = commence(r, d, Mode::COMPTE);
    if (depart == Depart::REGLE) {
        fixe(e.prefixes, 0);
        const bool unique = verdicts.dernier == Verdict::UNIQUE;
        fixe(e.solutions, unique ? 1 : 0);
        fixe(e.distinctes, unique && distinctes(verdicts.unique, d.n) ? 1 : 0);
        return true;
    }
    // Under a prefix of n-2 values, one prefix too.
    if (depart == Depart::UNITES && static_cast<int>(d.prefixe.size()) < d.n - 2)
        return false;
    fixe(e.prefixes, 1);
    r.reglages.pasMax = limites::PAS_EXACT;
    try {
        const Bilan b = r.parcourt();
        fixe(e.solutions, static_cast<double>(b.nombre));
        fixe(e.distinctes, static_cast<double>(b.distinctes.nombre));
    } catch (const TropDePas&) {
        e.solutions = e.distinctes = Grandeur();  // its numbers are past the words
    }
    return true;
}

// A count small enough to be done in less time than it would take to
// estimate: its prefixes, solutions and cost per prefix, exact. False when
// it goes past its step budget, its coarse estimate having been too low.
bool petitCompte(const Enonce& d, Estimation& e)
{
    Recherche r;
    prepare(r, d, Mode::COMPTE);
    r.reglages.pasMax = limites::PAS_PETIT_COMPTE;
    const double debut = cpu();
    Bilan b;
    try {
        b = r.parcourt();
    } catch (const TropDePas&) {
        return false;
    }
    const double secondes = cpu() - debut;
    const double prefixes = static_cast<double>(r.compteurs.n[PREFIXES]);
    fixe(e.prefixes, prefixes);
    fixe(e.solutions, static_cast<double>(b.nombre));
    fixe(e.distinctes, static_cast<double>(b.distinctes.nombre));
    e.nsParPrefixe = prefixes > 0 ? 1e9 * secondes / prefixes : std::nan("");
    return true;
}

}  // namespace

double estimePrefixes(const Enonce& d, int sondes, std::uint64_t graine, std::int64_t* coupes)
{
    if (d.n < 3 || static_cast<int>(d.prefixe.size()) >= d.n - 2)
        return 1;
    Sondeur s(d);
    Alea alea(graine);
    const long nombre = sondesPermises(d.n, limites::NIVEAUX_SONDES, sondes);
    double total = 0, secondes = 0;
    for (long t = 0; t < nombre; t++) {
        s.racine();
        double poids = 1, prefixes = 0, solutions = 0, distinctes = 0;
        ZZ haut, fond;
        if (s.descend(alea, poids, nullptr) && s.bornes(poids, nullptr, haut, fond)) {
            s.dernier(fond, haut, fond, 0, alea, prefixes, solutions, distinctes, secondes);
            total += poids * prefixes;
        }
    }
    if (coupes != nullptr)
        *coupes += s.coupes;
    return total / static_cast<double>(nombre);
}

namespace {

// The strata: the units of a cut into about `voulues` units, STRATES_MAX
// at most (where the cut's estimates along one path and the coarse count
// along random ones disagree by far, coarser units until they are few
// enough).
std::vector<Unite> strates(Recherche& racine, double taille)
{
    const int n = racine.probleme().n;
    // Three unknowns or a prefix of n-3 values: one stratum, the node
    // itself, whose last level is drawn whole.
    if (racine.i() >= n - 3) {
        Unite u;
        u.k = -2;
        return {u};
    }
    for (;;) {
        Decoupe essai(racine.probleme(), racine.reglages, racine.etatZZ(), taille, n - 3);
        Unite u;
        std::int64_t nombre = 0;
        while (nombre <= limites::STRATES_MAX && essai.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE)
            nombre++;
        if (nombre <= limites::STRATES_MAX)
            break;
        taille *= 16;
    }
    std::vector<Unite> liste;
    Decoupe decoupe(racine.probleme(), racine.reglages, racine.etatZZ(), taille, n - 3);
    Unite u;
    while (decoupe.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE)
        liste.push_back(std::move(u));
    // The solutions the cut met between units, and after the last one.
    liste.emplace_back();
    liste.back().k = -1;
    liste.back().avant = std::move(decoupe.finales);
    return liste;
}

// The prefixes and solutions of the count of d, from `chemins` paths in
// each stratum, `tirages` values of the last level drawn for each path.
void sonde(const Enonce& d, double taille, double voulues, int chemins, int tirages, Estimation& e,
           std::vector<double>& parts, std::vector<Unite>& liste, double& secondes)
{
    Recherche racine;
    prepare(racine, d, Mode::COMPTE);
    liste = strates(racine, taille);
    // The paths asked for, shared among the strata; one stratum alone (a
    // node whose draws are all at its last level, or a count out of reach
    // whose order of magnitude only is told) takes fewer.
    const double total = liste.size() == 1 ? chemins * voulues / 16 : chemins * voulues;
    chemins = static_cast<int>(std::max(2.0, std::floor(total / static_cast<double>(liste.size()))));
    Sondeur s(d);
    Alea alea(20261207);
    double prefixes = 0, solutions = 0, deux = 0, varP = 0, varS = 0, varD = 0;
    for (const Unite& u : liste) {
        solutions += static_cast<double>(u.avant.size());
        for (const Vec<ZZ>& x : u.avant)
            deux += d.lesDeux && distinctes(x, d.n) ? 1 : 0;
        if (u.k == -1)
            continue;
        const Strate st = echantillonne(s, u, chemins, tirages, alea, secondes);
        prefixes += st.prefixes;
        solutions += st.solutions;
        deux += st.distinctes;
        varP += st.varPrefixes;
        varS += st.varSolutions;
        varD += st.varDistinctes;
        parts.push_back(st.prefixes);
        e.strates++;
        e.sondes += chemins;
    }
    e.coupes = std::min<std::int64_t>(s.coupes, e.sondes);
    const auto intervalle = [](Grandeur& g, double v, double var) {
        const double ecart = 1.96 * std::sqrt(var);
        g.valeur = v;
        g.bas = std::max(0.0, v - ecart);
        g.haut = v + ecart;
    };
    intervalle(e.prefixes, prefixes, varP);
    intervalle(e.solutions, solutions, varS);
    intervalle(e.distinctes, deux, varD);
}

// The CPU time of closing one prefix, as a count pays it: ranges of one
// sieve window of consecutive values of x(n-2) closed (a shorter range
// would pay for a whole window all the same), in strata drawn by their
// share of the prefixes. NaN when nothing could be measured.
double cout(const Enonce& d, const std::vector<Unite>& liste, const std::vector<double>& parts)
{
    if (parts.empty())
        return std::nan("");
    Sondeur s(d);
    Alea alea(20261208);
    std::discrete_distribution<std::size_t> choix(parts.begin(), parts.end());
    double secondes = 0;
    std::int64_t fermes = 0;
    const ZZ z(s.z());
    try {
        for (int t = 0; t < 32; t++) {
            const Unite& u = liste[choix(alea)];
            double poids = 1;
            ZZ haut, fond;
            if (u.k == -2) {
                s.racine();
            } else {
                Vec<ZZ> x = u.x;
                x[u.k] = u.x[u.k] - z * uniforme((u.x[u.k] - u.bas) / z + 1, alea);
                s.place(u.k, x, u.minr);
            }
            if (s.descend(alea, poids, nullptr) && s.bornes(poids, nullptr, haut, fond))
                s.mesure(haut - z * uniforme((haut - fond) / z + 1, alea), fond, limites::FENETRE, secondes, fermes);
        }
    } catch (const TropDePas&) {
        return std::nan("");
    }
    return fermes > 0 ? 1e9 * secondes / static_cast<double>(fermes) : std::nan("");
}

}  // namespace

double prefixesGrossiers(const Enonce& d, std::int64_t* coupes)
{
    return estimePrefixes(d, 4096, 0x5eed, coupes);
}

double tailleUnite(const Enonce& d) { return uniteDe(prefixesGrossiers(d)); }

Estimation estime(const Enonce& d, double unite)
{
    const auto debut = std::chrono::steady_clock::now();
    Estimation e;
    const bool connue = exacte(d, e);
    // The coarse estimate, drawn once: it sizes the units and the strata.
    std::int64_t coupes = 0;
    const double grossier = !connue || unite <= 0 ? prefixesGrossiers(d, &coupes) : 0;
    if (unite <= 0)
        unite = uniteDe(grossier);
    if (!connue) {
        const long sondes = sondesPermises(d.n, limites::NIVEAUX_SONDES, 4096);
        if (coupes > 0) {
            // Paths past the sizes they can follow: the coarse count of the
            // others is a lower bound, and that is all there is to know.
            e.prefixes.valeur = grossier * static_cast<double>(sondes) / static_cast<double>(sondes - std::min(coupes, sondes - 1));
            e.sondes = sondes;
            e.coupes = std::min<std::int64_t>(coupes, sondes);
            e.strates = 1;
        }
        // A count out of reach is one stratum: only its order of magnitude
        // is told.
        const bool uneStrate = !(grossier <= limites::PREFIXES_STRATES);
        // About 16384 strata of 8 paths, fewer paths for thousands of
        // unknowns.
        const int chemins = 8;
        double voulues =
            static_cast<double>(sondesPermises(d.n, limites::NIVEAUX_ESTIMATION_LONGUE, 16384L * chemins) / chemins);
        const double taille = uneStrate ? HUGE_VAL : std::max(1.0, grossier / std::max(1.0, voulues));
        if (uneStrate)
            voulues /= 4;
        std::vector<double> parts;
        std::vector<Unite> liste;
        double secondes = 0;
        // A small tree is counted rather than estimated.
        if (coupes == 0 && !(grossier <= limites::PREFIXES_COMPTES && petitCompte(d, e))) {
            sonde(d, taille, voulues, chemins, 8, e, parts, liste, secondes);
            e.nsParPrefixe = cout(d, liste, parts);
        }
    }
    // Past the doubles, nothing is known; paths cut leave the prefixes a
    // lower bound (when there are any), and the rest unknown.
    for (Grandeur* g : {&e.prefixes, &e.solutions, &e.distinctes})
        if (!std::isfinite(g->valeur) || !std::isfinite(g->haut))
            *g = Grandeur();
    if (e.coupes > 0) {
        e.prefixes.auMoins = true;
        e.prefixes.bas = e.prefixes.haut = std::nan("");
        if (!(e.prefixes.valeur > 0))
            e.prefixes.valeur = std::nan("");
        e.solutions = e.distinctes = Grandeur();
        e.nsParPrefixe = std::nan("");
    }
    e.unites = e.prefixes.connue() ? std::max(1.0, std::ceil(e.prefixes.valeur / unite)) : std::nan("");
    const double h = e.nsParPrefixe / 3.6e12;
    e.heures = {e.prefixes.valeur * h, e.prefixes.bas * h, e.prefixes.haut * h, e.prefixes.auMoins};
    e.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return e;
}

namespace {

// A quantity estimated, in JSON: null where unknown (NaN).
nlohmann::json nombre(double v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr); }

}  // namespace

nlohmann::json estimationJson(const Enonce& d, const Estimation& e)
{
    nlohmann::json j = {{"n", d.n},
                        {"P", nombreJson(d.P)},
                        {"Q", nombreJson(d.Q)},
                        {"type", typeJson(d)},
                        {"parity", nomParite(d.parite)},
                        {"max", d.max == 0 ? nlohmann::json(nullptr) : nombreJson(d.max)},
                        {"prefix", prefixeJson(d)},
                        {"units_estimate", nombre(e.unites)},
                        {"ns_per_prefix", nombre(e.nsParPrefixe)},
                        {"samples", e.sondes},
                        {"paths_cut", e.coupes},
                        {"strata", e.strates},
                        {"seconds", e.secondes}};
    auto grandeur = [](nlohmann::json& o, const std::string& nom, const Grandeur& g) {
        o[nom + "_estimate"] = nombre(g.valeur);
        o[nom + "_low"] = nombre(g.bas);
        o[nom + "_high"] = nombre(g.haut);
        o[nom + "_lower_bound"] = g.auMoins;
    };
    grandeur(j, "prefixes", e.prefixes);
    grandeur(j, "core_hours", e.heures);
    if (d.lesDeux) {
        grandeur(j["type1"], "solutions", e.solutions);
        grandeur(j["type2"], "solutions", e.distinctes);
    } else {
        grandeur(j, "solutions", e.solutions);
    }
    return j;
}

}  // namespace fractions_unitaires::moteur
