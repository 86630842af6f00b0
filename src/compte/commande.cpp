// The batch counter as a command: dispatch, printing and exit statuses.
#include "compte/commande.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>
#include <iostream>
#include <sstream>

#include <unistd.h>

#include "compte/signaux.h"
#include "console/ecriture.h"
#include "console/ligne.h"
#include "limites.h"
#include "moteur/estimation.h"

namespace fractions_unitaires::lot {
using namespace fractions_unitaires::moteur;

namespace {

// Standard error cannot be written either.
struct ErreurErreur {};

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

// A JSON value of the totals as text: "-" for null, arrays spaced.
std::string texte(const nlohmann::json& v)
{
    if (v.is_null())
        return "-";
    if (v.is_string())
        return v.get<std::string>();
    if (v.is_array()) {
        std::string s;
        for (const nlohmann::json& e : v)
            s += (s.empty() ? "" : " ") + texte(e);
        return s;
    }
    return v.dump();
}

std::string duree(double s)
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

// What a count tells its runner: with --status, a status line on standard
// error (on a terminal refreshed in place every second, otherwise a line
// every ten seconds); a signal taken during a checkpointed count stops it
// (what is finished is saved first); a save that fails, told once.
class Suivi : public Observateur {
public:
    Suivi(bool statut, bool lesDeux) : statut_(statut), lesDeux_(lesDeux), ligne_(std::cerr, isatty(2) == 1) {}

    bool progres(const Progression& p) override
    {
        if (Interruption::recu() != 0) {
            ligne_.efface();
            return false;
        }
        if (!statut_ || p.inventaire)
            return true;
        const double periode = ligne_.terminal() ? 1 : 10;
        if (!p.fin && p.secondes - derniere_ < periode)
            return true;
        derniere_ = p.secondes;
        char ligne[300];
        std::ostringstream nombre;
        nombre << p.solutions << " solutions";
        if (lesDeux_)
            nombre << " (" << p.distinctes << " of type 2)";
        std::snprintf(ligne, sizeof ligne, "%5.1f%% of %lld units done, %s, %.0f s elapsed, %s left",
                      100 * p.fait, static_cast<long long>(p.unitesTotal), nombre.str().c_str(), p.secondes,
                      std::isfinite(p.reste) ? duree(p.reste).c_str() : "?");
        ligne_.montre(ligne, p.fin);
        return true;
    }

