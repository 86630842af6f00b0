// Divisors of d^2 in a residue class modulo c. With few divisors or a small
// c they are listed one by one; otherwise the primes of d are split in two
// sides and the divisors of each side matched by their residues (meet in
// the middle), so that the cost is the size of the sides, not of their
// product. No modular inverse is needed: with B the part of d^2 on the
// second side, a b = -d (mod c) exactly when a B = -d (B/b) (mod c), and
// B/b runs over the divisors of B as b does: the second side's residues
// are -d b' for every divisor b' of B, and b = B/b' is found again only
// for a match.
//
// The sides hold residues only. Divisors pair up, A with d^2/A, and both or
// neither are in the class (their product is d^2 = (-d)^2): one prime is
// taken only up to its exponent in d, and a match below it stands for both
// divisors of its pair. A match, rare when c is large, is turned back into
// its divisors from the places of its two residues, and those in the range
// asked for are kept.
//
// This runs once for each prefix x1 .. x(n-2) of a count: no allocation,
// no division, and no branch on the residues in the inner loops.
#include "nombres/diviseurs.h"

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <type_traits>

namespace fractions_unitaires::moteur {

// The routines of a listing are inlined whole into each of its two copies
// (see milieuFma): with and without fused multiply-adds.
#define EN_LIGNE inline __attribute__((always_inline))

namespace {

// A multiplier fixed for many products (a power of one prime), with its
// quotient by c.
struct Multiplicateur {
    double w, q;  // q = w / c
};

// a w mod c, exactly, in double precision, as a residue in (-c, c) for a,
// w in (-c, c) and c < 2^50, so that products of residues need no
// correction and only the final ones are brought into [0, c). The floating
// quotient a w / c is within 3/8 of the true one (three roundings to
// nearest, of 2^-53, on a value below c; liste() makes sure of the rounding
// mode), and q, the integer nearest it, within 7/8: a w - q c is within
// 7c/8 of 0. a w is h + l, l the rounding error of the product (found by a
// fused multiply-add, an integer); h - q c is an integer below 2^53,
// computed exactly by one fused multiply-add, and so is its sum with l.
// Below 2^BITS_PRODUIT_EXACT (`exact`) the products a w and q c are below
// 2^53, exact themselves: l is 0 and no fused multiply-add is needed.
template <bool exact>
EN_LIGNE double produit(double a, Multiplicateur m, double c)
{
    const double h = a * m.w;
    const double q = __builtin_rint(a * m.q);
    if constexpr (exact)
        return h - q * c;
    else
        return __builtin_fma(-q, c, h) + __builtin_fma(a, m.w, -h);
}

// Every residue of src by one multiplier: the inner loop of a listing.
template <bool exact>
EN_LIGNE void produits(double* dest, const double* src, std::size_t n, Multiplicateur m, double c)
{
    for (std::size_t k = 0; k < n; k++)
        dest[k] = produit<exact>(src[k], m, c);
}

// The residues below 2^50 as doubles; above, as 64-bit words multiplied
// through a 128-bit division. The kind is chosen once for a whole listing.
template <bool exact>
struct ModuloFlottant {
    using Residu = double;
    double c, inverse;
    explicit ModuloFlottant(u64 m) : c(static_cast<double>(m)), inverse(1.0 / static_cast<double>(m)) {}
    EN_LIGNE Residu residu(u128 v, u64 m) const { return static_cast<double>(static_cast<u64>(v < m ? v : v % m)); }
    EN_LIGNE Multiplicateur facteur(Residu w) const { return {w, w * inverse}; }
    EN_LIGNE Residu mul(Residu a, Multiplicateur m) const { return produit<exact>(a, m, c); }
    EN_LIGNE void muls(Residu* dest, const Residu* src, std::size_t n, Multiplicateur m) const
    {
        produits<exact>(dest, src, n, m, c);
    }
};

struct ModuloEntier {
    using Residu = u64;
    struct Facteur {
        u64 w;
    };
    u64 c;
    explicit ModuloEntier(u64 m) : c(m) {}
    Residu residu(u128 v, u64 m) const { return static_cast<u64>(v < m ? v : v % m); }
    Facteur facteur(Residu w) const { return {w}; }
    Residu mul(Residu a, Facteur m) const { return static_cast<u64>(static_cast<u128>(a) * m.w % c); }
    void muls(Residu* dest, const Residu* src, std::size_t n, Facteur m) const
    {
        for (std::size_t k = 0; k < n; k++)
            dest[k] = mul(src[k], m);
    }
};

// Depth-first over the exponents of the primes from k on, the value and its
// residue carried along; a branch stops as soon as its value passes hi.
void parcours(const Facteurs& fd, int k, u128 v, u64 r, u64 c, const u64 pr[], u64 cible, u128 lo, u128 hi,
              std::vector<u128>& sortie)
{
    if (k == fd.nb) {
        if (v >= lo && r == cible)
            sortie.push_back(v);
        return;
    }
    const u128 p = fd.p[k];
    for (int e = 0;; e++) {
        parcours(fd, k + 1, v, r, c, pr, cible, lo, hi, sortie);
        if (e == 2 * fd.e[k] || __builtin_mul_overflow(v, p, &v) || v > hi)
            return;
        // A product of two residues below 2^32 is a word.
        r = (c >> 32) == 0 ? r * pr[k] % c : static_cast<u64>(static_cast<u128>(r) * pr[k] % c);
    }
}

// The word of a residue: itself, or the bits of a double.
inline u64 mot(u64 r) { return r; }
inline u64 mot(double r)
{
    u64 m;
    std::memcpy(&m, &r, sizeof m);
    return m;
}

inline std::size_t hache(u64 cle, u64 facteur, int bits) { return static_cast<std::size_t>((cle * facteur) >> (64 - bits)); }
constexpr u64 H1 = 0x9E3779B97F4A7C15ull;

}  // namespace

u128 Diviseurs::nombre(const Facteurs& fd)
{
    u128 t = 1;
    for (int k = 0; k < fd.nb; k++)
        t *= static_cast<u128>(2 * fd.e[k] + 1);
    return t;
}

void Diviseurs::directs(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    u64 pr[limites::PREMIERS_MAX];
    for (int k = 0; k < fd.nb; k++)
        pr[k] = static_cast<u64>(fd.p[k] % c);
    parcours(fd, 0, 1, 1 % c, c, pr, cible, lo, hi, sortie);
}

// The residues of one side, place f * (size before p) + k for the exponent
// f of each prime p in turn: from `depart`, multiplied by p^f
// (puissances[k][f] the powers of prime k).
template <class Mod>
EN_LIGNE void Diviseurs::cote(const Mod& mod, const Cote& s, typename Mod::Residu depart,
                              typename Mod::Residu* const* puissances, std::vector<typename Mod::Residu>& residus)
{
    using Residu = typename Mod::Residu;
    // Grown, never shrunk nor cleared: every place is written below.
    if (residus.size() < s.taille)
        residus.resize(s.taille);
    Residu* r = residus.data();
    std::size_t fin = 1;
    r[0] = depart;
    for (int t = 0; t < s.nb; t++) {
        const Residu* pk = puissances[s.indice[t]];
        for (int f = s.choix[t] - 1; f >= 1; f--)
            mod.muls(r + f * fin, r, fin, mod.facteur(pk[f]));
        fin *= static_cast<std::size_t>(s.choix[t]);
    }
    // Doubles are matched by their bits, once in [0, c): those of r + 2^52
    // are the residue's below bits that are the same for every residue, so
    // that equal words are equal residues and their low bits are the
    // residue's.
    if constexpr (std::is_same_v<Residu, double>)
        for (std::size_t k = 0; k < s.taille; k++)
            r[k] += static_cast<double>(r[k] < 0) * mod.c + 0x1p52;
}

void Diviseurs::exposants(const Cote& s, bool complement, std::size_t place, int* f) const
{
    // Mostly exponents of at most 2, found by two comparisons rather than
    // a division or a loop whose branches the processor cannot foresee.
    for (int t = s.nb - 1; t >= 0; t--) {
        const std::size_t avant = s.avant[t];
        std::size_t e;
        if (s.choix[t] <= 3)
            e = static_cast<std::size_t>(place >= avant) + static_cast<std::size_t>(place >= 2 * avant);
        else
            e = place / avant;
        place -= e * avant;
        f[s.indice[t]] = complement ? 2 * s.e[t] - static_cast<int>(e) : static_cast<int>(e);
    }
}

void Diviseurs::garde(const Facteurs& fd, std::size_t a, std::size_t b, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    // The powers of the primes, made at the first match of a listing.
    if (!exactes_) {
        exactes_ = true;
        int place = 0;
        for (int k = 0; k < fd.nb; k++) {
            valeurs_[k] = place;
            puissances_[place] = 1;
            ombres_[place] = 1;
            for (int f = 1; f <= 2 * fd.e[k]; f++, place++) {
                puissances_[place + 1] = puissances_[place] * fd.p[k];
                ombres_[place + 1] = ombres_[place] * static_cast<double>(fd.p[k]);
            }
            place++;
        }
    }
    int f[limites::PREMIERS_MAX];
    exposants(cotes_[0], false, a, f);
    exposants(cotes_[1], true, b, f);
    // A and its pair d^2/A, each with a floating shadow: a product that
    // passed 2^127 (and wrapped) has a shadow above 2^126, and is above hi.
    u128 A = 1;
    double ombreA = 1;
    for (int k = 0; k < fd.nb; k++) {
        A *= puissances_[valeurs_[k] + f[k]];
        ombreA *= ombres_[valeurs_[k] + f[k]];
    }
    const bool dedans = ombreA < 0x1p126 && A >= lo && A <= hi;
    if (dedans)
        sortie.push_back(A);
    // Below the exponent in d of the halved prime, the match stands for
    // its pair too; not when A is in [lo, hi] below d, whose pair is then
    // above d (A = d has no pair of its own).
    if (f[moitie_] >= fd.e[moitie_] || (dedans && hi <= d_))
        return;
    u128 C = 1;
    double ombreC = 1;
    for (int k = 0; k < fd.nb; k++) {
        C *= puissances_[valeurs_[k] + 2 * fd.e[k] - f[k]];
        ombreC *= ombres_[valeurs_[k] + 2 * fd.e[k] - f[k]];
    }
    if (ombreC < 0x1p126 && C >= lo && C <= hi)
        sortie.push_back(C);
}

EN_LIGNE void Diviseurs::equilibre(const Facteurs& fd)
{
    // The halved prime: the largest exponent, which halves the most.
    moitie_ = 0;
    for (int k = 1; k < fd.nb; k++)
        if (fd.e[k] > fd.e[moitie_])
            moitie_ = k;
    // Two sides with numbers of residues as close as possible, the primes
    // of larger exponents placed first, the halved one on the first side.
    int ordre[limites::PREMIERS_MAX];
    int nb = 0;
    ordre[nb++] = moitie_;
    for (int k = 0; k < fd.nb; k++) {
        if (k == moitie_)
            continue;
        int t = nb;
        while (t > 1 && fd.e[ordre[t - 1]] < fd.e[k]) {
            ordre[t] = ordre[t - 1];
            t--;
        }
        ordre[t] = k;
        nb++;
    }
    for (Cote& s : cotes_) {
        s.nb = 0;
        s.taille = 1;
    }
    for (int t = 0; t < nb; t++) {
        const int k = ordre[t];
        Cote& s = (t == 0 || cotes_[0].taille <= cotes_[1].taille) ? cotes_[0] : cotes_[1];
        const int choix = k == moitie_ ? fd.e[k] + 1 : 2 * fd.e[k] + 1;
        s.indice[s.nb] = k;
        s.e[s.nb] = fd.e[k];
        s.choix[s.nb] = choix;
        s.avant[s.nb] = s.taille;
        s.nb++;
        s.taille *= static_cast<std::size_t>(choix);
    }
}

template <class Mod>
EN_LIGNE void Diviseurs::residus(const Facteurs& fd, const Mod& mod, u64 c, u64 cible)
{
    // The powers of every prime up to its exponent in d^2 (the halved one's
    // up to its exponent in d), one exponent at a time for all primes, each
    // the product of two of half its exponent: a chain of log E products,
    // not E, and those of different primes run side by side.
    using Residu = typename Mod::Residu;
    Residu tampon[2 * limites::EXPOSANT_MAX + 2 * limites::PREMIERS_MAX];
    Residu* puissances[limites::PREMIERS_MAX];
    int E[limites::PREMIERS_MAX];
    int Emax = 0, place = 0;
    for (int k = 0; k < fd.nb; k++) {
        E[k] = k == moitie_ ? fd.e[k] : 2 * fd.e[k];
        puissances[k] = tampon + place;
        place += 2 * fd.e[k] + 1;
        puissances[k][0] = mod.residu(1, c);
        puissances[k][1] = mod.residu(fd.p[k], c);
        Emax = std::max(Emax, E[k]);
    }
    for (int f = 2; f <= Emax; f++)
        for (int k = 0; k < fd.nb; k++)
            if (f <= E[k])
                puissances[k][f] = mod.mul(puissances[k][f / 2], mod.facteur(puissances[k][f - f / 2]));
    // beta: the second side's part of d^2, modulo c.
    Residu beta = mod.residu(1, c);
    const Cote& second = cotes_[1];
    for (int t = 0; t < second.nb; t++)
        beta = mod.mul(beta, mod.facteur(puissances[second.indice[t]][2 * second.e[t]]));
    cote(mod, cotes_[0], beta, puissances, residusDe<Residu>(0));
    cote(mod, cotes_[1], mod.residu(cible, c), puissances, residusDe<Residu>(1));
}

// Rare matches: a filter of the first side's residues, by their low
// bits (residues modulo a large c are spread evenly; below 2^17 they
// are their own place), turns nearly all of the second side away, and
// a residue let through is looked for among the first side's. A place is
// set to the listing's stamp: the places of earlier listings need no
// clearing, and the whole filter is cleared once in 255 listings.
template <class Residu>
EN_LIGNE void Diviseurs::rencontreFiltre(const Facteurs& fd, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    const std::size_t na = cotes_[0].taille, nbB = cotes_[1].taille;
    const u64 masque = (u64(1) << BITS_FILTRE) - 1;
    const Residu* a = residusDe<Residu>(0).data();
    const Residu* b = residusDe<Residu>(1).data();
    if (++marqueFiltre_ == 0 || filtre_.empty()) {
        filtre_.assign(std::size_t(1) << BITS_FILTRE, 0);
        marqueFiltre_ = 1;
    }
    const std::uint8_t marque = marqueFiltre_;
    std::uint8_t* filtre = filtre_.data();
    for (std::size_t t = 0; t < na; t++)
        filtre[mot(a[t]) & masque] = marque;
    for (std::size_t s = 0; s < nbB; s++) {
        const Residu cle = b[s];
        if (filtre[mot(cle) & masque] != marque)
            continue;
        // Whether it is there at all (in vectors), before where.
        u64 present = 0;
        for (std::size_t t = 0; t < na; t++)
            present |= static_cast<u64>(a[t] == cle);
        for (std::size_t t = 0; present != 0 && t < na; t++)
            if (a[t] == cle)
                garde(fd, t, s, lo, hi, sortie);
    }
}

// Otherwise a table of the first side by residue: a chain of places for
// each slot, the slots told apart from those of earlier listings by a
// stamp. A small c (most of these listings) is its own slot, so that a
// chain holds one residue and every place on it is a match; a larger one
// is hashed into twice as many slots as places.
template <class Residu>
EN_LIGNE void Diviseurs::rencontreTable(const Facteurs& fd, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    const std::size_t na = cotes_[0].taille, nbB = cotes_[1].taille;
    const Residu* a = residusDe<Residu>(0).data();
    const Residu* b = residusDe<Residu>(1).data();
    // Own slots up to 2^16: 512 KB of heads at most, in the second cache.
    constexpr int BITS_IDENTITE = 16;
    const bool identite = (c >> BITS_IDENTITE) == 0;
    int bits = 6;
    while ((std::size_t(1) << bits) < (identite ? c : 2 * na))
        bits++;
    const std::size_t taille = std::size_t(1) << bits;
    const u64 masque = taille - 1;
    // The low bits of a residue below 2^bits are the residue.
    auto place = [&](Residu r) { return identite ? static_cast<std::size_t>(mot(r) & masque) : hache(mot(r), H1, bits); };
    if (tetes_.size() < taille)
        tetes_.assign(taille, 0);
    if (suivants_.size() < na)
        suivants_.resize(na);
    if (++tampon_ == 0) {
        std::fill(tetes_.begin(), tetes_.end(), 0);
        tampon_ = 1;
    }
    const std::uint64_t marque = static_cast<std::uint64_t>(tampon_) << 32;
    std::uint64_t* tetes = tetes_.data();
    std::uint32_t* suivants = suivants_.data();
    // Places t + 1 on the chains, 0 at their end.
    for (std::size_t t = 0; t < na; t++) {
        std::uint64_t& tete = tetes[place(a[t])];
        suivants[t] = (tete >> 32) == tampon_ ? static_cast<std::uint32_t>(tete) : 0;
        tete = marque | (t + 1);
    }
    for (std::size_t s = 0; s < nbB; s++) {
        const Residu cle = b[s];
        const std::uint64_t tete = tetes[place(cle)];
        if ((tete >> 32) != tampon_)
            continue;
        for (std::uint32_t t = static_cast<std::uint32_t>(tete); t != 0; t = suivants[t - 1])
            if (identite || a[t - 1] == cle)
                garde(fd, t - 1, s, lo, hi, sortie);
    }
}

template <class Mod>
EN_LIGNE void Diviseurs::milieu(const Facteurs& fd, const Mod& mod, u64 c, u64 cible, u128 lo, u128 hi,
                                std::vector<u128>& sortie)
{
    exactes_ = false;
    equilibre(fd);
    residus(fd, mod, c, cible);
    // Matches are rare when the sides are small against c: a filter then
    // turns nearly all of the second side away.
    const std::size_t na = cotes_[0].taille, nbB = cotes_[1].taille;
    const double attendues = static_cast<double>(na) * static_cast<double>(nbB) / static_cast<double>(c);
    if (na <= (std::size_t(1) << BITS_FILTRE) / 64 && attendues < 1)
        rencontreFiltre<typename Mod::Residu>(fd, lo, hi, sortie);
    else
        rencontreTable<typename Mod::Residu>(fd, c, lo, hi, sortie);
}

EN_LIGNE void Diviseurs::milieuFlottant(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi,
                                        std::vector<u128>& sortie)
{
    if ((c >> limites::BITS_PRODUIT_EXACT) == 0)
        milieu(fd, ModuloFlottant<true>(c), c, cible, lo, hi, sortie);
    else
        milieu(fd, ModuloFlottant<false>(c), c, cible, lo, hi, sortie);
}

// Two copies of the meet in the middle on doubles, everything inlined in
// each: one for processors with fused multiply-adds (and 256-bit vectors
// with them), one for any other, where fma is the C library's, exact but
// slower. Each for a small c, whose products need no fma, and any other.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("fma")))
#endif
void Diviseurs::milieuFma(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    milieuFlottant(fd, c, cible, lo, hi, sortie);
}

void Diviseurs::milieuSansFma(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    milieuFlottant(fd, c, cible, lo, hi, sortie);
}

Diviseurs::Methode Diviseurs::liste(const Facteurs& fd, u128 d, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie)
{
    sortie.clear();
    // Residues are products of 64-bit numbers below c; divisors and their
    // products up to d stay below 2^127.
    ASSERT_LIMITE((c >> limites::BITS_C) == 0 && (d >> limites::BITS_D) == 0);
    if (lo < 1)
        lo = 1;
    if (hi < lo)
        return Methode::AUCUNE;
    d_ = d;
    const u64 resteD = (d >> 64) == 0 ? static_cast<u64>(d) % c : static_cast<u64>(d % c);
    const u64 cible = (c - resteD) % c;
    // Few divisors: the product of the 2e + 1 stops once past 64.
    u64 tau = 1;
    for (int k = 0; k < fd.nb && tau <= 64; k++)
        tau *= static_cast<u64>(2 * fd.e[k] + 1);
    if (c <= 8 || tau <= 64) {
        directs(fd, c, cible, lo, hi, sortie);
        return Methode::DIRECTE;
    }
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool fma = __builtin_cpu_supports("fma");
#else
    const bool fma = false;
#endif
    // The floating residues round to nearest: under another rounding mode,
    // set by a caller, the words.
    if ((c >> limites::BITS_QUOTIENT_FLOTTANT) != 0 || std::fegetround() != FE_TONEAREST)
        milieu(fd, ModuloEntier(c), c, cible, lo, hi, sortie);
    else if (fma)
        milieuFma(fd, c, cible, lo, hi, sortie);
    else
        milieuSansFma(fd, c, cible, lo, hi, sortie);
    return Methode::MILIEU;
}

}  // namespace fractions_unitaires::moteur
