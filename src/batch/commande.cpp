// The batch counter as a command: dispatch, printing and exit statuses.
#include "batch/commande.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

#include "batch/estimation.h"
#include "report/ecriture.h"
#include "search/limites.h"

namespace {

// Standard error cannot be written either.
struct ErreurErreur {};

// A quantity estimated, in JSON: null where unknown (NaN).
nlohmann::json nombre(double v) { return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr); }

// "3.2e+07 (95%: 2.9e+07 .. 3.5e+07)", "at least 4.1e+30", or "unknown".
std::string texte(const Grandeur& g, const char* inconnu)
{
    char t[200];
    if (!g.connue())
        std::snprintf(t, sizeof t, "unknown (%s)", inconnu);
    else if (g.auMoins)
        std::snprintf(t, sizeof t, "at least %.4g", g.valeur);
    else
        std::snprintf(t, sizeof t, "%.4g (95%%: %.4g .. %.4g)", g.valeur, g.bas, g.haut);
    return t;
}

}  // namespace

void ecritEstimation(std::ostream& out, const Demande& d, const Estimation& e)
{
    if (d.json) {
        nlohmann::json j = {{"n", d.n},
                            {"P", nombreJson(d.P1)},
                            {"Q", nombreJson(d.Q1)},
                            {"type", d.type},
                            {"parity", nomParite(d.parite)},
                            {"max", d.max == 0 ? nlohmann::json(nullptr) : nombreJson(d.max)},
                            {"prefix", prefixeJson(d)},
                            {"units_estimate", nombre(e.unites)},
                            {"ns_per_prefix", nombre(e.nsParPrefixe)},
                            {"samples", e.sondes},
                            {"paths_cut", e.coupes},
                            {"strata", e.strates},
                            {"seconds", e.secondes}};
        for (const auto& [nom, g] : {std::pair<const char*, const Grandeur*>{"prefixes", &e.prefixes},
                                     {"solutions", &e.solutions}, {"core_hours", &e.heures}}) {
            j[std::string(nom) + "_estimate"] = nombre(g->valeur);
            j[std::string(nom) + "_low"] = nombre(g->bas);
            j[std::string(nom) + "_high"] = nombre(g->haut);
            j[std::string(nom) + "_lower_bound"] = g->auMoins;
        }
        out << j.dump() << "\n";
        return;
    }
    const char* cause = e.coupes > 0 ? "paths cut past the sizes they can follow" : "pairs past the words";
    out << "prefixes: " << texte(e.prefixes, "paths cut past the sizes they can follow") << "\n";
    out << "solutions: " << texte(e.solutions, cause) << "\n";
    char ligne[300];
    if (std::isfinite(e.unites))
        std::snprintf(ligne, sizeof ligne, "units: %.4g\n", e.unites);
    else
        std::snprintf(ligne, sizeof ligne, "units: unknown\n");
    out << ligne;
    if (std::isfinite(e.nsParPrefixe))
        out << "cost: " << static_cast<long long>(std::llround(e.nsParPrefixe)) << " ns per prefix, "
            << texte(e.heures, "") << " core-hours\n";
    else
        out << "cost: unknown (" << cause << ")\n";
    std::snprintf(ligne, sizeof ligne, "samples: %lld paths in %lld strata, %.1f s",
                  static_cast<long long>(e.sondes), static_cast<long long>(e.strates), e.secondes);
    out << ligne;
    if (e.coupes > 0)
        out << ", " << e.coupes << " cut past " << limites::BITS_SONDE << " bits";
    out << "\n";
}

void execute(const Demande& d0, std::ostream& sortie, Atelier* atelier)
{
    Demande d = d0;
    if (!d.fusion.empty()) {
        fusionne(d.fusion, d).ecrit(sortie, d, d.json);
    } else if (d.estimation) {
        ecritEstimation(sortie, d, estime(d, tailleUnite(d)));
    } else if (d.liste) {
        const Total t = liste(d, sortie);
        sortie.flush();
        t.ecrit(std::cerr, d, d.json);
        if (!std::cerr)
            throw ErreurErreur();
    } else {
        compte(d, atelier).ecrit(sortie, d, d.json);
    }
    sortie.flush();
}

int commande(int argc, char** argv, void (*travail)(Demande&, std::ostream&), bool parle)
{
    TamponSortie tampon(1);
    std::ostream sortie(&tampon);
    sortie.exceptions(std::ios::badbit);
    Demande d;
    try {
        // Help and the version, when asked, are printed by one process.
        std::ostringstream muet;
        if (!lis(argc, argv, d, parle ? sortie : muet)) {
            sortie.flush();
            return 0;
        }
        travail(d, sortie);
        sortie.flush();
    } catch (const MauvaisArgument& e) {
        if (parle)
            std::cerr << "fractions-compte: " << e.message << std::endl;
        return 2;
    } catch (const ErreurErreur&) {
        return 3;  // nothing more can be said
    } catch (const std::ios_base::failure&) {
        std::cerr << "fractions-compte: standard output cannot be written ("
                  << std::strerror(tampon.erreur()) << ")" << std::endl;
        return 3;
    } catch (const std::exception& e) {
        std::cerr << "fractions-compte: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}
