// Fuzz target over the whole program: the input bytes are the answers typed
// from the banner on, the output is only hashed. Built by scripts/fuzz.
// Each input runs twice, the second time with every count shared between
// two threads in units of a few prefixes: the output must not change.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "interactif/dialogue.h"

using namespace fractions_unitaires::interactif;

namespace {

// Output past this many bytes fails, as a full disk would, and ends the
// session: within the steps allowed, a table of thousands of unknowns can
// print hundreds of megabytes.
constexpr std::uint64_t SORTIE_MAX = std::uint64_t(1) << 22;

// Standard output reduced to a hash of its bytes (FNV-1a), so that two runs
// of the same answers can be compared without keeping their output.
class Empreinte : public std::streambuf {
public:
    std::uint64_t valeur = 1469598103934665603ULL;

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        if (taille_ >= SORTIE_MAX)
            return traits_type::eof();
        ajoute(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        std::streamsize k = 0;
        for (; k < n && taille_ < SORTIE_MAX; k++)
            ajoute(s[k]);
        return k;
    }

private:
    std::uint64_t taille_ = 0;
    void ajoute(char c)
    {
        valeur ^= static_cast<unsigned char>(c);
        valeur *= 1099511628211ULL;
        taille_++;
    }
};

// One whole session; the status, or 3 when the step bound or the output
// bound cut it.
int session(const std::uint8_t* donnees, std::size_t taille, bool partage, std::uint64_t& empreinte)
{
    Entree entree(std::string(reinterpret_cast<const char*>(donnees), taille));
    Empreinte tampon;
    std::ostream sortie(&tampon);
    sortie.exceptions(std::ios::badbit);
    Dialogue dialogue(entree, sortie);
    // Every run must end: some answers ask for searches of days.
    dialogue.reglages.pasMax = 20000;
    if (partage) {
        dialogue.reglages.travailleurs = 2;
        dialogue.reglages.unite = 3;
        dialogue.reglages.pasAvantPartage = 0;
        dialogue.reglages.periodePartage = 2;
    }
    int statut;
    try {
        statut = dialogue.programme();
    } catch (const TropDePas&) {
        statut = 3;
    } catch (const std::ios_base::failure&) {
        statut = 3;
    }
    empreinte = tampon.valeur;
    return statut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille)
{
    std::uint64_t seule = 0, partagee = 0;
    const int statut = session(donnees, taille, false, seule);
    if (statut != 1 && statut != 2 && statut != 3)
        __builtin_trap();
    // A shared count stops at another step than a search alone: only the
    // sessions that ran to their end are compared.
    const int autre = session(donnees, taille, true, partagee);
    if (statut != 3 && autre != 3 && (autre != statut || partagee != seule))
        __builtin_trap();
    return 0;
}
