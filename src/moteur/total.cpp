// Totals of a count: merging, text and JSON.
#include "moteur/total.h"

#include <limits>
#include <map>
#include <sstream>

#include "moteur/fichier.h"
#include "limites.h"

namespace fractions_unitaires::moteur {

using nlohmann::json;

json prefixeJson(const Enonce& d)
{
    json a = json::array();
    for (const ZZ& v : d.prefixe)
        a.push_back(nombreJson(v));
    return a;
}

json nombreJson(const ZZ& v)
{
    if (NTL::NumBits(v) <= 53)
        return NTL::conv<long>(v);
    std::ostringstream s;
    s << v;
    return s.str();
}

ZZ nombreDeJson(const json& j)
{
    // What nombreJson writes, and nothing else: a non-negative integer up
    // to 2^53, or its digits as a string (no sign, no leading zero).
    if (j.is_number_unsigned() && j.get<std::uint64_t>() <= (std::uint64_t(1) << 53))
        return NTL::conv<ZZ>(static_cast<long>(j.get<std::uint64_t>()));
    if (j.is_number_integer() && !j.is_number_unsigned() && j.get<std::int64_t>() >= 0 &&
        j.get<std::int64_t>() <= (std::int64_t(1) << 53))
        return ZZ(j.get<long>());
    if (j.is_string()) {
        const std::string s = j.get<std::string>();
        bool chiffres = !s.empty() && s.size() <= 100000 && (s == "0" || s[0] != '0');
        for (char c : s)
            chiffres = chiffres && c >= '0' && c <= '9';
        if (chiffres)
            return NTL::conv<ZZ>(s.c_str());
    }
    throw Erreur{"a non-negative integer is expected, not " + j.dump()};
}

std::int64_t entierDeJson(const json& j, std::int64_t min, std::int64_t max)
{
    ZZ v(min - 1);
    if (j.is_number_unsigned())
        v = NTL::conv<ZZ>(std::to_string(j.get<std::uint64_t>()).c_str());
    else if (j.is_number_integer())
        v = ZZ(j.get<long>());
    else if (j.is_string())
        v = nombreDeJson(j);
    if (v < min || v > max)
        throw Erreur{"an integer from " + std::to_string(min) + " to " + std::to_string(max) +
                              " is expected, not " + j.dump()};
    return NTL::conv<long>(v);
}

json solutionJson(const Solution& s)
{
    if (s.vide())
        return nullptr;
    const Vec<ZZ> v = s.valeurs();
    json a = json::array();
    for (long k = 1; k < v.length(); k++)
        a.push_back(nombreJson(v[k]));
    return a;
}

Solution solutionDeJson(const json& j, int n)
{
    Solution s;
    if (j.is_null())
        return s;
    if (!j.is_array() || static_cast<int>(j.size()) != n)
        throw Erreur{"a solution of " + std::to_string(n) + " unknowns is expected"};
    Vec<ZZ> v;
    v.SetLength(n + 1);
    for (int k = 1; k <= n; k++)
        v[k] = nombreDeJson(j[k - 1]);
    s.prend(v, n);
    return s;
}

namespace {

// What a unit's result and a shard's total both hold, written and read by
// one routine each: the count, the largest xn, the first and last.
json solutionsJson(const ZZ& nombre, const Maximum& xn, const Solution& premiere, const Solution& derniere)
{
    return {{"solutions", nombreJson(nombre)},
            {"xn_max", nombre > 0 ? nombreJson(xn.valeur().zz()) : json(nullptr)},
            {"first", solutionJson(premiere)},
            {"last", solutionJson(derniere)}};
}

void solutionsDeJson(const json& j, int n, ZZ& nombre, Maximum& xn, Solution& premiere, Solution& derniere)
{
    nombre = nombreDeJson(j.at("solutions"));
    if (nombre > 0)
        xn.propose(nombreDeJson(j.at("xn_max")));
    premiere = solutionDeJson(j.at("first"), n);
    derniere = solutionDeJson(j.at("last"), n);
    if ((nombre == 0) != premiere.vide() || (nombre == 0) != derniere.vide())
        throw Erreur{"its solutions, first and last do not agree"};
}

}  // namespace

json bilanJson(const Bilan& b)
{
    json j = solutionsJson(ZZ(b.nombre), b.m, b.premiere, b.derniere);
    j["ended"] = b.finie;
    return j;
}

Bilan bilanDeJson(const json& j, int n)
{
    Bilan b;
    ZZ nombre;
    solutionsDeJson(j, n, nombre, b.m, b.premiere, b.derniere);
    // One unit's count fits a word (a few billion solutions at most).
    if (!tient(nombre, 62))
        throw Erreur{"a unit's count is out of range: " + j.at("solutions").dump()};
    b.nombre = NTL::conv<long>(nombre);
    b.finie = j.at("ended").get<bool>();
    return b;
}

void Total::ajoute(const Bilan& b, std::int64_t place)
{
    if (b.nombre == 0)
        return;
    nombre += b.nombre;
    xn.propose(b.m.valeur());
    if (premiere.vide()) {
        premiere = b.premiere;
        placePremiere = place;
    }
    derniere = b.derniere;
    placeDerniere = place;
}

void Total::ajoute(const Vec<ZZ>& x, int n, std::int64_t place)
{
    Bilan b;
    b.nombre = 1;
    b.m.propose(x[n]);
    b.premiere.prend(x, n);
    b.derniere.prend(x, n);
    ajoute(b, place);
}

json Total::enJson(const Enonce& d) const
{
    json j;
    j["n"] = d.n;
    j["P"] = nombreJson(d.P);
    j["Q"] = nombreJson(d.Q);
    j["type"] = d.type;
    j["parity"] = nomParite(d.parite);
    j["max"] = d.max == 0 ? json(nullptr) : nombreJson(d.max);
    j["prefix"] = prefixeJson(d);
    j.update(solutionsJson(nombre, xn, premiere, derniere));
    j["x1_min"] = nombre > 0 ? nombreJson(derniere.valeurs()[1]) : json(nullptr);
    j["seconds"] = secondes;
    j["units"] = unites;
    j["shard"] = std::to_string(tranche) + "/" + std::to_string(tranches);
    j["first_place"] = placePremiere;
    j["last_place"] = placeDerniere;
    return j;
}

Total Total::deJson(const json& j, int n)
{
    Total t;
    solutionsDeJson(j, n, t.nombre, t.xn, t.premiere, t.derniere);
    if (!j.at("seconds").is_number() || !(j.at("seconds").get<double>() >= 0))
        throw Erreur{"seconds must be a non-negative number, not " + j.at("seconds").dump()};
    t.secondes = j.at("seconds").get<double>();
    const std::int64_t grand = std::numeric_limits<std::int64_t>::max() / 2;
    t.unites = entierDeJson(j.at("units"), 0, grand);
    t.placePremiere = entierDeJson(j.at("first_place"), -1, grand);
    t.placeDerniere = entierDeJson(j.at("last_place"), -1, grand);
    if ((t.nombre == 0) != (t.placePremiere < 0) || t.placePremiere > t.placeDerniere)
        throw Erreur{"its solutions, first and last do not agree"};
    return t;
}

Total fusionne(const std::vector<std::string>& fichiers, Enonce& d)
{
    std::map<std::int64_t, Total> parts;
    json modele;
    std::int64_t tranches = 0;
    for (const std::string& f : fichiers) {
        const std::string texte = lisFichier(f, "shard result", limites::FICHIER_MAX);
        try {
            const json j = json::parse(texte);
            const std::string tr = j.at("shard").get<std::string>();
            const auto b = tr.find('/');
            if (b == std::string::npos)
                throw Erreur{"its shard is not I/K: " + tr};
            const std::int64_t i = entierDeJson(tr.substr(0, b), 1, limites::TRANCHES_MAX);
            const std::int64_t k = entierDeJson(tr.substr(b + 1), 1, limites::TRANCHES_MAX);
            const json probleme = {j.at("n"),   j.at("P"),     j.at("Q"), j.at("type"), j.at("parity"), j.at("max"),
                                   j.at("units"), j.at("prefix"), k};
            if (modele.is_null()) {
                modele = probleme;
                tranches = k;
                d.n = static_cast<int>(entierDeJson(j.at("n"), 1, limites::NMAX));
                d.P = nombreDeJson(j.at("P"));
                d.Q = nombreDeJson(j.at("Q"));
                d.type = static_cast<int>(entierDeJson(j.at("type"), 1, 2));
                const std::string p = j.at("parity").get<std::string>();
                if (p != "any" && p != "odd" && p != "even")
                    throw Erreur{"its parity is " + p};
                d.parite = p == "odd" ? Parite::IMPAIRE : p == "even" ? Parite::PAIRE : Parite::INDIFFERENTE;
                d.max = j.at("max").is_null() ? ZZ(0) : nombreDeJson(j.at("max"));
                if (d.P == 0 || d.Q == 0)
                    throw Erreur{"its fraction is zero"};
                if (!j.at("prefix").is_array() || j.at("prefix").size() >= static_cast<std::size_t>(d.n))
                    throw Erreur{"its prefix is not a list of fewer than n values"};
                for (const json& v : j.at("prefix"))
                    d.prefixe.push_back(nombreDeJson(v));
            } else if (probleme != modele) {
                throw Erreur{"it is a shard of another count"};
            }
            if (i > k || parts.count(i))
                throw Erreur{"shard " + tr + " given twice or out of range"};
            parts[i] = Total::deJson(j, d.n);
        } catch (const json::exception& e) {
            throw Erreur{f + " is not a shard result: " + e.what()};
        } catch (const Erreur& e) {
            throw Erreur{f + " is not a shard result of this count: " + e.message};
        }
    }
    if (static_cast<std::int64_t>(parts.size()) != tranches)
        throw Erreur{"the count has " + std::to_string(tranches) + " shards, " +
                              std::to_string(parts.size()) + " were given"};
    Total t;
    for (auto& [i, p] : parts) {
        t.nombre += p.nombre;
        t.secondes += p.secondes;
        t.unites = p.unites;
        if (p.nombre == 0)
            continue;
        t.xn.propose(p.xn.valeur());
        if (t.placePremiere < 0 || p.placePremiere < t.placePremiere) {
            t.premiere = p.premiere;
            t.placePremiere = p.placePremiere;
        }
        if (p.placeDerniere > t.placeDerniere) {
            t.derniere = p.derniere;
            t.placeDerniere = p.placeDerniere;
        }
    }
    return t;
}

}  // namespace fractions_unitaires::moteur
