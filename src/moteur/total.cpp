// Totals of a count: merging, text and JSON.
#include "moteur/total.h"

#include <algorithm>
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
json solutionsJson(const ZZ& nombre, const Empreinte& e, const Maximum& xn, const Solution& premiere,
                   const Solution& derniere)
{
    return {{"solutions", nombreJson(nombre)},
            {"fingerprint", e.texte()},
            {"xn_max", nombre > 0 ? nombreJson(xn.valeur().zz()) : json(nullptr)},
            {"first", solutionJson(premiere)},
            {"last", solutionJson(derniere)}};
}

Empreinte empreinteDeJson(const json& j)
{
    Empreinte e;
    if (!j.is_string() || !Empreinte::lit(j.get<std::string>(), e))
        throw Erreur{"a fingerprint is 16 hexadecimal digits below 2^61 - 1, not " + j.dump()};
    return e;
}

void solutionsDeJson(const json& j, int n, ZZ& nombre, Empreinte& e, Maximum& xn, Solution& premiere,
                     Solution& derniere)
{
    nombre = nombreDeJson(j.at("solutions"));
    e = empreinteDeJson(j.at("fingerprint"));
    if (nombre == 0 && e != Empreinte())
        throw Erreur{"it has a fingerprint without solutions"};
    if (nombre > 0)
        xn.propose(nombreDeJson(j.at("xn_max")));
    premiere = solutionDeJson(j.at("first"), n);
    derniere = solutionDeJson(j.at("last"), n);
    if ((nombre == 0) != premiere.vide() || (nombre == 0) != derniere.vide())
        throw Erreur{"its solutions, first and last do not agree"};
}

}  // namespace

json typeJson(const Enonce& d) { return d.lesDeux ? json("both") : json(d.type); }

json bilanJson(const Bilan& b, bool lesDeux)
{
    json j = solutionsJson(ZZ(b.nombre), b.empreinte, b.m, b.premiere, b.derniere);
    if (lesDeux) {
        const Part& t = b.distinctes;
        j["type2"] = solutionsJson(ZZ(t.nombre), t.empreinte, t.m, t.premiere, t.derniere);
    }
    j["ended"] = b.finie;
    return j;
}

namespace {

Part partDeJson(const json& j, int n)
{
    Part p;
    ZZ nombre;
    solutionsDeJson(j, n, nombre, p.empreinte, p.m, p.premiere, p.derniere);
    // One unit's count fits a word (a few billion solutions at most).
    if (!tient(nombre, 62))
        throw Erreur{"a unit's count is out of range: " + j.at("solutions").dump()};
    p.nombre = NTL::conv<long>(nombre);
    return p;
}

}  // namespace

Bilan bilanDeJson(const json& j, int n, bool lesDeux)
{
    Bilan b;
    static_cast<Part&>(b) = partDeJson(j, n);
    if (lesDeux) {
        b.distinctes = partDeJson(j.at("type2"), n);
        if (b.distinctes.nombre > b.nombre)
            throw Erreur{"a unit has more solutions of type 2 than of type 1"};
    }
    b.finie = j.at("ended").get<bool>();
    return b;
}

void Totaux::ajoute(const Part& p, std::int64_t place)
{
    if (p.nombre == 0)
        return;
    nombre += p.nombre;
    empreinte.ajoute(p.empreinte);
    xn.propose(p.m.valeur());
    if (premiere.vide()) {
        premiere = p.premiere;
        placePremiere = place;
    }
    derniere = p.derniere;
    placeDerniere = place;
}

void Totaux::fusionne(const Totaux& t)
{
    nombre += t.nombre;
    empreinte.ajoute(t.empreinte);
    if (t.nombre == 0)
        return;
    xn.propose(t.xn.valeur());
    if (placePremiere < 0 || t.placePremiere < placePremiere) {
        premiere = t.premiere;
        placePremiere = t.placePremiere;
    }
    if (t.placeDerniere > placeDerniere) {
        derniere = t.derniere;
        placeDerniere = t.placeDerniere;
    }
}

void Total::ajoute(const Bilan& b, std::int64_t place)
{
    Totaux::ajoute(b, place);
    distinctes.ajoute(b.distinctes, place);
}

Releve releve(std::int64_t unite, const Bilan& b)
{
    Releve r;
    r.unite = unite;
    r.nombre[0] = b.nombre;
    r.empreinte[0] = b.empreinte;
    r.nombre[1] = b.distinctes.nombre;
    r.empreinte[1] = b.distinctes.empreinte;
    return r;
}

void Total::ajouteUnite(std::int64_t j, const Bilan& b)
{
    ajoute(b, 2 * j + 1);
    if (b.nombre > 0)
        releves.push_back(releve(j, b));
}

Releve Total::releveDe(std::int64_t j) const
{
    const auto it = std::lower_bound(releves.begin(), releves.end(), j,
                                     [](const Releve& r, std::int64_t i) { return r.unite < i; });
    if (it != releves.end() && it->unite == j)
        return *it;
    Releve r;
    r.unite = j;
    return r;
}

void Total::ajoute(const Vec<ZZ>& x, int n, std::int64_t place, bool lesDeux)
{
    Bilan b;
    b.ajoute(x, n, lesDeux);
    ajoute(b, place);
}

