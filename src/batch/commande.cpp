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

void ecritEstimation(std::ostream& out, const Demande& d, const Estimation& e)
{
    if (d.json) {
        const nlohmann::json j = {{"n", d.n},
                                  {"P", nombreJson(d.P1)},
                                  {"Q", nombreJson(d.Q1)},
                                  {"type", d.type},
                                  {"parity", nomParite(d.parite)},
                                  {"max", d.max == 0 ? nlohmann::json(nullptr) : nombreJson(d.max)},
                                  {"prefix", prefixeJson(d)},
                                  {"prefixes_estimate", e.prefixes},
                                  {"prefixes_low", e.prefixesBas},
                                  {"prefixes_high", e.prefixesHaut},
                                  {"solutions_estimate", e.solutions},
                                  {"solutions_low", e.solutionsBas},
                                  {"solutions_high", e.solutionsHaut},
                                  {"units_estimate", e.unites},
                                  {"ns_per_prefix", e.nsParPrefixe},
                                  {"core_hours_estimate", e.heures},
                                  {"core_hours_low", e.heuresBas},
                                  {"core_hours_high", e.heuresHaut},
                                  {"samples", e.sondes},
                                  {"paths_cut", e.coupes},
                                  {"strata", e.strates},
                                  {"seconds", e.secondes}};
        out << j.dump() << "\n";
        return;
    }
    char ligne[300];
    const char* borne = e.coupes > 0 ? ", at least" : "";
    if (std::isinf(e.prefixes))
        std::snprintf(ligne, sizeof ligne, "prefixes: more than %.4g\n", DBL_MAX);
    else
        std::snprintf(ligne, sizeof ligne, "prefixes: %.4g (95%%: %.4g .. %.4g)%s\n", e.prefixes, e.prefixesBas,
                      e.prefixesHaut, borne);
    out << ligne;
    if (std::isnan(e.solutions))
        std::snprintf(ligne, sizeof ligne, "solutions: unknown (pairs past the words)\n");
    else
        std::snprintf(ligne, sizeof ligne, "solutions: %.4g (95%%: %.4g .. %.4g)%s\n", e.solutions,
                      e.solutionsBas, e.solutionsHaut, borne);
    out << ligne;
    std::snprintf(ligne, sizeof ligne, "units: %.4g\n", e.unites);
    out << ligne;
    if (std::isnan(e.nsParPrefixe))
        std::snprintf(ligne, sizeof ligne, "cost: unknown (pairs past the words)\n");
    else
        std::snprintf(ligne, sizeof ligne, "cost: %.0f ns per prefix, %.4g core-hours (95%%: %.4g .. %.4g)%s\n",
                      e.nsParPrefixe, e.heures, e.heuresBas, e.heuresHaut, borne);
    out << ligne;
    std::snprintf(ligne, sizeof ligne, "samples: %lld paths in %lld strata, %.1f s",
                  static_cast<long long>(e.sondes), static_cast<long long>(e.strates), e.secondes);
    out << ligne;
    if (e.coupes > 0)
        out << ", " << e.coupes << " cut past " << limites::BITS_SONDE << " bits";
    out << "\n";
}

}  // namespace

void execute(const Demande& d0, std::ostream& sortie, Atelier* atelier)
{
    Demande d = d0;
    if (!d.fusion.empty()) {
        fusionne(d.fusion, d).ecrit(sortie, d, d.json);
    } else if (d.estimation) {
        const Probleme pb = probleme(d);
        ecritEstimation(sortie, d, estime(pb, tailleUnite(pb), d.travailleurs));
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
