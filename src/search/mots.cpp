// The step machine on machine words: the same steps as on ZZ, on 128-bit
// words while every number fits, and back to ZZ as soon as one would not.
#include "search/mots.h"

#include <algorithm>
#include <climits>

#include "search/recherche.h"

Mots w;
bool raccourcis = true;
int bitsMots = 126;

namespace {

// Larger than any quotient of the bounds: a bound M above it never binds.
const Mot PLAFOND = Mot(1) << 120;

bool tient(const ZZ& v, long bits) { return NumBits(v) <= bits; }

Mot enMot(const ZZ& v)
{
    // Two 64-bit halves; v fits in 127 bits here.
    ZZ haut = abs(v) >> 64;
    ZZ bas = abs(v) - (haut << 64);
    Mot m = (Mot(NTL::conv<unsigned long>(haut)) << 64) | Mot(NTL::conv<unsigned long>(bas));
    return sign(v) < 0 ? -m : m;
}

// a/b for a >= 0, b > 0: a 64-bit division where both fit, which is
// several times cheaper than the 128-bit one.
Mot quotient(Mot a, Mot b)
{
    if ((a >> 64) == 0 && (b >> 64) == 0)
        return static_cast<Mot>(static_cast<std::uint64_t>(a) / static_cast<std::uint64_t>(b));
    return a / b;
}

// a*b, or false when it would not fit.
bool petit(Mot c) { return c < (Mot(1) << bitsMots) && c > -(Mot(1) << bitsMots); }
bool produit(Mot a, Mot b, Mot& c) { return !__builtin_mul_overflow(a, b, &c) && petit(c); }
bool somme(Mot a, Mot b, Mot& c) { return !__builtin_add_overflow(a, b, &c) && petit(c); }

// M*divis < divid, without forming the product.
bool horsBorne()
{
    return w.M != 0 && w.M <= (w.divid - 1) / w.divis;
}

// S(a) over the open unknowns after k, as N1/D1; false on overflow.
bool progressionMot(int k, Mot a, Mot& N1, Mot& D1)
{
    N1 = 1;
    D1 = a;
    for (int t = k + 2; t <= n; t++) {
        const Mot c = a + Mot(t - k - 1) * z;
        Mot p;
        if (!produit(N1, c, p) || !somme(p, D1, N1) || !produit(D1, c, D1))
            return false;
    }
    return true;
}

// N1*qd - D1*divis; false on overflow.
bool ecart(Mot N1, Mot D1, Mot qd, Mot divis, Mot& d)
{
    Mot u, v;
    return produit(N1, qd, u) && produit(D1, divis, v) && !__builtin_sub_overflow(u, v, &d);
}

// The sign of S(a) - R over the open unknowns after k, as N1*qd - D1*divis.
bool ecartEn(int k, Mot a, Mot qd, Mot divis, Mot& d)
{
    Mot N1, D1;
    return progressionMot(k, a, N1, D1) && ecart(N1, D1, qd, divis, d);
}

// Whether base^h exceeds ten million (base^h is never formed past it).
bool puissanceTropGrande(Mot base, long h)
{
    if (base <= 1)
        return false;
    Mot p = 1;
    for (long t = 0; t < h; t++) {
        p *= base;
        if (p > 10000000)
            return true;
    }
    return false;
}

// The bounds of the next unknown on words, exactly as maxi computes them;
// false, with nothing of the state changed, when a number would not fit.
bool maxiMot(int k)
{
    const Mot h = n - k;
    const Mot pd = w.P * w.D, qn = w.Q * w.N, qd = w.Q * w.D;
    const Mot divid = qd * h, divis = pd - qn;
    if (pd <= qn) {
        i = -1;
        return true;
    }
    Mot bas = quotient(qd, divis);
    const bool pair = (bas & 1) == 0;
    const bool dernier = (k + 1 == n);
    if (parite == 0) {
        if (!dernier)
            bas += 1;
    } else if (parite == 1) {
        bas += pair ? 1 : (dernier ? 0 : 2);
    } else {
        bas += pair ? (dernier ? 0 : 2) : 1;
    }

    Mot r1, reste, N1, D1, d;
    int cas = 0;
    if (type != 2) {
        r1 = quotient(divid, divis);
        reste = divid - r1 * divis;
    } else {
        Mot a = w.x[i] + z;
        if (a < bas)
            a = bas;
        cas = puissanceTropGrande(a, static_cast<long>(h)) ? 2 : 1;
        if (cas == 2 || i == n - 1) {
            r1 = quotient(divid, divis);
            reste = divid - r1 * divis;
        } else {
            // The first start a, a+z, ... whose progression sum is not above
            // R: S decreases with the start, so a doubling search followed by
            // halving finds the same value as sliding one term at a time.
            if (!ecartEn(k, a, qd, divis, d))
                return false;
            if (d > 0) {
                Mot dessus = 0, pas = 1;  // S(a + dessus*z) > R
                Mot dessous;              // S(a + dessous*z) <= R
                for (;;) {
                    dessous = dessus + pas;
                    if (!ecartEn(k, a + dessous * z, qd, divis, d))
                        return false;
                    if (d <= 0)
                        break;
                    dessus = dessous;
                    pas *= 2;
                }
                while (dessous - dessus > 1) {
                    const Mot milieu = dessus + (dessous - dessus) / 2;
                    Mot dm;
                    if (!ecartEn(k, a + milieu * z, qd, divis, dm))
                        return false;
                    if (dm > 0) {
                        dessus = milieu;
                    } else {
                        dessous = milieu;
                        d = dm;
                    }
                }
                a += dessous * z;
            }
            r1 = a;
            reste = (d == 0) ? 0 : 1;
        }
    }
    if (w.M != 0 && r1 > w.M) {
        r1 = w.M;
        reste = divid - r1 * divis;
    }
    if ((parite == 1 && (r1 & 1) == 0) || (parite == 2 && (r1 & 1) != 0)) {
        r1 -= 1;
        if (type == 2 && cas == 1) {
            if (!progressionMot(k, r1, N1, D1) || !ecart(N1, D1, qd, divis, reste))
                return false;
        } else {
            reste = divid - r1 * divis;
        }
    }
    if (type == 2)
        cas2 = cas;
    w.minr[k + 1] = bas;
    w.r = r1;
    w.reste = reste;
    w.divid = divid;
    w.divis = divis;
    if (seq2 == 1 && s2 >= 1 && w.M != 0 && w.x31) {
        const Mot premier = (type == 2) ? w.x3un + Mot(k - 1) * z : w.x3un;
        if (w.x[k] == premier && horsBorne())
            i = -1;
    }
    return true;
}

// The bounds of the next unknown: on words, or on ZZ when they overflow.
void bornesMot()
{
    if (maxiMot(i))
        return;
    const int k = i;
    enZZ(x[k], w.x[k]);
    enZZ(D, w.D);
    enZZ(N, w.N);
    maxi(k, D, N);
    if (i == -1)
        return;
    w.minr[k + 1] = enMot(minr[k + 1]);
    w.r = enMot(r1);
    w.reste = (reste == 0) ? 0 : 1;
    w.divid = enMot(divid);
    w.divis = enMot(divis);
}

}  // namespace

