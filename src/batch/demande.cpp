// The command line of the batch counter, read with CLI11.
#include "batch/demande.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <sstream>
#include <tuple>
#include <vector>

#include "search/limites.h"

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
        throw MauvaisArgument{quoi + " must be a non-negative integer: " + s};
    return NTL::conv<NTL::ZZ>(s.c_str());
}

}  // namespace

std::string texte(const std::vector<NTL::ZZ>& valeurs)
{
    std::ostringstream s;
    for (std::size_t k = 0; k < valeurs.size(); k++)
        s << (k > 0 ? "," : "") << valeurs[k];
    return s.str();
}

const char* nomParite(int parite)
{
    return parite == 1 ? "odd" : parite == 2 ? "even" : "any";
}

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
            throw MauvaisArgument{"--prefix must be positive integers separated by commas: " + prefixe};
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
        throw MauvaisArgument{"--shard must be I/K: " + tranche};
    const NTL::ZZ i = NTL::conv<NTL::ZZ>(tranche.substr(0, b).c_str());
    const NTL::ZZ k = NTL::conv<NTL::ZZ>(tranche.substr(b + 1).c_str());
    if (k < 1 || k > limites::TRANCHES_MAX)
        throw MauvaisArgument{"--shard I/K needs 1 <= K <= " + std::to_string(limites::TRANCHES_MAX) + ": " + tranche};
    if (i < 1 || i > k)
        throw MauvaisArgument{"--shard I/K needs 1 <= I <= K: " + tranche};
    return {NTL::conv<int>(i), NTL::conv<int>(k)};
}

// N, P/Q, the type, the parity and the bound, checked into d.
void lisProbleme(const std::string& n, const std::string& fraction, const std::string& type,
                 const std::string& parite, const std::string& max, Demande& d)
{
    if (n.empty() || fraction.empty())
        throw MauvaisArgument{"N and P/Q are required"};
    const NTL::ZZ nz = nombre(n, "N");
    if (nz < 1 || nz > 10000)
        throw MauvaisArgument{"N must be between 1 and 10000: " + n};
    d.n = NTL::conv<int>(nz);
    const Demande f = lisFraction(fraction);
    d.P1 = f.P1;
    d.Q1 = f.Q1;
    if (type != "1" && type != "2")
        throw MauvaisArgument{"--type must be 1 or 2: " + type};
    d.type = type[0] - '0';
    if (parite == "any")
        d.parite = 0;
    else if (parite == "odd")
        d.parite = 1;
    else if (parite == "even")
        d.parite = 2;
    else
        throw MauvaisArgument{"--parity must be any, odd or even: " + parite};
    d.max = nombre(max, "--max");
}

}  // namespace

Demande lisFraction(const std::string& fraction)
{
    Demande d;
    const auto barre = fraction.find('/');
    d.P1 = nombre(fraction.substr(0, barre), "P");
    d.Q1 = barre == std::string::npos ? NTL::ZZ(1) : nombre(fraction.substr(barre + 1), "Q");
    if (d.P1 == 0 || d.Q1 == 0)
        throw MauvaisArgument{"P and Q must be positive: " + fraction};
    return d;
}

void verifie(const Demande& d)
{
    if (d.n < 1 || d.n > 10000)
        throw MauvaisArgument{"N must be between 1 and 10000: " + std::to_string(d.n)};
    if (d.P1 <= 0 || d.Q1 <= 0)
        throw MauvaisArgument{"P and Q must be positive"};
    if (d.type != 1 && d.type != 2)
        throw MauvaisArgument{"the type must be 1 or 2: " + std::to_string(d.type)};
    if (d.max < 0)
        throw MauvaisArgument{"the bound on xN must be 0 (none) or positive"};
    if (d.travailleurs < 0 || d.travailleurs > limites::TRAVAILLEURS_MAX)
        throw MauvaisArgument{"--threads must be between 1 and " + std::to_string(limites::TRAVAILLEURS_MAX) +
                              " (0: every core)"};
    if (!(d.chaque > 0))
        throw MauvaisArgument{"--every must be positive"};
    if (d.tranches < 1 || d.tranches > limites::TRANCHES_MAX || d.tranche < 1 || d.tranche > d.tranches)
        throw MauvaisArgument{"a shard I/K needs 1 <= I <= K <= " + std::to_string(limites::TRANCHES_MAX)};
    if (static_cast<long>(d.prefixe.size()) >= d.n)
        throw MauvaisArgument{"--prefix must have fewer values than N: " + texte(d.prefixe)};
    for (const NTL::ZZ& v : d.prefixe)
        if (v <= 0)
            throw MauvaisArgument{"--prefix must be positive integers: " + texte(d.prefixe)};
}