namespace {

// One kind's totals in JSON, and back.
json totauxJson(const Totaux& t)
{
    json j = solutionsJson(t.nombre, t.empreinte, t.xn, t.premiere, t.derniere);
    j["x1_min"] = t.nombre > 0 ? nombreJson(t.derniere.valeurs()[1]) : json(nullptr);
    j["first_place"] = t.placePremiere;
    j["last_place"] = t.placeDerniere;
    return j;
}

Totaux totauxDeJson(const json& j, int n)
{
    Totaux t;
    solutionsDeJson(j, n, t.nombre, t.empreinte, t.xn, t.premiere, t.derniere);
    const std::int64_t grand = std::numeric_limits<std::int64_t>::max() / 2;
    t.placePremiere = entierDeJson(j.at("first_place"), -1, grand);
    t.placeDerniere = entierDeJson(j.at("last_place"), -1, grand);
    if ((t.nombre == 0) != (t.placePremiere < 0) || t.placePremiere > t.placeDerniere)
        throw Erreur{"its solutions, first and last do not agree"};
    return t;
}

}  // namespace

json Total::enJson(const Enonce& d) const
{
    json j;
    j["n"] = d.n;
    j["P"] = nombreJson(d.P);
    j["Q"] = nombreJson(d.Q);
    j["type"] = typeJson(d);
    j["parity"] = nomParite(d.parite);
    j["max"] = d.max == 0 ? json(nullptr) : nombreJson(d.max);
    j["prefix"] = prefixeJson(d);
    if (d.lesDeux) {
        j["type1"] = totauxJson(*this);
        j["type2"] = totauxJson(distinctes);
    } else {
        j.update(totauxJson(*this));
    }
    j["seconds"] = secondes;
    j["units"] = unites;
    // Each unit with solutions: [unit, solutions, fingerprint], and those
    // of type 2 after them in a count of both.
    json r = json::array();
    for (const Releve& u : releves) {
        json e = {u.unite, u.nombre[0], u.empreinte[0].texte()};
        if (d.lesDeux) {
            e.push_back(u.nombre[1]);
            e.push_back(u.empreinte[1].texte());
        }
        r.push_back(e);
    }
    j["unit_fingerprints"] = r;
    j["shard"] = std::to_string(tranche) + "/" + std::to_string(tranches);
    return j;
}

Total Total::deJson(const json& j, const Enonce& d)
{
    Total t;
    if (d.lesDeux) {
        static_cast<Totaux&>(t) = totauxDeJson(j.at("type1"), d.n);
        t.distinctes = totauxDeJson(j.at("type2"), d.n);
        if (t.distinctes.nombre > t.nombre)
            throw Erreur{"it has more solutions of type 2 than of type 1"};
    } else {
        static_cast<Totaux&>(t) = totauxDeJson(j, d.n);
    }
    if (!j.at("seconds").is_number() || !(j.at("seconds").get<double>() >= 0))
        throw Erreur{"seconds must be a non-negative number, not " + j.at("seconds").dump()};
    t.secondes = j.at("seconds").get<double>();
    t.unites = entierDeJson(j.at("units"), 0, std::numeric_limits<std::int64_t>::max() / 2);
    const std::size_t taille = d.lesDeux ? 5 : 3;
    for (const json& e : j.at("unit_fingerprints")) {
        if (!e.is_array() || e.size() != taille)
            throw Erreur{"a unit's fingerprint is not [unit, solutions, fingerprint]: " + e.dump()};
        Releve u;
        u.unite = entierDeJson(e[0], 0, t.unites - 1);
        for (std::size_t k = 0; 2 * k + 1 < taille; k++) {
            u.nombre[k] = entierDeJson(e[2 * k + 1], k == 0 ? 1 : 0, std::int64_t(1) << 62);
            u.empreinte[k] = empreinteDeJson(e[2 * k + 2]);
        }
        if (u.nombre[1] > u.nombre[0])
            throw Erreur{"a unit has more solutions of type 2 than of type 1"};
        if (!t.releves.empty() && t.releves.back().unite >= u.unite)
            throw Erreur{"the units' fingerprints are not in order"};
        t.releves.push_back(u);
    }
    return t;
}

Total fusionne(const std::vector<std::string>& fichiers, Enonce& d, bool seule)
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
                d.lesDeux = j.at("type") == "both";
                d.type = d.lesDeux ? 1 : static_cast<int>(entierDeJson(j.at("type"), 1, 2));
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
            parts[i] = Total::deJson(j, d);
            for (const Releve& u : parts[i].releves)
                if (u.unite % k + 1 != i)
                    throw Erreur{"it holds unit " + std::to_string(u.unite) + ", which is not of shard " + tr};
        } catch (const json::exception& e) {
            throw Erreur{f + " is not a shard result: " + e.what()};
        } catch (const Erreur& e) {
            throw Erreur{f + " is not a shard result of this count: " + e.message};
        }
    }
    if (seule && parts.size() == 1 && tranches > 1) {
        Total t = parts.begin()->second;
        t.tranche = d.tranche = static_cast<int>(parts.begin()->first);
        t.tranches = d.tranches = static_cast<int>(tranches);
        return t;
    }
    if (static_cast<std::int64_t>(parts.size()) != tranches)
        throw Erreur{"the count has " + std::to_string(tranches) + " shards, " +
                              std::to_string(parts.size()) + " were given"};
    Total t;
    for (auto& [i, p] : parts) {
        t.releves.insert(t.releves.end(), p.releves.begin(), p.releves.end());
        t.fusionne(p);
        t.distinctes.fusionne(p.distinctes);
        t.secondes += p.secondes;
        t.unites = p.unites;
    }
    std::sort(t.releves.begin(), t.releves.end(), [](const Releve& a, const Releve& b) { return a.unite < b.unite; });
    for (std::size_t k = 1; k < t.releves.size(); k++)
        if (t.releves[k].unite == t.releves[k - 1].unite)
            throw Erreur{"unit " + std::to_string(t.releves[k].unite) + " is in two shards"};
    return t;
}

}  // namespace fractions_unitaires::moteur
