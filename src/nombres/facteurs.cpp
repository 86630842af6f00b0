// Sieve windows, trial division, Miller-Rabin and Pollard's rho (Brent's
// variant) on 64-bit numbers.
#include "nombres/facteurs.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <NTL/ZZ.h>

#include "nombres/mot.h"

namespace fractions_unitaires::moteur {

namespace {

u64 mulmod(u64 a, u64 b, u64 m) { return static_cast<u64>(static_cast<u128>(a) * b % m); }

u64 powmod(u64 a, u64 e, u64 m)
{
    u64 r = 1 % m;
    a %= m;
    while (e != 0) {
        if (e & 1)
            r = mulmod(r, a, m);
        a = mulmod(a, a, m);
        e >>= 1;
    }
    return r;
}

}  // namespace

u64 racine(u64 v)
{
    u64 r = static_cast<u64>(std::sqrt(static_cast<double>(v)));
    while (r > 0 && static_cast<u128>(r) * r > v)
        r--;
    while (static_cast<u128>(r + 1) * (r + 1) <= v)
        r++;
    return r;
}

namespace {

// A non-trivial factor of the odd composite v (Brent's cycle finding, with
// the gcd taken over batches of products).
u64 rho(u64 v)
{
    for (u64 c = 1;; c++) {
        u64 y = 2, x = 2, g = 1, q = 1, ys = 2;
        const u64 lot = 64;
        auto f = [&](u64 t) { return (mulmod(t, t, v) + c) % v; };
        for (u64 r = 1; g == 1; r <<= 1) {
            x = y;
            for (u64 k = 0; k < r; k++)
                y = f(y);
            for (u64 k = 0; k < r && g == 1; k += lot) {
                ys = y;
                for (u64 t = 0; t < lot && t < r - k; t++) {
                    y = f(y);
                    q = mulmod(q, x > y ? x - y : y - x, v);
                }
                g = std::gcd(q, v);
            }
        }
        if (g == v) {
            // The batch overshot: redo its steps one at a time.
            do {
                ys = f(ys);
                g = std::gcd(x > ys ? x - ys : ys - x, v);
            } while (g == 1);
        }
        if (g != v)
            return g;
    }
}

// The primes of v (any order, with repetition) into `sortie`.
void decompose(u64 v, std::vector<u64>& sortie, std::int64_t& compteRho)
{
    if (v == 1)
        return;
    if (estPremier(v)) {
        sortie.push_back(v);
        return;
    }
    compteRho++;
    const u64 g = rho(v);
    decompose(g, sortie, compteRho);
    decompose(v / g, sortie, compteRho);
}

}  // namespace

namespace {

// The primes up to `borne`, by Eratosthenes.
std::vector<u32> jusqua(u64 borne)
{
    std::vector<bool> compose(borne + 1, false);
    std::vector<u32> liste;
    for (u64 p = 2; p <= borne; p++) {
        if (compose[p])
            continue;
        liste.push_back(static_cast<u32>(p));
        for (u64 m = p * p; m <= borne; m += p)
            compose[m] = true;
    }
    return liste;
}

// The primes found (any order, with repetition) added to f, increasing,
// with their exponents.
template <class V>
void ajouteTous(std::vector<V>& trouves, Facteurs& f)
{
    std::sort(trouves.begin(), trouves.end());
    for (std::size_t k = 0; k < trouves.size();) {
        std::size_t l = k;
        while (l < trouves.size() && trouves[l] == trouves[k])
            l++;
        f.ajoute(trouves[k], static_cast<int>(l - k));
        k = l;
    }
}

}  // namespace

const std::vector<u32>& premiers(u64 borne)
{
    ASSERT_LIMITE(borne <= (u64(1) << (limites::BITS_CRIBLE / 2)));
    // Four tables, each made at its first use, so that a sieve of small
    // values does not wait for the primes up to 2^26.
    static const std::vector<u32> t16 = jusqua(u64(1) << 16);
    if (borne <= (u64(1) << 16))
        return t16;
    static const std::vector<u32> t20 = jusqua(u64(1) << 20);
    if (borne <= (u64(1) << 20))
        return t20;
    static const std::vector<u32> t23 = jusqua(u64(1) << 23);
    if (borne <= (u64(1) << 23))
        return t23;
    static const std::vector<u32> t26 = jusqua(u64(1) << (limites::BITS_CRIBLE / 2));
    return t26;
}

bool estPremier(u64 v)
{
    if (v < 2)
        return false;
    for (u64 p : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37}) {
        if (v % p == 0)
            return v == p;
    }
    u64 d = v - 1;
    int s = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        s++;
    }
    // These bases decide every number below 2^64.
    for (u64 a : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37}) {
        u64 x = powmod(a, d, v);
        if (x == 1 || x == v - 1)
            continue;
        bool compose = true;
        for (int t = 1; t < s; t++) {
            x = mulmod(x, x, v);
            if (x == v - 1) {
                compose = false;
                break;
            }
        }
        if (compose)
            return false;
    }
    return true;
}