bool lis(int argc, char** argv, Demande& d, std::ostream& sortie)
{
    CLI::App app{"Counts the solutions in positive integers of 1/x1 + ... + 1/xN = P/Q,\n"
                 "with x1 <= ... <= xN (type 1) or x1 < ... < xN (type 2).",
                 "fractions-compte"};
    std::string n, fraction, type = "1", parite = "any", max = "0", tranche;
    app.add_option("N", n, "number of unknowns");
    app.add_option("P/Q", fraction, "the fraction, P/Q or P");
    app.add_option("-t,--type", type, "1: non-strict order (default), 2: strict order");
    app.add_option("--parity", parite, "any (default), odd or even");
    app.add_option("--max", max, "bound on xN (0: none)");
    app.add_flag("--list", d.liste, "every solution, one line each, in the order of the interactive table");
    app.add_flag("--json", d.json, "the result as one JSON object");
    app.add_option("-j,--threads", d.travailleurs, "threads (default: every core)");
    app.add_flag("--status", d.statut, "progress on standard error");
    app.add_option("--checkpoint", d.point, "save progress to FILE");
    app.add_option("--every", d.chaque, "seconds between checkpoints (default 60)");
    app.add_option("--resume", d.reprise, "go on from FILE");
    app.add_option("--shard", tranche, "count only the I-th of K fixed slices of the work (I/K, 1 <= I <= K)");
    app.add_option("--merge", d.fusion, "the totals of shard results written with --json")->expected(1, -1);
    app.add_flag("--estimate", d.estimation, "estimate the size of the count instead of doing it");
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
        throw MauvaisArgument{e.what()};
    }
    if (app.count("--prefix") > 0)
        d.prefixe = valeursPrefixe(prefixe);
    // A file or a shard given empty (a script's unset variable) is not the
    // absence of one: it would count everything from scratch.
    const std::pair<const char*, const std::string*> fichiers[] = {
        {"--checkpoint", &d.point}, {"--resume", &d.reprise}, {"--shard", &tranche}};
    for (const auto& [option, valeur] : fichiers)
        if (app.count(option) > 0 && valeur->empty())
            throw MauvaisArgument{std::string(option) + " needs a value, not an empty one"};

    if (!d.fusion.empty()) {
        if (!n.empty() || d.liste || d.estimation || !d.point.empty() || !d.reprise.empty() || !tranche.empty())
            throw MauvaisArgument{"--merge takes only shard results (and --json)"};
        return true;
    }
    lisProbleme(n, fraction, type, parite, max, d);
    if (!tranche.empty())
        std::tie(d.tranche, d.tranches) = lisTranche(tranche);
    verifie(d);
    if (d.liste && (d.tranches > 1 || !d.point.empty() || !d.reprise.empty() || d.estimation))
        throw MauvaisArgument{"--list cannot be used with --shard, --checkpoint, --resume or --estimate"};
    if (d.estimation && (d.tranches > 1 || !d.point.empty() || !d.reprise.empty()))
        throw MauvaisArgument{"--estimate cannot be used with --shard, --checkpoint or --resume"};
    return true;
}

Probleme probleme(const Demande& d)
{
    Probleme pb;
    pb.type = d.type;
    pb.n = d.n;
    pb.P1 = d.P1;
    pb.Q1 = d.Q1;
    pb.pg = GCD(d.P1, d.Q1);
    pb.P = d.P1 / pb.pg;
    pb.Q = d.Q1 / pb.pg;
    pb.parite = d.parite;
    pb.z = d.parite == 0 ? 1 : 2;
    pb.tri = (d.parite != 0 || d.max != 0) ? 1 : 0;
    pb.Ma = d.max;
    pb.M = d.max;
    if (pb.parite == 1 && !IsOdd(pb.M) && pb.M != 0)
        pb.M -= 1;
    if (pb.parite == 2 && IsOdd(pb.M))
        pb.M -= 1;
    // No row of a table: a period longer than any count.
    pb.L = -(NTL::ZZ(1) << 100);
    pb.x2.SetLength(pb.n + 1);
    pb.x3.SetLength(pb.n + 1);
    if (!d.prefixe.empty()) {
        pb.tri = 1;
        pb.seq = pb.seq2 = 1;
        pb.s = pb.s2 = static_cast<int>(d.prefixe.size());
        for (int j = 1; j <= pb.s; j++)
            pb.x2[j] = pb.x3[j] = d.prefixe[static_cast<std::size_t>(j - 1)];
    }
    return pb;
}

void prepare(Recherche& r, const Demande& d, Mode mode)
{
    r.installe(probleme(d), r.reglages, mode);
    if (d.prefixe.empty())
        return;
    const auto [raison, j] = r.placePrefixe(r.pb.x2, r.pb.s);
    std::ostringstream p;
    p << "the prefix " << texte(d.prefixe);
    const std::string x = "x" + std::to_string(j);
    switch (raison) {
    case Recherche::Prefixe::BON:
        return;
    case Recherche::Prefixe::ORDRE:
        p << " is not " << (d.type == 2 ? "increasing" : "non-decreasing") << " at " << x;
        break;
    case Recherche::Prefixe::PARITE:
        p << " has " << x << " " << (d.parite == 1 ? "even" : "odd") << " under --parity " << nomParite(d.parite);
        break;
    case Recherche::Prefixe::HORS_BORNES:
        p << " has " << x << " outside the values that the unknowns before it and the bounds allow";
        break;
    case Recherche::Prefixe::SOMME:
        p << " already completes or exceeds " << d.P1 << "/" << d.Q1;
        break;
    }
    throw MauvaisArgument{p.str()};
}