void enZZ(ZZ& v, Mot m)
{
    if (m >= LONG_MIN && m <= LONG_MAX) {
        v = static_cast<long>(m);
        return;
    }
    const bool negatif = m < 0;
    const unsigned __int128 u = negatif ? -static_cast<unsigned __int128>(m) : m;
    ZZ bas;
    NTL::conv(bas, static_cast<unsigned long>(u));
    NTL::conv(v, static_cast<unsigned long>(u >> 64));
    v <<= 64;
    v += bas;
    if (negatif)
        NTL::negate(v, v);
}

void pluMot()
{
    Mot N2, D2;
    if (!__builtin_mul_overflow(w.x[i], w.N, &N2) && !__builtin_add_overflow(N2, w.D, &N2) &&
        !__builtin_mul_overflow(w.D, w.x[i], &D2) && N2 > -w.limite && N2 < w.limite &&
        D2 > -w.limite && D2 < w.limite) {
        w.N = N2;
        w.D = D2;
        if (i <= n - 2)
            w.prefixe++;
        return;
    }
    versZZ();
    plu();
}

void moinMot()
{
    if (i < 2) {
        w.N = 0;
        w.D = 1;
        return;
    }
    w.D /= w.x[i];
    w.N = (w.N - w.D) / w.x[i];
}

namespace {

// Fixes x[i+1] = r and goes one level deeper.
void pousseMot()
{
    w.x[i + 1] = w.r;
    i++;
    pluMot();
}

// Lowers the deepest unknown by z.
void baisseMot()
{
    moinMot();
    w.x[i] -= z;
    pluMot();
}

int fin()
{
    i = -1;
    return 1;
}

// Shows the solution in x[1..n], on ZZ.
int montreMot()
{
    if (w.compte) {
        w.nombre++;
        if (w.plusGrand <= w.x[n])
            w.plusGrand = w.x[n];
        w.dernier.assign(w.x.begin(), w.x.begin() + n + 1);
        return 1;
    }
    for (int t = 1; t <= n; t++)
        enZZ(x[t], w.x[t]);
    return montre();
}

}  // namespace

