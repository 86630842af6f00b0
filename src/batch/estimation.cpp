// Random paths down the search tree, stratified by the units of a coarse
// cut, the pairs of each prefix reached counted exactly.
#include "batch/estimation.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <vector>

#include "search/decoupe.h"
#include "search/marche.h"
#include "search/partage.h"
#include "search/recherche.h"

namespace {

// A search on ZZ that only walks down: the values of the next unknown as
// the step machine would take them, one of them drawn at random.
class Sondeur {
public:
    explicit Sondeur(const Probleme& pb)
    {
        r_.pb = pb;
        r_.reglages.raccourcis = false;
        r_.mode = Mode::RELEVE;
        r_.dimensionneEtat();
        r_.prepareProbleme();
        compteur_.pb = pb;
        compteur_.mode = Mode::COMPTE;
        compteur_.reglages.pasMax = limites::PAS_SONDE;
        compteur_.dimensionneEtat();
        compteur_.prepareProbleme();
    }

    // Places the walk at x[1..k] with their smallest values.
    void place(int k, const Vec<ZZ>& x, const Vec<ZZ>& minr) { r_.place(k, x, minr); }
    // At the root of the search, or at its prefix.
    void racine()
    {
        Etat<ZZ>& s = r_.zz;
        s.i = 0;
        s.N = 0;
        s.D = 1;
        if (r_.pb.s > 0)
            r_.placePrefixe(r_.pb.x2, r_.pb.s);
    }

    // From the current node down to a prefix x1 .. x(n-2), each value drawn
    // uniformly among those its walk takes. Returns false when the path
    // dies; otherwise the weight (the product of the numbers of values)
    // is multiplied into `poids`, and the solutions met on the way (the
    // completions above the prefix, by their weights, and the pairs of the
    // prefix) into `solutions`, with the CPU seconds the prefix took.
    // Without `solutions`, the path only goes down to its prefix. With it,
    // a prefix whose pairs cannot be counted within the step budget (its
    // numbers are past the words) leaves `solutions` unknown: NaN.
    bool descend(std::mt19937_64& alea, double& poids, double* solutions, double& secondes)
    {
        if (!vers(r_.pb.n - 2, alea, poids, solutions))
            return false;
        if (solutions == nullptr || std::isnan(*solutions))
            return true;
        // The prefix: its pairs (and its own completion), exactly.
        const Unite u = prefixe(r_.zz.x[r_.pb.n - 2]);
        const std::clock_t debut = std::clock();
        try {
            compteur_.pasFaits = 0;
            const Resultat res = compteUnite(compteur_, u);
            *solutions += poids * static_cast<double>(res.bilan.nombre);
        } catch (const TropDePas&) {
            *solutions = std::nan("");
        }
        secondes += static_cast<double>(std::clock() - debut) / CLOCKS_PER_SEC;
        return true;
    }

    // Paths stopped on numbers past BITS_SONDE: the prefixes under them
    // are missed.
    std::int64_t coupes = 0;

    // Down to depth n-3 (from a node above it), then a count of up to
    // `largeur` consecutive values of x(n-2) from one drawn at random, as a
    // real count closes them: the CPU seconds and the prefixes closed are
    // added up. Throws TropDePas when the range cannot be counted within
    // the step budget.
    bool mesure(std::mt19937_64& alea, long largeur, double& secondes, std::int64_t& prefixes)
    {
        double poids = 1;
        const int n = r_.pb.n;
        if (r_.zz.i < n - 2) {
            if (!vers(n - 3, alea, poids, nullptr) || !marche(n - 3, alea, poids))
                return false;
        } else {
            // Placed on x(n-2) already (a stratum of its values).
            const Etat<ZZ>& s = r_.zz;
            fond_ = finDeMarche(r_.pb, s.x, s.minr, n - 2, s.x[n - 2]);
        }
        ZZ bas = r_.zz.x[n - 2] - (largeur - 1) * r_.pb.z;
        if (bas < fond_)
            bas = fond_;
        const Unite u = prefixe(bas);
        compteur_.compteurs = Compteurs();
        compteur_.pasFaits = 0;
        const std::clock_t debut = std::clock();
        compteUnite(compteur_, u);
        secondes += static_cast<double>(std::clock() - debut) / CLOCKS_PER_SEC;
        prefixes += compteur_.compteurs.n[PREFIXES];
        return true;
    }

private:
    // The unit of x(n-2) from its value down to `bas`, under x1 .. x(n-3).
    Unite prefixe(const ZZ& bas) const
    {
        const Etat<ZZ>& s = r_.zz;
        const int n = r_.pb.n;
        Unite u;
        u.k = n - 2;
        u.x.SetLength(n - 1);
        u.minr.SetLength(n - 1);
        for (int t = 0; t <= n - 2; t++) {
            u.x[t] = s.x[t];
            u.minr[t] = s.minr[t];
        }
        u.bas = bas;
        return u;
    }

