// The command line of the batch counter, read with CLI11.
#include "compte/demande.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <sstream>
#include <tuple>
#include <vector>

#include "limites.h"

namespace fractions_unitaires::lot {
using namespace fractions_unitaires::moteur;

namespace {

const char* const VERSION = "fractions-compte 1.0";

bool chiffres(const std::string& s)
{
    if (s.empty() || s.size() > 10000)
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

NTL::ZZ nombre(const std::string& s, const std::string& quoi)
{
    if (!chiffres(s))
        throw Erreur{quoi + " must be a non-negative integer: " + s};
    return NTL::conv<NTL::ZZ>(s.c_str());
}

}  // namespace

namespace {

// X1,X2,... as positive integers.
std::vector<NTL::ZZ> valeursPrefixe(const std::string& prefixe)
{
    std::vector<NTL::ZZ> valeurs;
    std::size_t debut = 0;
    for (;;) {
        const std::size_t virgule = prefixe.find(',', debut);
        const std::string v = prefixe.substr(debut, virgule == std::string::npos ? std::string::npos : virgule - debut);
        if (!chiffres(v) || NTL::conv<NTL::ZZ>(v.c_str()) == 0)
            throw Erreur{"--prefix must be positive integers separated by commas: " + prefixe};
        valeurs.push_back(NTL::conv<NTL::ZZ>(v.c_str()));
        if (virgule == std::string::npos)
            return valeurs;
        debut = virgule + 1;
    }
}

// I/K, 1 <= I <= K <= TRANCHES_MAX.
std::pair<int, int> lisTranche(const std::string& tranche)
{
    const auto b = tranche.find('/');
    if (b == std::string::npos || !chiffres(tranche.substr(0, b)) || !chiffres(tranche.substr(b + 1)))
        throw Erreur{"--shard must be I/K: " + tranche};
    const NTL::ZZ i = NTL::conv<NTL::ZZ>(tranche.substr(0, b).c_str());
    const NTL::ZZ k = NTL::conv<NTL::ZZ>(tranche.substr(b + 1).c_str());
    if (k < 1 || k > limites::TRANCHES_MAX)
        throw Erreur{"--shard I/K needs 1 <= K <= " + std::to_string(limites::TRANCHES_MAX) + ": " + tranche};
    if (i < 1 || i > k)
        throw Erreur{"--shard I/K needs 1 <= I <= K: " + tranche};
    return {NTL::conv<int>(i), NTL::conv<int>(k)};
}

// N, P/Q, the type, the parity and the bound, checked into e.
void lisProbleme(const std::string& n, const std::string& fraction, const std::string& type,
                 const std::string& parite, const std::string& max, Enonce& e)
{
    if (n.empty() || fraction.empty())
        throw Erreur{"N and P/Q are required"};
    const NTL::ZZ nz = nombre(n, "N");
    if (nz < 1 || nz > limites::NMAX)
        throw Erreur{"N must be between 1 and " + std::to_string(limites::NMAX) + ": " + n};
    e.n = NTL::conv<int>(nz);
    std::tie(e.P, e.Q) = lisFraction(fraction);
    if (type != "1" && type != "2" && type != "both")
        throw Erreur{"--type must be 1, 2 or both: " + type};
    e.lesDeux = type == "both";
    e.type = e.lesDeux ? 1 : type[0] - '0';
    if (parite == "any")
        e.parite = Parite::INDIFFERENTE;
    else if (parite == "odd")
        e.parite = Parite::IMPAIRE;
    else if (parite == "even")
        e.parite = Parite::PAIRE;
    else
        throw Erreur{"--parity must be any, odd or even: " + parite};
    e.max = nombre(max, "--max");
}

}  // namespace

bool lis(int argc, char** argv, Demande& d, std::ostream& sortie)
{
    CLI::App app{"Counts the solutions in positive integers of 1/x1 + ... + 1/xN = P/Q,\n"
                 "with x1 <= ... <= xN (type 1) or x1 < ... < xN (type 2).",
                 "fractions-compte"};
    Enonce& e = d.enonce;
    Options& o = d.options;
    std::string n, fraction, type = "1", parite = "any", max = "0", tranche;
    app.add_option("N", n, "number of unknowns");
    app.add_option("P/Q", fraction, "the fraction, P/Q or P");
    app.add_option("-t,--type", type, "1: non-strict order (default), 2: strict order, both: the two counted in one walk");
    app.add_option("--parity", parite, "any (default), odd or even");
    app.add_option("--max", max, "bound on xN (0: none)");
    app.add_flag("--list", d.liste, "every solution, one line each, in the order of the interactive table");
    app.add_flag("--json", d.json, "the result as one JSON object");
    app.add_option("-j,--threads", o.travailleurs, "threads (default: every core)");
    app.add_flag("--status", d.statut, "progress on standard error");
    app.add_option("--checkpoint", o.point, "save progress to FILE");
    app.add_option("--every", o.chaque, "seconds between checkpoints (default 60)");
    app.add_option("--resume", o.reprise, "go on from FILE");
    app.add_option("--shard", tranche, "count only the I-th of K fixed slices of the work (I/K, 1 <= I <= K)");
    app.add_option("--merge", d.fusion, "the totals of shard results written with --json")->expected(1, -1);
    app.add_flag("--estimate", d.estimation, "estimate the size of the count instead of doing it");
    std::string verification, graine;
    app.add_option("--verify", verification,
                   "recount K units drawn at random by an independent search, and compare them");
    app.add_option("--seed", graine, "the seed that draws the units of --verify (default: a random one, printed)");
    std::string prefixe;
    app.add_option("--prefix", prefixe, "only the solutions that begin with these values (X1,X2,...)");
    app.set_version_flag("--version", VERSION);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        sortie << app.help();
        return false;
    } catch (const CLI::CallForVersion& e) {
        sortie << VERSION << "\n";
        return false;
    } catch (const CLI::ParseError& e) {
        throw Erreur{e.what()};
    }
    if (app.count("--prefix") > 0)
        e.prefixe = valeursPrefixe(prefixe);
    // A file or a shard given empty (a script's unset variable) is not the
    // absence of one: it would count everything from scratch.
    const std::pair<const char*, const std::string*> fichiers[] = {
        {"--checkpoint", &o.point}, {"--resume", &o.reprise}, {"--shard", &tranche}};
    for (const auto& [option, valeur] : fichiers)
        if (app.count(option) > 0 && valeur->empty())
            throw Erreur{std::string(option) + " needs a value, not an empty one"};