    void echecSauvegarde(const std::string& chemin, const std::string& raison) override
    {
        std::cerr << "fractions-compte: the checkpoint " << chemin << " cannot be saved (" << raison
                  << "); the count goes on, and saves again later" << std::endl;
    }

private:
    bool statut_;
    bool lesDeux_;  // the solutions of type 2 too
    console::LigneEtat ligne_;
    double derniere_ = -1e9;
};

// A unit's count and fingerprint, of each type.
std::string texteReleve(const Releve& r, bool lesDeux)
{
    std::string s;
    for (int k = 0; k < (lesDeux ? 2 : 1); k++)
        s += std::string(k > 0 ? ", " : "") + (lesDeux ? "type " + std::to_string(k + 1) + " " : "") +
             std::to_string(r.nombre[k]) + " solutions, fingerprint " + r.empreinte[k].texte();
    return s;
}

// The totals of d as text or JSON, with the recount of some units when
// one was asked.
void ecritTotal(std::ostream& out, const Total& t, const Enonce& d, bool json, const Verification* v = nullptr)
{
    nlohmann::json j = t.enJson(d);
    if (v != nullptr)
        j["verification"] = {{"seed", std::to_string(v->graine)},
                             {"units", v->unites},
                             {"solutions", nombreJson(v->solutions)},
                             {"agree", v->ecarts.empty()},
                             {"seconds", v->secondes}};
    if (json) {
        out << j.dump() << "\n";
        return;
    }
    if (!d.prefixe.empty())
        out << "prefix: " << moteur::texte(d.prefixe) << "\n";
    const char* const cles[] = {"solutions", "fingerprint", "xn_max", "x1_min", "first", "last"};
    if (d.lesDeux) {
        for (int type : {1, 2})
            for (const char* cle : cles)
                out << "type " << type << " " << cle << ": " << texte(j["type" + std::to_string(type)][cle]) << "\n";
    } else {
        for (const char* cle : cles)
            out << cle << ": " << texte(j[cle]) << "\n";
    }
    if (t.tranches > 1)
        out << "shard: " << t.tranche << "/" << t.tranches << "\n";
    out << "seconds: " << t.secondes << "\n";
    if (v != nullptr) {
        out << "verify seed: " << v->graine << "\n";
        out << "verified units: " << v->unites << "\n";
        out << "verified solutions: " << v->solutions << "\n";
        out << "verify seconds: " << v->secondes << "\n";
        if (v->ecarts.empty())
            out << "verified: the recount agrees with the count\n";
        else
            out << "verified: " << v->ecarts.size() << " units do not agree\n";
    }
    out.flush();
}

// The totals t of d, after the recount of d.verification of its units
// when asked; a unit that does not agree is told on standard error and
// fails the command.
void verifieEtEcrit(std::ostream& sortie, const Total& t, const Demande& d)
{
    if (d.verification == 0) {
        ecritTotal(sortie, t, d.enonce, d.json);
        return;
    }
    std::uint64_t graine = d.graine;
    if (!d.graineDonnee) {
        std::random_device alea;
        graine = (static_cast<std::uint64_t>(alea()) << 32) ^ alea();
    }
    // With --status, a line as each unit is recounted: a unit of n = 9
    // takes days.
    console::LigneEtat ligne(std::cerr, ::isatty(2) != 0);
    const auto debut = std::chrono::steady_clock::now();
    std::function<void(std::int64_t, std::int64_t)> avance;
    if (d.statut)
        avance = [&](std::int64_t faites, std::int64_t toutes) {
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
            char texte[200];
            std::snprintf(texte, sizeof texte, "recount: %lld of %lld units, %.0f s", static_cast<long long>(faites),
                          static_cast<long long>(toutes), s);
            ligne.montre(texte, faites == toutes);
        };
    const Verification v = recompte(d.enonce, d.options, t, d.verification, graine, avance);
    ecritTotal(sortie, t, d.enonce, d.json, &v);
    sortie.flush();
    for (const Ecart& e : v.ecarts) {
        // The unit's first values, from its top down to its bottom.
        std::vector<ZZ> bas = e.prefixe;
        if (!bas.empty())
            bas.back() = e.bas;
        std::cerr << "fractions-compte: unit " << e.unite << " (from " << moteur::texte(e.prefixe) << " down to "
                  << moteur::texte(bas) << ") does not agree: the count has "
                  << texteReleve(e.rapide, d.enonce.lesDeux) << ", the recount "
                  << texteReleve(e.recompte, d.enonce.lesDeux) << std::endl;
    }
    if (!v.ecarts.empty())
        throw std::runtime_error("the recount of " + std::to_string(v.ecarts.size()) + " of " +
                                 std::to_string(v.unites) + " units does not agree with the count");
}

// A checkpointed count: SIGINT, SIGTERM and SIGHUP stop it, what is
// finished saved, then end the process with the signal's own status.
Total compteInterruptible(const Demande& d, Atelier* atelier)
{
    std::unique_ptr<Interruption> interruption;
    if (!d.options.point.empty())
        interruption = std::make_unique<Interruption>();
    Suivi suivi(d.statut, d.enonce.lesDeux);
    try {
        return compte(d.enonce, d.options, &suivi, atelier);
    } catch (const Annulation&) {
        // The checkpoint is saved and unlocked by now.
        if (const int signal = Interruption::recu())
            Interruption::termine(signal);
        throw;
    }
}

}  // namespace

void ecritEstimation(std::ostream& out, const Demande& d, const Estimation& e)
{
    if (d.json) {
        out << estimationJson(d.enonce, e).dump() << "\n";
        return;
    }
    const char* cause = e.coupes > 0 ? "paths cut past the sizes they can follow" : "pairs past the words";
    out << "prefixes: " << texte(e.prefixes, "paths cut past the sizes they can follow") << "\n";
    if (d.enonce.lesDeux) {
        out << "type 1 solutions: " << texte(e.solutions, cause) << "\n";
        out << "type 2 solutions: " << texte(e.distinctes, cause) << "\n";
    } else {
        out << "solutions: " << texte(e.solutions, cause) << "\n";
    }
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
        const Total t = fusionne(d.fusion, d.enonce, d.verification > 0);
        verifieEtEcrit(sortie, t, d);
    } else if (d.estimation) {
        ecritEstimation(sortie, d, estime(d.enonce));
    } else if (d.liste) {
        const Total t = liste(d.enonce, d.options.travailleurs, d.json, sortie);
        sortie.flush();
        ecritTotal(std::cerr, t, d.enonce, d.json);
        if (!std::cerr)
            throw ErreurErreur();
    } else {
        verifieEtEcrit(sortie, compteInterruptible(d, atelier), d);
    }
    sortie.flush();
}

int commande(int argc, char** argv, void (*travail)(Demande&, std::ostream&), bool parle)
{
    fractions_unitaires::console::TamponSortie tampon(1);
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
    } catch (const Erreur& e) {
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

}  // namespace fractions_unitaires::lot