    // Walks down to depth `fin`, each value drawn at random.
    bool vers(int fin, std::mt19937_64& alea, double& poids, double* solutions)
    {
        while (r_.zz.i < fin)
            if (!marche(r_.zz.i, alea, poids, solutions))
                return false;
        return true;
    }

    // At depth k: the values the walk of x(k+1) takes, one of them placed.
    bool marche(int k, std::mt19937_64& alea, double& poids, double* solutions = nullptr)
    {
        Etat<ZZ>& s = r_.zz;
        const Probleme& pb = r_.pb;
        const int z = pb.z;
        {
            if (NTL::NumBits(s.D) > limites::BITS_SONDE) {
                coupes++;
                return false;
            }
            const ZZ haut0 = r_.maxi(s, k, s.D, s.N);
            if (s.i < 0 || (s.M != 0 && s.M * s.divis < s.divid))
                return false;
            ZZ haut = haut0;
            if (s.reste == 0 && (pb.type == 1 || s.cas2 == 1)) {
                // The completion with the largest value: one solution,
                // and that value's subtree holds nothing else.
                if (solutions != nullptr)
                    *solutions += poids;
                haut -= z;
            } else if (s.reste == 0) {
                haut -= z;
            }
            if (pb.type == 1 ? s.x[k] > haut : s.x[k] >= haut)
                return false;
            const ZZ fond = finDeMarche(pb, s.x, s.minr, k + 1, haut);
            fond_ = fond;
            if (haut < fond || haut < s.minr[k + 1])
                return false;
            const ZZ valeurs = (haut - fond) / z + 1;
            // The subtree of a value d steps above the bottom of the walk
            // holds about d^-e prefixes, e = n - k - 3: a value is drawn
            // with about that weight (an octave of d chosen by its share,
            // then a value in it uniformly), and weighs the inverse of its
            // probability.
            const int e = pb.n - k - 3;
            ZZ rang;
            if (e <= 0 || valeurs < 4) {
                RandomBnd(rang, valeurs, alea);
                poids *= NTL::conv<double>(valeurs);
            } else {
                // Octave o holds 2^o values (the last one fewer), and its
                // share 2^(o (1-e)) times its fullness: no overflow, however
                // many octaves.
                const long octaves = NTL::NumBits(valeurs);
                std::vector<double> parts(octaves);
                double somme = 0;
                for (long o = 0; o < octaves; o++) {
                    double plein = 1;
                    if (o == octaves - 1) {
                        const long decale = std::max(0L, o - 60);
                        const ZZ dernieres = valeurs - (ZZ(1) << o) + 1;
                        plein = NTL::conv<double>(dernieres >> decale) / std::ldexp(1.0, static_cast<int>(o - decale));
                    }
                    parts[o] = std::ldexp(plein, static_cast<int>(o * (1 - e)));
                    somme += parts[o];
                }
                std::discrete_distribution<long> choix(parts.begin(), parts.end());
                const long o = choix(alea);
                const ZZ debutO = ZZ(1) << o;
                ZZ finO = (ZZ(1) << (o + 1)) - 1;
                if (finO > valeurs)
                    finO = valeurs;
                ZZ dans;
                RandomBnd(dans, finO - debutO + 1, alea);
                const ZZ d = debutO + dans;  // 1 .. valeurs, 1 at the bottom
                rang = valeurs - d;
                // Probability of this value: its octave's share, times the
                // weight of the value within it.
                poids *= std::ldexp(somme, static_cast<int>(std::min<long>(o * e, 1L << 20)));
            }
            s.x[k + 1] = haut - z * rang;
            s.i = k + 1;
            r_.plu(s);
        }
        return true;
    }