    if (app.count("--verify") > 0) {
        const NTL::ZZ k = nombre(verification, "--verify");
        if (k < 1 || NTL::NumBits(k) > 62)
            throw Erreur{"--verify needs a number of units from 1 to 2^62: " + verification};
        d.verification = NTL::conv<long>(k);
    }
    if (app.count("--seed") > 0) {
        const NTL::ZZ s = nombre(graine, "--seed");
        if (NTL::NumBits(s) > 64)
            throw Erreur{"--seed must be below 2^64: " + graine};
        if (d.verification == 0)
            throw Erreur{"--seed is the seed of --verify"};
        d.graineDonnee = true;
        d.graine = NTL::conv<unsigned long>(s);
    }
    if (d.verification > 0 && (d.liste || d.estimation))
        throw Erreur{"--verify cannot be used with --list or --estimate"};
    if (!d.fusion.empty()) {
        if (!n.empty() || d.liste || d.estimation || !o.point.empty() || !o.reprise.empty() || !tranche.empty())
            throw Erreur{"--merge takes only shard results (and --json, --verify, --seed, --threads)"};
        return true;
    }
    lisProbleme(n, fraction, type, parite, max, e);
    if (!tranche.empty())
        std::tie(e.tranche, e.tranches) = lisTranche(tranche);
    verifie(e, o);
    if (d.liste && (e.tranches > 1 || !o.point.empty() || !o.reprise.empty() || d.estimation))
        throw Erreur{"--list cannot be used with --shard, --checkpoint, --resume or --estimate"};
    if (d.estimation && (e.tranches > 1 || !o.point.empty() || !o.reprise.empty()))
        throw Erreur{"--estimate cannot be used with --shard, --checkpoint or --resume"};
    return true;
}

}  // namespace fractions_unitaires::lot