int arriereMot()
{
    if (i <= 0 || w.x[1] < w.minr[1])
        return fin();
    while (w.x[i] - z < w.minr[i]) {
        moinMot();
        i--;
        if (i <= 0 || w.x[1] < w.minr[1])
            return fin();
    }
    if (w.x[i] > w.x[i - 1]) {
        baisseMot();
        return 1;
    }
    const Mot e = w.x[i];
    while (w.x[i - 1] == e) {
        moinMot();
        i--;
        if (i <= 0 || e == z || w.x[1] < w.minr[1])
            return fin();
    }
    moinMot();
    w.x[i] = e - z;
    pluMot();
    return w.x[1] <= 0 ? fin() : 1;
}

int arriere2Mot()
{
    if (i <= 0 || w.x[1] < w.minr[1])
        return fin();
    if (i == 1) {
        if (w.x[1] < w.minr[1] + z)
            return fin();
        baisseMot();
        return 1;
    }
    while (w.x[i] - z < w.minr[i]) {
        moinMot();
        i--;
        if (i <= 0 || w.x[1] < w.minr[1])
            return fin();
    }
    if (w.x[i] > w.x[i - 1] + z) {
        baisseMot();
        return 1;
    }
    while (w.x[i - 1] == w.x[i] - z) {
        moinMot();
        i--;
        if (i <= 0 || w.x[1] < w.minr[1])
            return fin();
    }
    baisseMot();
    return w.x[1] <= 0 ? fin() : 1;
}

bool versMots()
{
    if (!raccourcis || i < 0 || !tient(P, 31) || !tient(Q, 31))
        return false;
    // N and D stay below this, so that P D, Q N and Q D h, the products of
    // the bounds, fit in 126 bits.
    const long bits = std::min<long>(bitsMots, 125 - NumBits(P > Q ? P : Q) - NumBits(ZZ(n)));
    if (!tient(N, bits - 1) || !tient(D, bits - 1))
        return false;
    for (int t = 1; t <= i; t++)
        if (!tient(x[t], 126) || !tient(minr[t], 126))
            return false;
    w.limite = Mot(1) << bits;
    w.x.assign(n + 1, 0);
    w.minr.assign(n + 1, 0);
    for (int t = 1; t <= i; t++) {
        w.x[t] = enMot(x[t]);
        w.minr[t] = enMot(minr[t]);
    }
    w.N = enMot(N);
    w.D = enMot(D);
    w.P = enMot(P);
    w.Q = enMot(Q);
    w.M = tient(M, 120) ? enMot(M) : PLAFOND;
    w.x31 = s2 >= 1 && tient(x3[1], 100);
    w.x3un = w.x31 ? enMot(x3[1]) : 0;
    w.prefixe++;
    w.actif = true;
    return true;
}

void versZZ()
{
    w.actif = false;
    for (int t = 1; t <= n; t++) {
        enZZ(x[t], w.x[t]);
        enZZ(minr[t], w.minr[t]);
    }
    enZZ(N, w.N);
    enZZ(D, w.D);
    enZZ(r, w.r);
    enZZ(reste, w.reste);
    enZZ(divid, w.divid);
    enZZ(divis, w.divis);
}

int suiteMot()
{
    if (i == n - 1 && n >= 2)
        saut();
    bornesMot();
    if (i == -1)
        return 1;
    if (horsBorne())
        return arriereMot();
    if (w.x[i] <= w.r && w.reste != 0 && i < n - 1) {
        pousseMot();
        return 1;
    }
    if (w.x[i] <= w.r && w.reste == 0) {
        for (int t = i + 1; t <= n; t++)
            w.x[t] = w.r;
        if (montreMot() == 0)
            return 1;
        if (i < n - 1)
            pousseMot();
    }
    return w.actif ? arriereMot() : arriere();
}

int suite2Mot()
{
    if (i == n - 1 && n >= 2)
        saut();
    bornesMot();
    if (i == -1)
        return 1;
    if (horsBorne())
        return arriere2Mot();
    if (w.x[i] < w.r && w.reste != 0) {
        if (i < n - 1) {
            pousseMot();
            return 1;
        }
        return arriere2Mot();
    }
    if (w.x[i] < w.r && w.reste == 0) {
        if (cas2 == 2 && i == n - 1) {
            w.x[n] = w.r;
            if (montreMot() == 0)
                return 1;
        } else if (cas2 == 1) {
            for (int t = i + 1; t <= n; t++)
                w.x[t] = w.r + Mot(t - i - 1) * z;
            if (montreMot() == 0)
                return 1;
            if (i < n - 1)
                pousseMot();
        } else {
            pousseMot();
        }
    }
    return w.actif ? arriere2Mot() : arriere2();
}
