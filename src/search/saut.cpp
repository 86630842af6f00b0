// Closing the last two unknowns. With x[1..n-2] fixed and the remainder
// a/b in lowest terms, 1/u + 1/v = a/b exactly when (a u - b)(a v - b) = b²:
// the values of x[n-1] that complete a solution come from the divisors of
// b², or from a quick scan when the walk is shorter than that list. The
// step machine then visits only those values, and the last of its walk.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "search/mots.h"

namespace {

using u64 = std::uint64_t;
using u128 = unsigned __int128;

// Smallest prime factor of every composite below its size (0 for a prime),
// grown on demand up to 2^24 entries.
std::vector<std::uint16_t> ppf;
const u64 PPF_MAX = u64(1) << 24;

bool factorise(u64 v, std::vector<u64>& premiers)
{
    premiers.clear();
    if (v >= PPF_MAX)
        return false;
    if (v >= ppf.size()) {
        u64 taille = 1 << 16;
        while (taille <= v)
            taille *= 2;
        ppf.assign(taille, 0);
        for (u64 p = 2; p * p < taille; p++)
            if (ppf[p] == 0)
                for (u64 m = p * p; m < taille; m += p)
                    if (ppf[m] == 0)
                        ppf[m] = static_cast<std::uint16_t>(p);
    }
    while (v > 1) {
        const u64 p = ppf[v] ? ppf[v] : v;
        premiers.push_back(p);
        while (v % p == 0)
            v /= p;
    }
    return true;
}

// The primes of Q, by trial division (Q is below 2^31 on words).
void premiersDe(u64 q, std::vector<u64>& premiers)
{
    premiers.clear();
    for (u64 p = 2; p * p <= q; p++) {
        if (q % p == 0) {
            premiers.push_back(p);
            while (q % p == 0)
                q /= p;
        }
    }
    if (q > 1)
        premiers.push_back(q);
}

enum Mode { AUCUN, BALAYAGE, LISTE };
const std::uint32_t VIDE = ~std::uint32_t(0);

struct Marche {
    std::uint64_t prefixe = ~std::uint64_t(0);
    Mode mode = AUCUN;
    Mot a = 0, b = 0;    // the remainder after x[1..n-2], in lowest terms
    Mot bas = 0;         // the last value of the walk
    bool arret = false;  // the stop sequence may end the search at ...
    Mot valArret = 0;    // ... this value of x[n-1]
    std::vector<Mot> valeurs;  // LISTE: completing values, decreasing
    std::size_t suivant = 0;
    // Factorisations kept between walks.
    std::vector<std::vector<u64>> facteurs;
    std::vector<Mot> facteursDe;
    std::vector<u64> premiersQ;
    Mot premiersQDe = -1;
    std::vector<u64> premiers, exposants;
    std::vector<std::pair<u64, u64>> cotesA, cotesB;
    std::vector<std::uint32_t> table;
};
Marche m_;

// Whether x[n-1] = u completes a solution, as the bounds of x[n] would find
// it; true also where words cannot tell, so that the step machine decides.
bool complete(Mot u)
{
    Mot den, num;
    if (__builtin_mul_overflow(m_.a, u, &den) || __builtin_mul_overflow(m_.b, u, &num))
        return true;
    den -= m_.b;
    if (den <= 0)
        return true;
    Mot v;
    if ((num >> 64) == 0) {
        const u64 n64 = static_cast<u64>(num), d64 = static_cast<u64>(den);
        if (n64 % d64 != 0)
            return false;
        v = n64 / d64;
    } else {
        if (num % den != 0)
            return false;
        v = num / den;
    }
    if ((parite == 1 && (v & 1) == 0) || (parite == 2 && (v & 1) != 0))
        return false;
    if (w.M != 0 && v > w.M)
        return false;
    return type == 2 ? u < v : u <= v;
}

// The primes of b, from those of Q and of x[1..n-2]; false when an unknown
// is too large to factor from the table.
bool premiersDeB(u64 b)
{
    if (m_.premiersQDe != w.Q) {
        premiersDe(static_cast<u64>(w.Q), m_.premiersQ);
        m_.premiersQDe = w.Q;
    }
    if (static_cast<int>(m_.facteurs.size()) < n + 1) {
        m_.facteurs.resize(n + 1);
        m_.facteursDe.resize(n + 1, -1);
    }
    m_.premiers = m_.premiersQ;
    for (int k = 1; k <= n - 2; k++) {
        if (m_.facteursDe[k] != w.x[k]) {
            m_.facteursDe[k] = -1;
            if (w.x[k] >= Mot(PPF_MAX) || !factorise(static_cast<u64>(w.x[k]), m_.facteurs[k]))
                return false;
            m_.facteursDe[k] = w.x[k];
        }
        m_.premiers.insert(m_.premiers.end(), m_.facteurs[k].begin(), m_.facteurs[k].end());
    }
    std::sort(m_.premiers.begin(), m_.premiers.end());
    m_.premiers.erase(std::unique(m_.premiers.begin(), m_.premiers.end()), m_.premiers.end());
    m_.exposants.clear();
    std::size_t garde = 0;
    for (u64 p : m_.premiers) {
        u64 e = 0;
        while (b % p == 0) {
            b /= p;
            e++;
        }
        if (e > 0) {
            m_.premiers[garde++] = p;
            m_.exposants.push_back(e);
        }
    }
    m_.premiers.resize(garde);
    return b == 1;
}

// x y modulo a, for x, y < a: on 64 bits when a is below 2^32.
u64 mulmod(u64 x, u64 y, u64 a)
{
    if ((a >> 32) == 0)
        return x * y % a;
    return static_cast<u64>(u128(x) * y % a);
}

// The inverse of p modulo a (p prime to a).
u64 inverse(u64 p, u64 a)
{
    if (a == 1)
        return 0;
    std::int64_t r0 = static_cast<std::int64_t>(a), r1 = static_cast<std::int64_t>(p % a);
    std::int64_t s0 = 0, s1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        std::int64_t t = r0 - q * r1;
        r0 = r1;
        r1 = t;
        t = s0 - q * s1;
        s0 = s1;
        s1 = t;
    }
    return static_cast<u64>(s0 < 0 ? s0 + static_cast<std::int64_t>(a) : s0);
}