    static void RandomBnd(ZZ& x, const ZZ& borne, std::mt19937_64& alea)
    {
        // Uniform below borne: 64 random bits at a time, then reduced (the
        // bias is below 2^-64 times the size).
        ZZ v(0);
        for (long bits = 0; bits < NTL::NumBits(borne) + 64; bits += 64)
            v = (v << 64) + NTL::conv<ZZ>(static_cast<unsigned long>(alea()));
        x = v % borne;
    }

    Recherche r_, compteur_;
    ZZ fond_;  // the last value of the walk drawn from
};

}  // namespace

namespace {

// Paths of n unknowns that fit in the levels allowed, at least one.
long sondesPermises(const Probleme& pb, double niveaux, long voulues)
{
    return std::max(1L, std::min(voulues, static_cast<long>(niveaux / pb.n)));
}

}  // namespace

double estimePrefixes(const Probleme& pb, int sondes, std::uint64_t graine, std::int64_t* coupes)
{
    if (pb.n < 3)
        return 1;
    Sondeur s(pb);
    std::mt19937_64 alea(graine);
    const long nombre = sondesPermises(pb, limites::NIVEAUX_SONDES, sondes);
    double total = 0;
    for (long t = 0; t < nombre; t++) {
        s.racine();
        double poids = 1, secondes = 0;
        if (s.descend(alea, poids, nullptr, secondes))
            total += poids;
    }
    if (coupes != nullptr)
        *coupes += s.coupes;
    return total / static_cast<double>(nombre);
}

