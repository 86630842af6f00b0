// Conversions between words and ZZ, and the failure of a checked limit.
#include "nombres/mot.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace fractions_unitaires::moteur {

Mot enMot(const ZZ& v)
{
    ASSERT_LIMITE(tient(v, 127));
    // Two 64-bit halves of |v|.
    const ZZ a = abs(v);
    unsigned long bas = NTL::conv<unsigned long>(trunc_ZZ(a, 64));
    unsigned long haut = NTL::conv<unsigned long>(a >> 64);
    const Mot::Brut m = (static_cast<Mot::Brut>(haut) << 64) | bas;
    return Mot::brut(sign(v) < 0 ? -m : m);
}

void enZZ(ZZ& z, Mot m)
{
    if (m.v >= LONG_MIN && m.v <= LONG_MAX) {
        z = static_cast<long>(m.v);
        return;
    }
    const bool negatif = m.v < 0;
    const unsigned __int128 u = negatif ? -static_cast<unsigned __int128>(m.v) : m.v;
    ZZ bas;
    NTL::conv(bas, static_cast<unsigned long>(u));
    NTL::conv(z, static_cast<unsigned long>(u >> 64));
    z <<= 64;
    z += bas;
    if (negatif)
        NTL::negate(z, z);
}

ZZ enZZ(Mot v)
{
    ZZ z;
    enZZ(z, v);
    return z;
}

void ecrit(char* tampon, Mot v)
{
    char chiffres[48];
    int k = 0;
    unsigned __int128 u = v.v < 0 ? -static_cast<unsigned __int128>(v.v) : v.v;
    do {
        chiffres[k++] = static_cast<char>('0' + static_cast<int>(u % 10));
        u /= 10;
    } while (u != 0);
    if (v.v < 0)
        *tampon++ = '-';
    while (k > 0)
        *tampon++ = chiffres[--k];
    *tampon = '\0';
}

#ifdef VERIFIE_LIMITES
void echecLimite(const char* condition, const char* fichier, int ligne)
{
    std::fprintf(stderr, "%s:%d: limite non tenue : %s\n", fichier, ligne, condition);
    std::abort();
}
#endif

}  // namespace fractions_unitaires::moteur