// The divisors not above `limite` of the square of the product of the
// primes premiers[t] for t in `cote`, each with its residue modulo a, or
// with the inverse of its residue when `inverses` is set.
void diviseursDe(const std::vector<std::size_t>& cote, u64 limite, u64 a, bool inverses,
                 std::vector<std::pair<u64, u64>>& liste)
{
    liste.assign(1, {1, a == 1 ? 0 : 1});
    for (std::size_t t : cote) {
        const u64 p = m_.premiers[t], plafond = limite / p;
        const u64 inv = inverses ? inverse(p, a) : p % a;
        const std::size_t avant = liste.size();
        for (std::size_t k = 0; k < avant; k++) {
            u64 v = liste[k].first, vi = liste[k].second;
            for (u64 e = 0; e < 2 * m_.exposants[t] && v <= plafond; e++) {
                v *= p;
                vi = mulmod(vi, inv, a);
                liste.push_back({v, vi});
            }
        }
    }
}

// The completing values of x[n-1] in [bas, haut]: the divisors d of b² in
// [a bas - b, a haut - b], d <= b (d < b in type 2), with d = -b modulo a.
// The primes of b are split in two sides, d = dA dB, and for each dB the
// matching dA are those of residue -b/dB modulo a: the cost is the size of
// the two sides, not their product.
void liste(Mot haut)
{
    const u64 b = static_cast<u64>(m_.b), a = static_cast<u64>(m_.a);
    const Mot dMin = m_.a * m_.bas - m_.b;
    Mot dMax = m_.a * haut - m_.b;
    const Mot plus = (type == 2) ? m_.b - 1 : m_.b;
    if (dMax > plus)
        dMax = plus;
    m_.valeurs.clear();
    m_.suivant = 0;
    if (dMax < 1 || dMax < dMin)
        return;
    const u64 limite = static_cast<u64>(dMax);

    std::vector<std::size_t> coteA, coteB;
    u64 tailleA = 1, tailleB = 1;
    for (std::size_t t = 0; t < m_.premiers.size(); t++) {
        if (tailleA <= tailleB) {
            coteA.push_back(t);
            tailleA *= 2 * m_.exposants[t] + 1;
        } else {
            coteB.push_back(t);
            tailleB *= 2 * m_.exposants[t] + 1;
        }
    }
    auto& A = m_.cotesA;
    auto& B = m_.cotesB;
    diviseursDe(coteA, limite, a, false, A);
    diviseursDe(coteB, limite, a, true, B);
    // Side A in a table keyed by its residue modulo a: open addressing,
    // at most half full.
    std::size_t taille = 16;
    while (taille < 2 * A.size())
        taille *= 2;
    auto& table = m_.table;
    table.assign(taille, VIDE);
    for (std::size_t k = 0; k < A.size(); k++) {
        std::size_t h = (A[k].second * 0x9E3779B97F4A7C15ull) >> 40 & (taille - 1);
        while (table[h] != VIDE)
            h = (h + 1) & (taille - 1);
        table[h] = static_cast<std::uint32_t>(k);
    }
    const u128 carre = u128(b) * b;
    const u64 moinsB = (a - b % a) % a;
    for (const auto& [dB, invB] : B) {
        const u64 cible = mulmod(moinsB, invB, a);
        for (std::size_t h = (cible * 0x9E3779B97F4A7C15ull) >> 40 & (taille - 1); table[h] != VIDE;
             h = (h + 1) & (taille - 1)) {
            const auto& dA = A[table[h]];
            if (dA.second != cible)
                continue;
            const u128 d = u128(dA.first) * dB;
            if (d > limite || Mot(d) < dMin)
                continue;
            const Mot u = (Mot(d) + m_.b) / m_.a;
            if ((haut - u) % z != 0)
                continue;
            const Mot v = (m_.b + Mot(carre / d)) / m_.a;
            if ((parite == 1 && (v & 1) == 0) || (parite == 2 && (v & 1) != 0))
                continue;
            if (w.M != 0 && v > w.M)
                continue;
            m_.valeurs.push_back(u);
        }
    }
    std::sort(m_.valeurs.begin(), m_.valeurs.end(), [](Mot p, Mot q) { return p > q; });
}

