// The result of a batch count, or of one shard of it: the count, the
// largest xn, the first and last solutions with their places in the order
// of the search (so that shards can be added up), for one type or for
// both, and its JSON form.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "moteur/enonce.h"
#include "recherche/resultats.h"

namespace fractions_unitaires::moteur {

// The totals of one kind of solution, with the places of the first and
// last in the order of the search: 2j for the solutions met before unit
// j, 2j + 1 for those of unit j.
struct Totaux {
    ZZ nombre;  // a sum of shards, without a bound
    Empreinte empreinte;
    Maximum xn;
    Solution premiere, derniere;
    std::int64_t placePremiere = -1, placeDerniere = -1;

    // Adds what a share found, at its place (after everything so far).
    void ajoute(const Part& p, std::int64_t place);
    // Adds the totals of another shard of the same count.
    void fusionne(const Totaux& t);
};

// What one unit found, kept so that it can be recounted and compared:
// its count and fingerprint of each type ([1]: type 2, in a count of both).
struct Releve {
    std::int64_t unite = 0;
    std::int64_t nombre[2] = {0, 0};
    Empreinte empreinte[2];
    bool operator==(const Releve& r) const
    {
        return unite == r.unite && nombre[0] == r.nombre[0] && nombre[1] == r.nombre[1] &&
               empreinte[0] == r.empreinte[0] && empreinte[1] == r.empreinte[1];
    }
    bool operator!=(const Releve& r) const { return !(*this == r); }
};
Releve releve(std::int64_t unite, const Bilan& b);

struct Total : Totaux {
    // A count of both types (Enonce::lesDeux): the totals above are those
    // of type 1, these those of type 2.
    Totaux distinctes;
    double secondes = 0;
    std::int64_t unites = 0;  // units of the whole count
    int tranche = 1, tranches = 1;
    // The units of these shards that hold solutions, by index (a unit
    // absent holds none).
    std::vector<Releve> releves;

    void ajoute(const Bilan& b, std::int64_t place);
    // Adds the result of unit j, after every unit before it.
    void ajouteUnite(std::int64_t j, const Bilan& b);
    // The record of unit j: what ajouteUnite kept, or none found.
    Releve releveDe(std::int64_t j) const;
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
// them. Throws Erreur when they are not the K shards of one count; with
// `seule`, one shard may also be given alone, its totals returned as such.
Total fusionne(const std::vector<std::string>& fichiers, Enonce& d, bool seule = false);

}  // namespace fractions_unitaires::moteur