Estimation estime(const Probleme& pb, double unite, int travailleurs)
{
    (void)travailleurs;
    const auto debut = std::chrono::steady_clock::now();
    Estimation e;
    if (pb.n < 3) {
        e.prefixes = e.prefixesBas = e.prefixesHaut = 1;
        return e;
    }
    // Strata: the units of a cut some ten thousand times coarser than the
    // prefixes, each sampled by the same number of paths.
    std::int64_t coupes = 0;
    const double grossier = estimePrefixes(pb, 4096, 0x5eed, &coupes);
    // A count out of reach, or whose paths were cut (its coarse estimate
    // is then too low to size strata by), is one stratum: only its order
    // of magnitude is told.
    const bool uneStrate = coupes > 0 || !(grossier <= limites::PREFIXES_STRATES);
    const int parStrate =
        uneStrate ? static_cast<int>(std::max(2L, sondesPermises(pb, limites::NIVEAUX_SONDES, 4096))) : 16;
    const double voulues =
        static_cast<double>(sondesPermises(pb, limites::NIVEAUX_ESTIMATION_LONGUE, 16384 * parStrate) / parStrate);
    double taille = uneStrate ? HUGE_VAL : std::max(1.0, grossier / std::max(1.0, voulues));
    bool inconnues = false;
    Recherche racine;
    racine.pb = pb;
    racine.mode = Mode::COMPTE;
    racine.dimensionneEtat();
    racine.prepareProbleme();
    racine.zz.i = 0;
    racine.zz.N = 0;
    racine.zz.D = 1;
    if (pb.s > 0)
        racine.placePrefixe(pb.x2, pb.s);
    // The cut estimates along one path, the coarse count along random
    // ones: where they disagree by far, coarser strata until they are few
    // enough.
    for (;;) {
        Decoupe essai(racine, taille);
        Unite u;
        std::int64_t nombre = 0;
        while (nombre <= limites::STRATES_MAX && essai.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE)
            nombre++;
        if (nombre <= limites::STRATES_MAX)
            break;
        taille *= 16;
    }
    Decoupe decoupe(racine, taille);
    Sondeur sondeur(pb);
    std::mt19937_64 alea(20261207);
    double varPrefixes = 0, varSolutions = 0, secondes = 0;
    std::vector<std::pair<Unite, double>> strates;
    Unite u;
    for (;;) {
        const Decoupe::Etape etape = decoupe.suivante(u, std::int64_t(1) << 62);
        if (etape != Decoupe::UNITE)
            break;
        e.solutions += static_cast<double>(u.avant.size());
        e.strates++;
        const ZZ valeurs = (u.x[u.k] - u.bas) / pb.z + 1;
        const double largeur = NTL::conv<double>(valeurs);
        double s1 = 0, s2 = 0, t1 = 0, t2 = 0;
        for (int t = 0; t < parStrate; t++) {
            Vec<ZZ> x = u.x;
            ZZ tirage(static_cast<long>(alea() % 0x7fffffffffffffffull));
            x[u.k] = u.x[u.k] - pb.z * (tirage % valeurs);
            sondeur.place(u.k, x, u.minr);
            double poids = largeur, solutions = 0;
            if (sondeur.descend(alea, poids, inconnues ? nullptr : &solutions, secondes)) {
                s1 += poids;
                s2 += poids * poids;
            } else {
                poids = 0;
            }
            if (std::isnan(solutions))
                inconnues = true;
            t1 += solutions;
            t2 += solutions * solutions;
            e.sondes++;
        }
        const double m = parStrate;
        strates.emplace_back(u, s1 / m);
        e.prefixes += s1 / m;
        e.solutions += t1 / m;
        varPrefixes += std::max(0.0, (s2 / m - (s1 / m) * (s1 / m)) / (m - 1));
        varSolutions += std::max(0.0, (t2 / m - (t1 / m) * (t1 / m)) / (m - 1));
    }
    e.solutions += static_cast<double>(decoupe.finales.size());
    // Weights past the doubles: the count is infinite as far as it can tell.
    if (!std::isfinite(e.prefixes) || !std::isfinite(varPrefixes))
        e.prefixes = varPrefixes = HUGE_VAL;
    if (!std::isfinite(varSolutions) && !std::isnan(e.solutions))
        e.solutions = varSolutions = HUGE_VAL;
    const double ecartP = 1.96 * std::sqrt(varPrefixes), ecartS = 1.96 * std::sqrt(varSolutions);
    e.prefixesBas = std::isfinite(ecartP) ? std::max(0.0, e.prefixes - ecartP) : 0;
    e.prefixesHaut = e.prefixes + ecartP;
    e.solutionsBas = std::isfinite(ecartS) ? std::max(0.0, e.solutions - ecartS) : 0;
    e.solutionsHaut = e.solutions + ecartS;
    if (inconnues)
        e.solutions = e.solutionsBas = e.solutionsHaut = std::nan("");
    e.unites = std::max(1.0, e.prefixes / unite);
    // The cost of a prefix as a count pays it: ranges of consecutive
    // prefixes closed, in strata drawn by their share of the prefixes.
    std::vector<double> poids;
    for (const auto& st : strates)
        poids.push_back(st.second);
    double mesurees = 0;
    std::int64_t fermes = 0;
    bool coutInconnu = false;
    if (!strates.empty() && e.prefixes > 0) {
        std::discrete_distribution<std::size_t> choix(poids.begin(), poids.end());
        for (int t = 0; t < 64; t++) {
            const Unite& st = strates[choix(alea)].first;
            Vec<ZZ> x = st.x;
            const ZZ valeurs = (st.x[st.k] - st.bas) / pb.z + 1;
            x[st.k] = st.x[st.k] - pb.z * (ZZ(static_cast<long>(alea() >> 1)) % valeurs);
            sondeur.place(st.k, x, st.minr);
            try {
                sondeur.mesure(alea, 4096, mesurees, fermes);
            } catch (const TropDePas&) {
                coutInconnu = true;
                break;
            }
        }
    }
    // Nothing measured under paths that were cut: the cost is unknown too.
    if (fermes == 0 && coupes + sondeur.coupes > 0)
        coutInconnu = true;
    e.nsParPrefixe = coutInconnu ? std::nan("") : fermes > 0 ? 1e9 * mesurees / static_cast<double>(fermes) : 0;
    e.heures = e.prefixes * e.nsParPrefixe / 3.6e12;
    e.heuresBas = e.prefixesBas * e.nsParPrefixe / 3.6e12;
    e.heuresHaut = e.prefixesHaut * e.nsParPrefixe / 3.6e12;
    e.coupes = coupes + sondeur.coupes;
    e.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return e;
}