// Sets up the walk of x[n-1] that begins at its current value.
void prepare()
{
    m_.prefixe = w.prefixe;
    m_.mode = AUCUN;
    const Mot haut = w.x[n - 1];
    if (haut >= (Mot(1) << 62))
        return;
    // The first check of every backtrack: past it the walk is one value.
    if (w.x[1] < w.minr[1])
        return;
    Mot Dp = 1, Np = 0;
    if (n - 1 >= 2) {
        Dp = w.D / haut;
        Np = (w.N - Dp) / haut;
    }
    Mot a = w.P * Dp - w.Q * Np, b = w.Q * Dp;
    if (a <= 0)
        return;
    Mot g = a, h = b;
    while (h != 0) {
        const Mot t = g % h;
        g = h;
        h = t;
    }
    m_.a = a / g;
    m_.b = b / g;
    if (m_.b >= (Mot(1) << 63))
        return;

    // The walk goes on from u to u - z while u >= seuil.
    Mot seuil = w.minr[n - 1] + z;
    if (!(type == 2 && n - 1 == 1)) {
        const Mot avant = w.x[n - 2] + (type == 2 ? z : 0) + 1;
        if (avant > seuil)
            seuil = avant;
    }
    m_.bas = (haut < seuil) ? haut : haut - z * ((haut - seuil) / z + 1);

    m_.arret = false;
    if (seq2 == 1 && s2 >= 1 && w.M != 0 && w.x31) {
        m_.valArret = (type == 2) ? w.x3un + Mot(n - 2) * z : w.x3un;
        m_.arret = (haut - m_.valArret) % z == 0;
    }

    const Mot longueur = (haut - m_.bas) / z + 1;
    if (m_.a >= (Mot(1) << 63) || !premiersDeB(static_cast<u64>(m_.b))) {
        m_.mode = BALAYAGE;
        return;
    }
    // The two sides of the divisors against the walk, value by value.
    Mot cote[2] = {1, 1};
    for (u64 e : m_.exposants) {
        Mot& petit = cote[cote[0] <= cote[1] ? 0 : 1];
        petit *= Mot(2 * e + 1);
        if (petit > longueur)
            break;
    }
    if (cote[0] + cote[1] >= longueur) {
        m_.mode = BALAYAGE;
        return;
    }
    liste(haut);
    m_.mode = LISTE;
}

}  // namespace

void saut()
{
    if (m_.prefixe != w.prefixe)
        prepare();
    if (m_.mode == AUCUN)
        return;
    const Mot u = w.x[n - 1];
    if (u <= m_.bas)
        return;
    Mot cible = m_.bas;
    if (m_.mode == LISTE) {
        while (m_.suivant < m_.valeurs.size() && m_.valeurs[m_.suivant] > u)
            m_.suivant++;
        if (m_.suivant < m_.valeurs.size())
            cible = m_.valeurs[m_.suivant];
    } else {
        for (Mot v = u; v > m_.bas; v -= z) {
            if (complete(v)) {
                cible = v;
                break;
            }
        }
    }
    // The bounds may end the whole search at this value: never jump over it.
    if (m_.arret && m_.valArret > cible && m_.valArret <= u)
        cible = m_.valArret;
    if (cible < u) {
        moinMot();
        w.x[n - 1] = cible;
        pluMot();
    }
}
