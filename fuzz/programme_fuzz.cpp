// Fuzz target over the whole program: the input bytes are the answers typed
// from the banner on, the output is only hashed. Built by scripts/fuzz.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <streambuf>

#include "dialogue/dialogue.h"
#include "search/etat.h"

namespace {

// Standard input read straight from the fuzzer's buffer.
class Entree : public std::streambuf {
public:
    Entree(const std::uint8_t* donnees, std::size_t taille)
    {
        char* debut = const_cast<char*>(reinterpret_cast<const char*>(donnees));
        setg(debut, debut, debut + taille);
    }
};

// Standard output reduced to a hash of its bytes (FNV-1a), so that two runs
// of the same answers can be compared without keeping their output.
class Empreinte : public std::streambuf {
public:
    std::uint64_t valeur = 1469598103934665603ULL;

protected:
    int overflow(int c) override
    {
        if (c != traits_type::eof())
            ajoute(static_cast<char>(c));
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        for (std::streamsize k = 0; k < n; k++)
            ajoute(s[k]);
        return n;
    }

private:
    void ajoute(char c)
    {
        valeur ^= static_cast<unsigned char>(c);
        valeur *= 1099511628211ULL;
    }
};

// One whole session; the status, or 3 when the step bound cut a search.
int session(const std::uint8_t* donnees, std::size_t taille, std::uint64_t& empreinte)
{
    Entree entree(donnees, taille);
    Empreinte sortie;
    std::streambuf* ancienneEntree = std::cin.rdbuf(&entree);
    std::streambuf* ancienneSortie = std::cout.rdbuf(&sortie);
    int statut;
    try {
        statut = programme();
    } catch (const TropDePas&) {
        statut = 3;
    }
    std::cin.rdbuf(ancienneEntree);
    std::cout.rdbuf(ancienneSortie);
    empreinte = sortie.valeur;
    return statut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille)
{
    // Every run must end: some answers ask for searches of days.
    pasMax = 20000;
    std::uint64_t premiere = 0, seconde = 0;
    const int statut = session(donnees, taille, premiere);
    if (statut != 1 && statut != 2 && statut != 3)
        __builtin_trap();
    // Nothing may carry over from one session to the next: the same answers
    // must give the same output and status again, even after a cut search.
    if (session(donnees, taille, seconde) != statut || seconde != premiere)
        __builtin_trap();
    if (!raccourcis || pasMax != 20000)
        __builtin_trap();
    return 0;
}