void factorise(u64 v, Facteurs& f, std::int64_t& compteRho)
{
    f.nb = 0;
    // Trial division by the primes below 2^10 takes most factors of most
    // numbers; what remains is prime, or left to rho.
    const u64 petits = 1024;
    for (u32 p : premiers(petits)) {
        if (p > petits || static_cast<u64>(p) * p > v)
            break;
        if (v % p == 0) {
            int e = 0;
            do {
                v /= p;
                e++;
            } while (v % p == 0);
            f.ajoute(p, e);
        }
    }
    if (v == 1)
        return;
    std::vector<u64> reste;
    decompose(v, reste, compteRho);
    ajouteTous(reste, f);
}

namespace {

// A non-trivial factor of the odd composite v past 64 bits (Brent's cycle
// finding on ZZ), or 0 past the budget of steps.
u128 rhoGrand(u128 v128)
{
    const NTL::ZZ v = enZZ(Mot::brut(static_cast<Mot::Brut>(v128)));
    std::int64_t pas = 0;
    for (long c = 1; c < 64; c++) {
        NTL::ZZ y(2), x, g(1), q(1), ys, t;
        for (long r = 1; g == 1; r <<= 1) {
            x = y;
            for (long k = 0; k < r; k++)
                y = (y * y + c) % v;
            for (long k = 0; k < r && g == 1; k += 64) {
                ys = y;
                for (long i = 0; i < 64 && i < r - k; i++) {
                    y = (y * y + c) % v;
                    q = q * abs(x - y) % v;
                }
                g = GCD(q, v);
                if ((pas += 64) > limites::RHO_MAX)
                    return 0;
            }
        }
        if (g == v) {
            do {
                ys = (ys * ys + c) % v;
                g = GCD(abs(x - ys), v);
            } while (g == 1);
        }
        if (g != v)
            return static_cast<u128>(enMot(g).v);
    }
    return 0;
}

// The primes of v (any order, with repetition) into `sortie`.
bool decomposeGrand(u128 v, std::vector<u128>& sortie, std::int64_t& compteRho)
{
    if ((v >> 64) == 0) {
        std::vector<u64> petits;
        decompose(static_cast<u64>(v), petits, compteRho);
        sortie.insert(sortie.end(), petits.begin(), petits.end());
        return true;
    }
    // Past 64 bits, a probable prime: 40 rounds of Miller-Rabin leave a
    // composite one chance in 2^80.
    if (NTL::ProbPrime(enZZ(Mot::brut(static_cast<Mot::Brut>(v))), 40)) {
        sortie.push_back(v);
        return true;
    }
    compteRho++;
    const u128 g = rhoGrand(v);
    return g != 0 && decomposeGrand(g, sortie, compteRho) && decomposeGrand(v / g, sortie, compteRho);
}

}  // namespace

bool factorise(u128 v, Facteurs& f, std::int64_t& compteRho)
{
    if ((v >> 64) == 0) {
        factorise(static_cast<u64>(v), f, compteRho);
        return true;
    }
    ASSERT_LIMITE((v >> limites::BITS_FACTORISATION) == 0);
    f.nb = 0;
    std::vector<u128> reste;
    for (u32 p : premiers(u64(1) << 16)) {
        if (v % p != 0)
            continue;
        do {
            v /= p;
            reste.push_back(p);
        } while (v % p == 0);
    }
    if (v > 1 && !decomposeGrand(v, reste, compteRho))
        return false;
    ajouteTous(reste, f);
    return true;
}

