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
// 128-bit division above. The kind is chosen once for a whole listing.
class Modulo {
public:
    explicit Modulo(u64 c) : c_(c)
    {
        if ((c >> 32) == 0)
            m_ = ~u64(0) / c;
        inverse_ = 1.0 / static_cast<double>(c);
    }
    u64 c() const { return c_; }
    // Below 2^32: x = a b < 2^64, and the estimate q is floor(x/c) or one
    // less.
    u64 petit(u64 a, u64 b) const
    {
        const u64 x = a * b;
        const u64 q = static_cast<u64>((static_cast<u128>(x) * m_) >> 64);
        const u64 r = x - q * c_;
        return r >= c_ ? r - c_ : r;
    }
    u64 mul(u64 a, u64 b) const
    {
        if ((c_ >> 32) == 0)
            return petit(a, b);
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

// The products of a listing: Barrett's below 2^32, any kind above.
struct MulPetit {
    const Modulo& m;
    u64 operator()(u64 a, u64 b) const { return m.petit(a, b); }
};
struct MulGrand {
    const Modulo& m;
    u64 operator()(u64 a, u64 b) const { return m.mul(a, b); }
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
template <class V, class Mul>
int cote(const Facteurs& fd, const int* indices, int nb, Mul mul, u64 c, u64 depart, bool complement,
         u128 hi, std::vector<V>& valeurs, std::vector<u64>& cles)
{
    std::size_t taille = 1;
    for (int t = 0; t < nb; t++)
        taille *= 2 * fd.e[indices[t]] + 1;
    if (valeurs.size() < taille) {
        valeurs.resize(taille);
        cles.resize(taille);
    }
    V* val = valeurs.data();
    u64* cle = cles.data();
    std::size_t fin = 1;
    val[0] = 1;
    cle[0] = depart;
    u64 puissances[2 * 128];  // 2e + 1 <= 251: d is below 2^125
    for (int t = 0; t < nb; t++) {
        const int k = indices[t];
        const u64 p = fd.p[k];
        const int e2 = 2 * fd.e[k];
        puissances[0] = 1 % c;
        for (int f = 1; f <= e2; f++)
            puissances[f] = mul(puissances[f - 1], p % c);
        const std::size_t avant = fin;
        const u128 plafond = hi / p;
        for (std::size_t s = 0; s < avant; s++) {
            V v = val[s];
            const u64 r = cle[s];
            if (complement)
                cle[s] = mul(r, puissances[e2]);
            for (int f = 1; f <= e2 && v <= plafond; f++) {
                v *= p;
                val[fin] = v;
                cle[fin] = mul(r, puissances[complement ? e2 - f : f]);
                fin++;
            }
        }
    }
    return static_cast<int>(fin);
}

}  // namespace

template <class V, class Mul>
void Diviseurs::milieu(const Facteurs& fd, Mul mul, u64 cible, u128 lo, u128 hi, std::vector<u128>& sortie,
                       std::vector<V>& va, std::vector<V>& vb)
{
    const u64 c = mul.m.c();
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
            beta = mul(beta, pr);
    }
    const int na = cote(fd, indicesA, nbA, mul, c, beta, false, hi, va, clesA_);
    const int nb = cote(fd, indicesB, nbB, mul, c, cible, true, hi, vb, clesB_);

    auto garde = [&](u128 a, u128 b) {
        u128 A;
        if (!__builtin_mul_overflow(a, b, &A) && A >= lo && A <= hi)
            sortie.push_back(A);
    };
    // A small first side: two bitmaps of its keys (their low bits, and the
    // twelve above) turn nearly all of the second side away, and a hit is
    // checked against every key of the first.
    if (na <= 256) {
        std::uint64_t bas[64] = {}, haut[64] = {};
        for (int t = 0; t < na; t++) {
            const u64 cle = clesA_[t];
            bas[(cle >> 6) & 63] |= std::uint64_t(1) << (cle & 63);
            haut[(cle >> 18) & 63] |= std::uint64_t(1) << ((cle >> 12) & 63);
        }
        for (int s = 0; s < nb; s++) {
            const u64 cle = clesB_[s];
            if ((bas[(cle >> 6) & 63] >> (cle & 63) & 1) == 0 ||
                (haut[(cle >> 18) & 63] >> ((cle >> 12) & 63) & 1) == 0)
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
    // Residues are products of 64-bit numbers below c; divisors and their
    // products up to d stay below 2^127.
    ASSERT_LIMITE((c >> limites::BITS_C) == 0 && (d >> limites::BITS_D) == 0);
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
    const Modulo mod(c);
    if ((hi >> 64) == 0) {
        if ((c >> 32) == 0)
            milieu(fd, MulPetit{mod}, cible, lo, hi, sortie, va64_, vb64_);
        else
            milieu(fd, MulGrand{mod}, cible, lo, hi, sortie, va64_, vb64_);
    } else {
        milieu(fd, MulGrand{mod}, cible, lo, hi, sortie, va128_, vb128_);
    }
}
