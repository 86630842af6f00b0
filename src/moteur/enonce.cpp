// The problem of a count checked and set up as a search.
#include "moteur/enonce.h"

#include <cctype>
#include <sstream>

#include "limites.h"

namespace fractions_unitaires::moteur {

namespace {

ZZ nombre(const std::string& s, const std::string& quoi)
{
    bool chiffres = !s.empty() && s.size() <= 10000;
    for (char c : s)
        chiffres = chiffres && std::isdigit(static_cast<unsigned char>(c));
    if (!chiffres)
        throw Erreur{quoi + " must be a non-negative integer: " + s};
    return NTL::conv<ZZ>(s.c_str());
}

}  // namespace

std::string texte(const std::vector<ZZ>& valeurs)
{
    std::ostringstream s;
    for (std::size_t k = 0; k < valeurs.size(); k++)
        s << (k > 0 ? "," : "") << valeurs[k];
    return s.str();
}

const char* nomParite(Parite p)
{
    return p == Parite::IMPAIRE ? "odd" : p == Parite::PAIRE ? "even" : "any";
}

std::pair<ZZ, ZZ> lisFraction(const std::string& fraction)
{
    const auto barre = fraction.find('/');
    const ZZ P = nombre(fraction.substr(0, barre), "P");
    const ZZ Q = barre == std::string::npos ? ZZ(1) : nombre(fraction.substr(barre + 1), "Q");
    if (P == 0 || Q == 0)
        throw Erreur{"P and Q must be positive: " + fraction};
    return {P, Q};
}

void verifie(const Enonce& e, const Options& o)
{
    if (e.n < 1 || e.n > limites::NMAX)
        throw Erreur{"N must be between 1 and " + std::to_string(limites::NMAX) + ": " + std::to_string(e.n)};
    if (e.P <= 0 || e.Q <= 0)
        throw Erreur{"P and Q must be positive"};
    if (e.type != 1 && e.type != 2)
        throw Erreur{"the type must be 1 or 2: " + std::to_string(e.type)};
    if (e.parite != Parite::INDIFFERENTE && e.parite != Parite::IMPAIRE && e.parite != Parite::PAIRE)
        throw Erreur{"the parity must be any, odd or even"};
    if (e.max < 0)
        throw Erreur{"the bound on xN must be 0 (none) or positive"};
    if (o.travailleurs < 0 || o.travailleurs > limites::TRAVAILLEURS_MAX)
        throw Erreur{"--threads must be between 1 and " + std::to_string(limites::TRAVAILLEURS_MAX) +
                     " (0: every core)"};
    if (!(o.chaque > 0))
        throw Erreur{"--every must be positive"};
    if (e.tranches < 1 || e.tranches > limites::TRANCHES_MAX || e.tranche < 1 || e.tranche > e.tranches)
        throw Erreur{"a shard I/K needs 1 <= I <= K <= " + std::to_string(limites::TRANCHES_MAX)};
    if (static_cast<long>(e.prefixe.size()) >= e.n)
        throw Erreur{"--prefix must have fewer values than N: " + texte(e.prefixe)};
    for (const ZZ& v : e.prefixe)
        if (v <= 0)
            throw Erreur{"--prefix must be positive integers: " + texte(e.prefixe)};
}

Probleme probleme(const Enonce& e)
{
    Probleme pb;
    pb.type = e.lesDeux ? 1 : e.type;
    pb.lesDeux = e.lesDeux;
    pb.n = e.n;
    pb.P1 = e.P;
    pb.Q1 = e.Q;
    pb.pg = GCD(e.P, e.Q);
    pb.P = e.P / pb.pg;
    pb.Q = e.Q / pb.pg;
    pb.parite = e.parite;
    pb.z = e.parite == Parite::INDIFFERENTE ? 1 : 2;
    pb.tri = (e.parite != Parite::INDIFFERENTE || e.max != 0) ? 1 : 0;
    pb.Ma = e.max;
    pb.M = borneApplicable(e.parite, e.max);
    // No row of a table: a period longer than any count.
    pb.L = -(ZZ(1) << 100);
    pb.x2.SetLength(pb.n + 1);
    pb.x3.SetLength(pb.n + 1);
    if (!e.prefixe.empty()) {
        pb.tri = 1;
        pb.seq = pb.seq2 = 1;
        pb.s = pb.s2 = static_cast<int>(e.prefixe.size());
        for (int j = 1; j <= pb.s; j++)
            pb.x2[j] = pb.x3[j] = e.prefixe[static_cast<std::size_t>(j - 1)];
    }
    return pb;
}

void prepare(Recherche& r, const Enonce& e, Mode mode)
{
    const Probleme pb = probleme(e);
    r.installe(pb, r.reglages, mode);
    if (e.prefixe.empty())
        return;
    const auto [raison, j] = r.placePrefixe(pb.x2, pb.s);
    std::ostringstream p;
    p << "the prefix " << texte(e.prefixe);
    const std::string x = "x" + std::to_string(j);
    switch (raison) {
    case Recherche::Prefixe::BON:
        return;
    case Recherche::Prefixe::ORDRE:
        p << " is not " << (e.type == 2 ? "increasing" : "non-decreasing") << " at " << x;
        break;
    case Recherche::Prefixe::PARITE:
        p << " has " << x << " " << (e.parite == Parite::IMPAIRE ? "even" : "odd") << " under --parity "
          << nomParite(e.parite);
        break;
    case Recherche::Prefixe::HORS_BORNES:
        p << " has " << x << " outside the values that the unknowns before it and the bounds allow";
        break;
    case Recherche::Prefixe::SOMME:
        p << " already completes or exceeds " << e.P << "/" << e.Q;
        break;
    }
    throw Erreur{p.str()};
}

Depart commence(Recherche& r, const Enonce& e, Mode mode)
{
    prepare(r, e, mode);
    if (r.exeptions() == Issue::REGLE)
        return Depart::REGLE;
    return e.n < 3 ? Depart::DIRECT : Depart::UNITES;
}

}  // namespace fractions_unitaires::moteur