void Crible::remplit(u64 haut, u64 bas)
{
    const std::size_t taille = static_cast<std::size_t>(haut - bas + 1);
    const int P = limites::PREMIERS_PAR_VALEUR;
    nombre_.assign(taille, 0);
    produit_.assign(taille, 1);
    if (premiers_.size() < taille * P) {
        premiers_.resize(taille * P);
        exposants_.resize(taille * P);
    }
    const u64 limite = racine(haut);
    const std::vector<u32>& table = premiers(limite);
    const std::size_t nb = static_cast<std::size_t>(std::upper_bound(table.begin(), table.end(), limite) - table.begin());
    // The window just below the last one: the multiples of the primes up
    // to PREMIERS_SUIVIS go on down from where they stopped, without a
    // division (the primes of a window below are those of the last one, or
    // fewer).
    const bool suite = haut + 1 == bas_;
    const std::size_t suivis = std::min(nb, static_cast<std::size_t>(limites::PREMIERS_SUIVIS));
    if (!suite)
        ecarts_.assign(suivis, Ecart{0, 0});
    ASSERT_LIMITE(ecarts_.size() >= suivis);
    auto marque = [&](u64 m, u32 p, int e, u64 pe) {
        const std::size_t k = static_cast<std::size_t>(m - bas);
        ASSERT_LIMITE(nombre_[k] < P);
        const std::size_t place = k * P + nombre_[k];
        premiers_[place] = p;
        exposants_[place] = static_cast<std::uint8_t>(e);
        nombre_[k]++;
        produit_[k] *= pe;
    };
    for (std::size_t i = 0; i < nb; i++) {
        const u32 p32 = table[i];
        const u64 p = p32;
        // m = j p from the top of the window down, s = j mod p.
        u64 m;
        u32 s;
        if (suite && i < suivis) {
            m = bas_ - ecarts_[i].ecart;
            s = ecarts_[i].reste;
        } else {
            m = haut / p * p;
            s = static_cast<u32>(haut / p % p);
        }
        auto suivant = [&] {
            m -= p;  // m >= bas >= 1 is a multiple of p: no wrap
            s = s == 0 ? p32 - 1 : s - 1;
        };
        if (p <= limites::PETITS_PREMIERS) {
            // Many multiples: each power of p adds one to their exponents.
            while (m >= bas) {
                marque(m, p32, 1, p);
                suivant();
            }
            for (u128 q = static_cast<u128>(p) * p; q <= haut; q *= p) {
                const u64 q64 = static_cast<u64>(q);
                for (u64 v = (bas + q64 - 1) / q64 * q64; v <= haut; v += q64) {
                    const std::size_t k = static_cast<std::size_t>(v - bas);
                    exposants_[k * P + nombre_[k] - 1]++;
                    produit_[k] *= p;
                }
            }
        } else {
            // A few multiples: p^2 divides m when p divides j.
            while (m >= bas) {
                int e = 1;
                u64 pe = p;
                if (s == 0)
                    for (u64 j = m / p; j % p == 0; j /= p) {
                        e++;
                        pe *= p;
                    }
                marque(m, p32, e, pe);
                suivant();
            }
        }
        // The largest multiple below the window, where the next one starts.
        if (i < suivis)
            ecarts_[i] = {static_cast<u32>(bas - m), s};
    }
    bas_ = bas;
    haut_ = haut;
}

void Crible::facteurs(u64 v, u64 bas, Facteurs& f)
{
    ASSERT_LIMITE(v < (u64(1) << limites::BITS_CRIBLE));
    if (v < bas_ || v > haut_) {
        u64 debut = v >= static_cast<u64>(fenetre_) ? v - static_cast<u64>(fenetre_) + 1 : 1;
        remplit(v, std::max(debut, std::max<u64>(bas, 1)));
    }
    const std::size_t k = static_cast<std::size_t>(v - bas_);
    const int P = limites::PREMIERS_PAR_VALEUR;
    f.nb = 0;
    for (int t = 0; t < nombre_[k]; t++)
        f.ajoute(premiers_[k * P + t], exposants_[k * P + t]);
    const u64 reste = v / produit_[k];
    if (reste > 1)
        f.ajoute(reste, 1);
}

}  // namespace fractions_unitaires::moteur
