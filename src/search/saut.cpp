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
    std::vector<u64> diviseurs;
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

// The completing values of x[n-1] in [bas, haut], from the divisors d of b²
// in [a bas - b, a haut - b] with d <= b (d < b in type 2).
void liste(Mot haut)
{
    const u64 b = static_cast<u64>(m_.b);
    const Mot a = m_.a;
    const Mot dMin = a * m_.bas - m_.b;
    Mot dMax = a * haut - m_.b;
    const Mot plus = (type == 2) ? m_.b - 1 : m_.b;
    if (dMax > plus)
        dMax = plus;
    m_.valeurs.clear();
    m_.suivant = 0;
    if (dMax < 1 || dMax < dMin)
        return;
    const u64 limite = static_cast<u64>(dMax);
    std::vector<u64>& d = m_.diviseurs;
    d.assign(1, 1);
    for (std::size_t t = 0; t < m_.premiers.size(); t++) {
        const u64 p = m_.premiers[t];
        const std::size_t avant = d.size();
        for (std::size_t k = 0; k < avant; k++) {
            u64 v = d[k];
            for (u64 e = 0; e < 2 * m_.exposants[t] && v <= limite / p; e++) {
                v *= p;
                d.push_back(v);
            }
        }
    }
    const u128 carre = u128(b) * b;
    const u64 a64 = static_cast<u64>(a);
    for (u64 div : d) {
        // div + b < 2^64: both are below 2^63.
        if (Mot(div) < dMin || div > limite || (div + b) % a64 != 0)
            continue;
        const Mot u = (div + b) / a64;
        if ((haut - u) % z != 0)
            continue;
        const Mot v = (m_.b + Mot(carre / div)) / a;
        if ((parite == 1 && (v & 1) == 0) || (parite == 2 && (v & 1) != 0))
            continue;
        if (w.M != 0 && v > w.M)
            continue;
        m_.valeurs.push_back(u);
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
    Mot nombre = 1;
    for (u64 e : m_.exposants) {
        nombre *= Mot(2 * e + 1);
        if (nombre > longueur * 2)
            break;
    }
    if (nombre >= longueur * 2) {
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
