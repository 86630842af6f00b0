// Divisors of d^2 in a residue class modulo c. With few divisors or a small
// c they are listed one by one; otherwise the primes of d are split in two
// sides and the divisors of each side matched by their residues (meet in
// the middle), so that the cost is the size of the sides, not of their
// product. No modular inverse is needed: with B the part of d^2 on the
// second side, a b = -d (mod c) exactly when a B = -d (B/b) (mod c).
// This runs once for each prefix x1 .. x(n-2) of a count: no allocation,
// no division in the inner loops.
#include "search/diviseurs.h"

#include <cmath>

namespace {

// Products modulo c < 2^62 without a division instruction: Barrett's
// reduction below 2^32, a floating quotient corrected by one below 2^50,
// 128-bit division above.
class Modulo {
public:
    explicit Modulo(u64 c) : c_(c)
    {
        if ((c >> 32) == 0)
            m_ = ~u64(0) / c;
        inverse_ = 1.0 / static_cast<double>(c);
    }
    u64 reduit(u128 x) const { return static_cast<u64>(x % c_); }
    u64 mul(u64 a, u64 b) const
    {
        if ((c_ >> 32) == 0) {
            // x < 2^64; the estimate q is floor(x/c) or one less.
            const u64 x = a * b;
            const u64 q = static_cast<u64>((static_cast<u128>(x) * m_) >> 64);
            u64 r = x - q * c_;
            return r >= c_ ? r - c_ : r;
        }
        if ((c_ >> 50) == 0) {
            // The floating quotient is within one of the true one.
            const u64 q = static_cast<u64>(static_cast<double>(a) * static_cast<double>(b) * inverse_);
            std::int64_t r = static_cast<std::int64_t>(a * b - q * c_);
            while (r < 0)
                r += static_cast<std::int64_t>(c_);
            while (r >= static_cast<std::int64_t>(c_))
                r -= static_cast<std::int64_t>(c_);
            return static_cast<u64>(r);
        }
        return static_cast<u64>(static_cast<u128>(a) * b % c_);
    }

private:
    u64 c_;
    u64 m_ = 0;
    double inverse_;
};

// Depth-first over the exponents of the primes from k on, the value and its
// residue carried along; a branch stops as soon as its value passes hi.
void parcours(const Facteurs& fd, int k, u128 v, u64 r, const Modulo& mod, u64 pr[], u64 cible,
              u128 lo, u128 hi, std::vector<u128>& sortie)
{
    if (k == fd.nb) {
        if (v >= lo && r == cible)
            sortie.push_back(v);
        return;
    }
    const u64 p = fd.p[k];
    for (int e = 0;; e++) {
        parcours(fd, k + 1, v, r, mod, pr, cible, lo, hi, sortie);
        if (e == 2 * fd.e[k] || v > hi / p)
            return;
        v *= p;
        r = mod.mul(r, pr[k]);
    }
}

inline std::size_t hache(u64 cle, int bits) { return static_cast<std::size_t>((cle * 0x9E3779B97F4A7C15ull) >> (64 - bits)); }

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
    const Modulo mod(c);
    u64 pr[limites::PREMIERS_MAX];
    for (int k = 0; k < fd.nb; k++)
        pr[k] = fd.p[k] % c;
    parcours(fd, 0, 1, 1 % c, mod, pr, cible, lo, hi, sortie);
}

namespace {

// The divisors of one side up to hi, with their keys: a start residue
// multiplied by p^f (or by p^(2e-f), the complement, on the second side).
template <class V>
int cote(const Facteurs& fd, const int* indices, int nb, const Modulo& mod, u64 c, u64 depart,
         bool complement, u128 hi, std::vector<V>& valeurs, std::vector<u64>& cles)
{
    valeurs.clear();
    cles.clear();
    valeurs.push_back(1);
    cles.push_back(depart);
    u64 puissances[2 * 128];  // 2e + 1 <= 251: d is below 2^125
    for (int t = 0; t < nb; t++) {
        const int k = indices[t];
        const u64 p = fd.p[k];
        const int e2 = 2 * fd.e[k];
        puissances[0] = 1 % c;
        for (int f = 1; f <= e2; f++)
            puissances[f] = mod.mul(puissances[f - 1], p % c);
        const std::size_t avant = valeurs.size();
        const u128 plafond = hi / p;
        for (std::size_t s = 0; s < avant; s++) {
            u128 v = valeurs[s];
            const u64 r = cles[s];
            if (complement)
                cles[s] = mod.mul(r, puissances[e2]);
            for (int f = 1; f <= e2 && v <= plafond; f++) {
                v *= p;
                valeurs.push_back(static_cast<V>(v));
                cles.push_back(mod.mul(r, puissances[complement ? e2 - f : f]));
            }
        }
    }
    return static_cast<int>(valeurs.size());
}

}  // namespace

