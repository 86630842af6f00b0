// The recount of random units: drawn, cut again, counted by the plain
// search on every core, compared.
#include "moteur/verification.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "moteur/estimation.h"
#include "partage/decoupe.h"
#include "partage/partage.h"
#include "recherche/fermeture_directe.h"

namespace fractions_unitaires::moteur {

namespace {

// The units of shard `tranche` of `tranches` among `unites`, k of them
// drawn with `graine` (all when there are no more), increasing.
std::vector<std::int64_t> tire(std::int64_t unites, int tranche, int tranches, std::int64_t k, std::uint64_t graine)
{
    const std::int64_t miennes = unites / tranches + (unites % tranches >= tranche ? 1 : 0);
    std::vector<std::int64_t> choisies;
    if (k >= miennes) {
        for (std::int64_t j = tranche - 1; j < unites; j += tranches)
            choisies.push_back(j);
        return choisies;
    }
    // Floyd's sample of k among the shard's units: k draws whatever their
    // number.
    std::mt19937_64 alea(graine);
    std::set<std::int64_t> pris;
    for (std::int64_t m = miennes - k; m < miennes; m++) {
        const std::int64_t r = std::uniform_int_distribution<std::int64_t>(0, m)(alea);
        pris.insert(pris.count(r) ? m : r);
    }
    for (std::int64_t r : pris)
        choisies.push_back(r * tranches + (tranche - 1));
    return choisies;
}

std::vector<ZZ> prefixeDe(const Unite& u)
{
    std::vector<ZZ> p;
    for (int k = 1; k <= u.k; k++)
        p.push_back(u.x[k]);
    return p;
}

}  // namespace

Verification recompte(const Enonce& e, const Options& o, const Total& t, std::int64_t k, std::uint64_t graine,
                      const std::function<void(std::int64_t, std::int64_t)>& avance)
{
    const auto debut = std::chrono::steady_clock::now();
    Verification v;
    v.graine = graine;
    Verdicts verdicts;
    Recherche r(&verdicts);
    const Depart depart = commence(r, e, Mode::COMPTE);
    if (depart == Depart::REGLE || k <= 0)
        return v;

    // The recount's search: no word, no shortcut but its own closing.
    Reglages simple;
    simple.raccourcis = false;
    simple.recompte = true;
    const std::vector<std::int64_t> choisies = tire(t.unites, t.tranche, t.tranches, k, graine);
    std::vector<Unite> unites;
    if (depart == Depart::DIRECT) {
        if (!choisies.empty()) {
            // One unit, the whole search: recounted from the start.
            Verdicts vd;
            Recherche plain(&vd);
            plain.reglages = simple;
            commence(plain, e, Mode::COMPTE);
            const Bilan b = plain.parcourt();
            v.unites = 1;
            v.solutions = b.nombre;
            const Releve recompte = releve(0, b), rapide = t.releveDe(0);
            if (recompte != rapide)
                v.ecarts.push_back(Ecart{0, e.prefixe, ZZ(0), rapide, recompte});
        }
        return v;
    }

    // The units drawn, cut again as the count cut them.
    const double taille = o.unite > 0 ? o.unite : tailleUnite(e);
    Decoupe decoupe(r.probleme(), r.reglages, r.etatZZ(), taille);
    Unite u;
    std::size_t prochaine = 0;
    while (prochaine < choisies.size() && decoupe.suivante(u, std::int64_t(1) << 62) == Decoupe::UNITE)
        if (u.indice == choisies[prochaine]) {
            u.avant.clear();
            unites.push_back(u);
            prochaine++;
        }
    if (unites.size() != choisies.size())
        throw Erreur{"the count has " + std::to_string(decoupe.unites()) + " units, not " + std::to_string(t.unites) +
                     ": it was cut otherwise"};

    // Counted again on every core.
    std::vector<Releve> recomptes(unites.size());
    std::atomic<std::size_t> suivante{0};
    std::mutex verrou;
    std::exception_ptr erreur;
    std::int64_t faites = 0;
    auto travaille = [&] {
        Recherche w;
        w.installe(r.probleme(), simple, Mode::COMPTE);
        for (std::size_t i; (i = suivante++) < unites.size();) {
            try {
                const Resultat res = compteUnite(w, unites[i]);
                if (!res.conforme)
                    throw std::runtime_error("the recount of unit " + std::to_string(unites[i].indice) +
                                             " left it elsewhere than it was cut");
                recomptes[i] = releve(unites[i].indice, res.bilan);
                std::lock_guard<std::mutex> garde(verrou);
                if (avance)
                    avance(++faites, static_cast<std::int64_t>(unites.size()));
            } catch (const HorsDePortee& h) {
                std::lock_guard<std::mutex> garde(verrou);
                erreur = std::make_exception_ptr(std::runtime_error(
                    "unit " + std::to_string(unites[i].indice) + " cannot be recounted: " + h.raison));
                suivante = unites.size();
            } catch (...) {
                std::lock_guard<std::mutex> garde(verrou);
                erreur = std::current_exception();
                suivante = unites.size();
            }
        }
    };
    const int fils = std::max(1, std::min<int>(travailleurs(o.travailleurs), static_cast<int>(unites.size())));
    std::vector<std::thread> equipe;
    for (int f = 0; f < fils; f++)
        equipe.emplace_back(travaille);
    for (std::thread& f : equipe)
        f.join();
    if (erreur)
        std::rethrow_exception(erreur);

    for (std::size_t i = 0; i < unites.size(); i++) {
        const Releve rapide = t.releveDe(unites[i].indice);
        v.unites++;
        v.solutions += recomptes[i].nombre[0];
        if (rapide != recomptes[i])
            v.ecarts.push_back(Ecart{unites[i].indice, prefixeDe(unites[i]), unites[i].bas, rapide, recomptes[i]});
    }
    v.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    return v;
}

}  // namespace fractions_unitaires::moteur
