// The divisors A of d^2 with A = -d (mod c) in a range: with x(n-2) fixed
// and the remainder c/d in lowest terms, each gives the pair
// u = (A + d)/c, v = (d^2/A + d)/c with 1/u + 1/v = c/d.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "nombres/facteurs.h"

namespace fractions_unitaires::moteur {

using u128 = unsigned __int128;

class Diviseurs {
public:
    // How divisors were listed: none to list, one by one, or meeting in
    // the middle.
    enum class Methode { AUCUNE, DIRECTE, MILIEU };
    // The divisors A of d^2 (d's primes in fd) with A = -d (mod c) and
    // lo <= A <= hi, into `sortie`, in no order.
    Methode liste(const Facteurs& fd, u128 d, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie);

    // The number of divisors of d^2.
    static u128 nombre(const Facteurs& fd);

private:
    // One side of the meet in the middle: its primes (their place in fd,
    // their exponent in d, how many exponents the side takes of each, and
    // the number of residues before each), and its number of residues.
    struct Cote {
        int nb = 0;
        int indice[limites::PREMIERS_MAX];
        int e[limites::PREMIERS_MAX];
        int choix[limites::PREMIERS_MAX];
        std::size_t avant[limites::PREMIERS_MAX];
        std::size_t taille = 1;
    };
    // The filter that turns residues away has this many places, a byte
    // each (set and read without shifts or read-modify-writes;
    // 128 KB, in the second cache): with a side of up to 2^11 residues it
    // lets through at most one residue in 64 that has no match. A bitmap
    // of the same places was slower by 6 % in the heavy branch of n = 9,
    // 2^14 bytes (in the first cache) by a third.
    static constexpr int BITS_FILTRE = 17;

    void directs(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    void milieuFma(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    void milieuSansFma(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    // On doubles, with exact products below 2^BITS_PRODUIT_EXACT.
    void milieuFlottant(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    template <class Mod>
    void milieu(const Facteurs& fd, const Mod& mod, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie);
    // The residues modulo c of both sides' divisors (the first side's
    // times the second side's part of d^2, the second side's times the
    // target), into residusDe(0) and (1).
    template <class Mod>
    void residus(const Facteurs& fd, const Mod& mod, u64 c, u64 cible);
    // The primes of d shared between the two sides, their numbers of
    // residues as close as possible.
    void equilibre(const Facteurs& fd);
    // The matches of the two sides' residues, from a filter of the first
    // side's or from a table of them.
    template <class Residu>
    void rencontreFiltre(const Facteurs& fd, u128 lo, u128 hi, std::vector<u128>& sortie);
    template <class Residu>
    void rencontreTable(const Facteurs& fd, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie);
    template <class Mod>
    void cote(const Mod& mod, const Cote& s, typename Mod::Residu depart, typename Mod::Residu* const* puissances,
              std::vector<typename Mod::Residu>& residus);
    // The exponents of the residue at `place` of side s, into f[]; on the
    // second side, those of the complement in d^2.
    void exposants(const Cote& s, bool complement, std::size_t place, int* f) const;
    // A match of the residues at places a and b: its divisors in [lo, hi].
    void garde(const Facteurs& fd, std::size_t a, std::size_t b, u128 lo, u128 hi, std::vector<u128>& sortie);

    Cote cotes_[2];
    u128 d_ = 0;
    int moitie_ = 0;  // the prime taken up to its exponent in d only
    // The powers p^f of the primes of the listing (those of prime k from
    // valeurs_[k] on), with floating shadows; made once a match needs them.
    bool exactes_ = false;
    int valeurs_[limites::PREMIERS_MAX];
    u128 puissances_[2 * limites::EXPOSANT_MAX + 2 * limites::PREMIERS_MAX];
    double ombres_[2 * limites::EXPOSANT_MAX + 2 * limites::PREMIERS_MAX];
    // The residues of each side: doubles below 2^50, words above.
    std::vector<double> flottants_[2];
    std::vector<u64> mots_[2];
    template <class Residu>
    std::vector<Residu>& residusDe(int k)
    {
        if constexpr (std::is_same_v<Residu, double>)
            return flottants_[k];
        else
            return mots_[k];
    }
    // The places of the filter set by the listing of stamp marqueFiltre_
    // hold it.
    std::vector<std::uint8_t> filtre_;
    std::uint8_t marqueFiltre_ = 0;
    std::vector<std::uint64_t> tetes_;
    std::vector<std::uint32_t> suivants_;
    std::uint32_t tampon_ = 0;
};

}  // namespace fractions_unitaires::moteur