template <class V>
void Diviseurs::milieu(const Facteurs& fd, u64 c, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie,
                       std::vector<V>& va, std::vector<V>& vb)
{
    const Modulo mod(c);
    // Two sides with numbers of divisors as close as possible, the primes
    // of larger exponents placed first.
    int ordre[limites::PREMIERS_MAX];
    for (int k = 0; k < fd.nb; k++) {
        int t = k;
        while (t > 0 && fd.e[ordre[t - 1]] < fd.e[k]) {
            ordre[t] = ordre[t - 1];
            t--;
        }
        ordre[t] = k;
    }
    int indicesA[limites::PREMIERS_MAX], indicesB[limites::PREMIERS_MAX];
    int nbA = 0, nbB = 0;
    u128 tailleA = 1, tailleB = 1;
    for (int t = 0; t < fd.nb; t++) {
        const int k = ordre[t];
        if (tailleA <= tailleB) {
            indicesA[nbA++] = k;
            tailleA *= 2 * fd.e[k] + 1;
        } else {
            indicesB[nbB++] = k;
            tailleB *= 2 * fd.e[k] + 1;
        }
    }
    // beta: the second side's part of d^2, modulo c.
    u64 beta = 1 % c;
    for (int t = 0; t < nbB; t++) {
        const int k = indicesB[t];
        const u64 pr = fd.p[k] % c;
        for (int f = 0; f < 2 * fd.e[k]; f++)
            beta = mod.mul(beta, pr);
    }
    const int na = cote(fd, indicesA, nbA, mod, c, beta, false, hi, va, clesA_);
    const int nb = cote(fd, indicesB, nbB, mod, c, cible, true, hi, vb, clesB_);

    auto garde = [&](u128 a, u128 b) {
        u128 A;
        if (!__builtin_mul_overflow(a, b, &A) && A >= lo && A <= hi)
            sortie.push_back(A);
    };
    // A small first side: a bitmap of its keys turns most of the second
    // side away, and a hit is checked against every key of the first.
    if (na <= 256) {
        std::uint64_t vus[64] = {};
        for (int t = 0; t < na; t++)
            vus[(clesA_[t] >> 6) & 63] |= std::uint64_t(1) << (clesA_[t] & 63);
        for (int s = 0; s < nb; s++) {
            const u64 cle = clesB_[s];
            if ((vus[(cle >> 6) & 63] >> (cle & 63) & 1) == 0)
                continue;
            for (int t = 0; t < na; t++)
                if (clesA_[t] == cle)
                    garde(va[t], vb[s]);
        }
        return;
    }
    // A table of the first side by key: open addressing, at most half full,
    // its slots told apart from those of earlier prefixes by a stamp.
    int bits = 4;
    while ((std::size_t(1) << bits) < 2 * static_cast<std::size_t>(na))
        bits++;
    const std::size_t taille = std::size_t(1) << bits;
    const std::size_t masque = taille - 1;
    if (table_.size() < taille) {
        table_.assign(taille, 0);
        tampons_.assign(taille, 0);
    }
    if (++tampon_ == 0) {
        std::fill(tampons_.begin(), tampons_.end(), 0);
        tampon_ = 1;
    }
    for (int t = 0; t < na; t++) {
        std::size_t h = hache(clesA_[t], bits);
        while (tampons_[h] == tampon_)
            h = (h + 1) & masque;
        tampons_[h] = tampon_;
        table_[h] = static_cast<std::uint32_t>(t);
    }
    for (int s = 0; s < nb; s++) {
        const u64 cle = clesB_[s];
        for (std::size_t h = hache(cle, bits); tampons_[h] == tampon_; h = (h + 1) & masque) {
            const std::uint32_t t = table_[h];
            if (clesA_[t] == cle)
                garde(va[t], vb[s]);
        }
    }
}

void Diviseurs::liste(const Facteurs& fd, u128 d, u64 c, u128 lo, u128 hi, std::vector<u128>& sortie,
                      int& chemin)
{
    sortie.clear();
    if (lo < 1)
        lo = 1;
    if (hi < lo)
        return;
    const u64 cible = static_cast<u64>((c - d % c) % c);
    const u128 tau = nombre(fd);
    if (c <= 8 || tau <= 64) {
        chemin = 1;
        directs(fd, c, cible, lo, hi, sortie);
        return;
    }
    chemin = 0;
    if ((hi >> 64) == 0)
        milieu(fd, c, cible, lo, hi, sortie, va64_, vb64_);
    else
        milieu(fd, c, cible, lo, hi, sortie, va128_, vb128_);
}
