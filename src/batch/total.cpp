// Totals of a count: merging, text and JSON.
#include "batch/total.h"

#include <fstream>
#include <map>
#include <sstream>

using nlohmann::json;

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
    if (j.is_number_integer())
        return ZZ(j.get<long>());
    if (!j.is_string())
        throw MauvaisArgument{"a number is expected, not " + j.dump()};
    const std::string s = j.get<std::string>();
    for (char c : s)
        if (c < '0' || c > '9')
            throw MauvaisArgument{"a number is expected, not " + s};
    return NTL::conv<ZZ>(s.c_str());
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
        throw MauvaisArgument{"a solution of " + std::to_string(n) + " unknowns is expected"};
    Vec<ZZ> v;
    v.SetLength(n + 1);
    for (int k = 1; k <= n; k++)
        v[k] = nombreDeJson(j[k - 1]);
    s.prend(v, n);
    return s;
}

json bilanJson(const Bilan& b)
{
    return {{"solutions", b.nombre},
            {"xn_max", b.nombre > 0 ? nombreJson(b.m.valeur().zz()) : json(nullptr)},
            {"first", solutionJson(b.premiere)},
            {"last", solutionJson(b.derniere)},
            {"ended", b.finie}};
}

Bilan bilanDeJson(const json& j, int n)
{
    Bilan b;
    b.nombre = j.at("solutions").get<std::int64_t>();
    if (b.nombre > 0)
        b.m.propose(nombreDeJson(j.at("xn_max")));
    b.premiere = solutionDeJson(j.at("first"), n);
    b.derniere = solutionDeJson(j.at("last"), n);
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

json Total::enJson(const Demande& d) const
{
    json j;
    j["n"] = d.n;
    j["P"] = nombreJson(d.P1);
    j["Q"] = nombreJson(d.Q1);
    j["type"] = d.type;
    j["parity"] = nomParite(d.parite);
    j["max"] = d.max == 0 ? json(nullptr) : nombreJson(d.max);
    j["solutions"] = nombre;
    j["xn_max"] = nombre > 0 ? nombreJson(xn.valeur().zz()) : json(nullptr);
    j["x1_min"] = nombre > 0 ? nombreJson(derniere.valeurs()[1]) : json(nullptr);
    j["first"] = solutionJson(premiere);
    j["last"] = solutionJson(derniere);
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
    t.nombre = j.at("solutions").get<std::int64_t>();
    if (t.nombre > 0)
        t.xn.propose(nombreDeJson(j.at("xn_max")));
    t.premiere = solutionDeJson(j.at("first"), n);
    t.derniere = solutionDeJson(j.at("last"), n);
    t.secondes = j.at("seconds").get<double>();
    t.unites = j.at("units").get<std::int64_t>();
    t.placePremiere = j.at("first_place").get<std::int64_t>();
    t.placeDerniere = j.at("last_place").get<std::int64_t>();
    return t;
}

namespace {

std::string texte(const json& v)
{
    if (v.is_null())
        return "-";
    if (v.is_string())
        return v.get<std::string>();
    if (v.is_array()) {
        std::string s;
        for (const json& e : v)
            s += (s.empty() ? "" : " ") + texte(e);
        return s;
    }
    return v.dump();
}

}  // namespace

void Total::ecrit(std::ostream& out, const Demande& d, bool enJ) const
{
    const json j = enJson(d);
    if (enJ) {
        out << j.dump() << "\n";
        return;
    }
    for (const char* cle : {"solutions", "xn_max", "x1_min", "first", "last"})
        out << cle << ": " << texte(j[cle]) << "\n";
    if (tranches > 1)
        out << "shard: " << tranche << "/" << tranches << "\n";
    out << "seconds: " << secondes << "\n";
    out.flush();
}

Total fusionne(const std::vector<std::string>& fichiers, Demande& d)
{
    std::map<int, Total> parts;
    json modele;
    int tranches = 0;
    for (const std::string& f : fichiers) {
        std::ifstream in(f);
        if (!in)
            throw MauvaisArgument{"cannot read " + f};
        json j;
        try {
            in >> j;
            const std::string tr = j.at("shard").get<std::string>();
            const auto b = tr.find('/');
            const int i = std::stoi(tr.substr(0, b)), k = std::stoi(tr.substr(b + 1));
            json probleme = {j.at("n"), j.at("P"), j.at("Q"), j.at("type"), j.at("parity"), j.at("max"),
                             j.at("units"), k};
            if (modele.is_null()) {
                modele = probleme;
                tranches = k;
                d.n = j.at("n").get<int>();
                d.P1 = nombreDeJson(j.at("P"));
                d.Q1 = nombreDeJson(j.at("Q"));
                d.type = j.at("type").get<int>();
                const std::string p = j.at("parity").get<std::string>();
                d.parite = p == "odd" ? 1 : p == "even" ? 2 : 0;
                d.max = j.at("max").is_null() ? ZZ(0) : nombreDeJson(j.at("max"));
            } else if (probleme != modele) {
                throw MauvaisArgument{f + " is a shard of another count"};
            }
            if (i < 1 || i > k || parts.count(i))
                throw MauvaisArgument{f + ": shard " + tr + " given twice or out of range"};
            parts[i] = Total::deJson(j, d.n);
        } catch (const json::exception& e) {
            throw MauvaisArgument{f + " is not a shard result: " + e.what()};
        } catch (const std::logic_error& e) {
            throw MauvaisArgument{f + " is not a shard result: " + e.what()};
        }
    }
    if (static_cast<int>(parts.size()) != tranches)
        throw MauvaisArgument{"the count has " + std::to_string(tranches) + " shards, " +
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
