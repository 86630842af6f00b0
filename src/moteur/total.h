// The result of a batch count, or of one shard of it: the count, the
// largest xn, the first and last solutions with their places in the order
// of the search (so that shards can be added up), for one type or for
// both, and its JSON form.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "moteur/enonce.h"
#include "recherche/resultats.h"

namespace fractions_unitaires::moteur {

// The totals of one kind of solution, with the places of the first and
// last in the order of the search: 2j for the solutions met before unit
// j, 2j + 1 for those of unit j.
struct Totaux {
    ZZ nombre;  // a sum of shards, without a bound
    Maximum xn;
    Solution premiere, derniere;
    std::int64_t placePremiere = -1, placeDerniere = -1;

    // Adds what a share found, at its place (after everything so far).
    void ajoute(const Part& p, std::int64_t place);
    // Adds the totals of another shard of the same count.
    void fusionne(const Totaux& t);
};

struct Total : Totaux {
    // A count of both types (Enonce::lesDeux): the totals above are those
    // of type 1, these those of type 2.
    Totaux distinctes;
    double secondes = 0;
    std::int64_t unites = 0;  // units of the whole count
    int tranche = 1, tranches = 1;

    void ajoute(const Bilan& b, std::int64_t place);
    // Adds one solution x[1..n]; lesDeux: to the distinct ones too when
    // it is one of them.
    void ajoute(const Vec<ZZ>& x, int n, std::int64_t place, bool lesDeux);

    nlohmann::json enJson(const Enonce& d) const;
    static Total deJson(const nlohmann::json& j, const Enonce& d);
};

// The prefix of d, a JSON array (empty without one).
nlohmann::json prefixeJson(const Enonce& d);
// A number for JSON: an integer while it fits in 53 bits, a string beyond.
nlohmann::json nombreJson(const ZZ& v);
// Reads back exactly what nombreJson writes (no sign, no fraction, no
// exponent); throws Erreur.
ZZ nombreDeJson(const nlohmann::json& j);
// An integer between min and max, as a JSON number or a string of digits;
// throws Erreur.
std::int64_t entierDeJson(const nlohmann::json& j, std::int64_t min, std::int64_t max);
nlohmann::json solutionJson(const Solution& s);
Solution solutionDeJson(const nlohmann::json& j, int n);
// A unit's result; lesDeux: with the distinct ones under "type2".
nlohmann::json bilanJson(const Bilan& b, bool lesDeux);
Bilan bilanDeJson(const nlohmann::json& j, int n, bool lesDeux);
// The type of d as JSON writes it: 1, 2, or "both".
nlohmann::json typeJson(const Enonce& d);

// The totals of shard results written with --json, in the form of one of
// them. Throws Erreur when they are not the K shards of one count.
Total fusionne(const std::vector<std::string>& fichiers, Enonce& d);

}  // namespace fractions_unitaires::moteur
