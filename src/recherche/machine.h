// The step machine, written once for both number types: the partial sum
// (plu, moin), the bounds of the next unknown (maxi), the forward and
// backtrack steps of both types and the stop test. Included by
// machine.cpp alone, which instantiates it for ZZ and Mot.
#pragma once

#include <type_traits>
#include <utility>

#include "recherche/arret.h"
#include "recherche/fermeture.h"
#include "recherche/marche.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::moteur {

namespace machine {

// x^h > 10^7 (the threshold of the improved type 2 bound), without forming
// the power past it.
constexpr long DIX_MILLIONS = 10000000;

}  // namespace machine

template <class T>
void Recherche::plu(Etat<T>& s)
{
    // Both results first: on words an overflow leaves N and D as they were.
    T N2 = s.x[s.i] * s.N + s.D;
    T D2 = s.D * s.x[s.i];
    s.N = std::move(N2);
    s.D = std::move(D2);
    if (s.i <= pb.n - 2)
        versionPrefixe_++;
    if (s.i < s.arret.length())
        arretAVerifier_ = true;
}

template <class T>
void Recherche::moin(Etat<T>& s)
{
    if (s.i < 2) {
        s.N = 0;
        s.D = 1;
        return;
    }
    s.D /= s.x[s.i];
    s.N = (s.N - s.D) / s.x[s.i];
}

template <class T>
bool Recherche::puissanceTropGrande(const T& rm, long h) const
{
    if (rm <= 1)
        return false;
    // rm^h >= rm: a start above ten million settles it, and keeps every
    // product below 10^14.
    if (rm > machine::DIX_MILLIONS)
        return true;
    T p(1);
    for (long t = 0; t < h; t++) {
        p *= rm;
        if (p > machine::DIX_MILLIONS)
            return true;
    }
    return false;
}

// N/D = S(rm) = 1/rm + 1/(rm+z) + ... over the open unknowns after k.
template <class T>
std::pair<T, T> Recherche::progression(const T& rm, int k) const
{
    T N(1), D = rm, c;
    for (int j = k + 2; j <= pb.n; j++) {
        c = rm + (j - k - 1) * pb.z;
        N = N * c + D;
        D *= c;
    }
    return {N, D};
}

// Improved type 2 bound: the first start rm, rm+z, ... whose progression
// sum does not pass R = divis/qd. The sum decreases as the start grows,
// and is at least h/(t + (h-1)z/2) from t (1/x is convex): every start
// below h/R - (h-1)z/2 passes R, and the walk begins at the first start
// above them (or the term of rm + jz just below it), most often the start
// sought. Then after a few slides of one term (the first term out, one
// more in) the walk doubles its stride, then halves it, so that the same
// start is found in a logarithmic number of sums. Returns the start and
// whether its sum is R.
template <class T>
std::pair<T, bool> Recherche::bornePlus(T rm, int k, long h, const T& qd, const T& divis) const
{
    // Those passing R: 2t < 2 h/R - (h-1)z, with h/R = F + reste/divis, that
    // is 2t <= M.
    const T divid = qd * h;
    const T F = divid / divis;
    const T reste = divid - F * divis;
    const T M = 2 * F - (h - 1) * pb.z - 1 + (reste > 0 ? 1 : 0) + (2 * reste > divis ? 1 : 0);
    if (M > 0) {
        const T dessus = M / 2 + 1;
        if (dessus > rm)
            rm += ((dessus - rm) / pb.z) * pb.z;
    }
    auto [N, D] = progression(rm, k);
    T ecart = N * qd - D * divis;
    const long pas = h * pb.z;
    for (int glisse = 0; ecart > 0 && glisse < 8; glisse++) {
        const T D0 = D / rm;
        N = ((rm + pas) * (N - D0)) / rm + D0;
        D = D0 * (rm + pas);
        rm += pb.z;
        ecart = N * qd - D * divis;
    }
    if (ecart > 0) {
        // S(dessus) > R >= S(dessous), in steps of z from rm.
        auto passe = [&](const T& t) {
            const auto [n, d] = progression(t, k);
            return n * qd - d * divis;
        };
        const T depart = rm;
        T dessus(0), etendue(1), dessous;
        for (;;) {
            dessous = dessus + etendue;
            if (passe(T(depart + dessous * pb.z)) <= 0)
                break;
            dessus = dessous;
            etendue *= 2;
        }
        while (dessous - dessus > 1) {
            const T milieu = dessus + (dessous - dessus) / 2;
            if (passe(T(depart + milieu * pb.z)) > 0)
                dessus = milieu;
            else
                dessous = milieu;
        }
        rm = depart + dessous * pb.z;
        ecart = passe(rm);
    }
    return {rm, ecart == 0};
}

template <class T>
Bornes<T> Recherche::maxi(Etat<T>& s, int k, const T& Dk, const T& Nk) const
{
    const int n = pb.n;
    const Parite parite = pb.parite;
    const long h = n - k;
    Bornes<T> b;
    const T qd = s.Q * Dk;
    b.divid = qd * h;
    b.divis = s.P * Dk - s.Q * Nk;
    if (b.divis <= 0) {
        b.fin = b.epuise = true;
        return b;
    }

    // Smallest value: strictly above 1/R (1/R itself for the last unknown),
    // of the required parity.
    T& bas = s.minr[k + 1];
    bas = qd / b.divis;
    const bool pair = !IsOdd(bas);
    const bool dernier = (k + 1 == n);
    if (parite == Parite::INDIFFERENTE) {
        if (!dernier)
            bas += 1;
    } else if ((parite == Parite::IMPAIRE) == pair) {
        bas += 1;
    } else if (!dernier) {
        bas += 2;
    }

    // Largest value: h/R, or in type 2 the start of the first progression
    // whose sum does not pass R.
    auto plein = [&](const T& haut) {
        b.haut = haut;
        b.complete = b.divid - haut * b.divis == 0;
    };
    T rm = s.x[k] + pb.z;
    if (pb.type == 2 && rm < bas)
        rm = bas;
    if (pb.type != 2) {
        plein(b.divid / b.divis);
    } else if (puissanceTropGrande(rm, h)) {
        b.cas2 = 2;
        plein(b.divid / b.divis);
    } else {
        b.cas2 = 1;
        if (k == n - 1) {
            plein(b.divid / b.divis);
        } else {
            const auto [debut, juste] = bornePlus(rm, k, h, qd, b.divis);
            b.haut = debut;
            b.complete = juste;
        }
    }
    if (s.M != 0 && b.haut > s.M)
        plein(s.M);
    if (!convient(parite, b.haut)) {
        if (pb.type == 2 && b.cas2 == 1) {
            b.haut -= 1;
            const auto [N, D] = progression(b.haut, k);
            b.complete = N * qd - D * b.divis == 0;
        } else {
            plein(b.haut - 1);
        }
    }

    // With a bound and a stop sequence: past x3[1], nothing is shown any more.
    if (pb.seq2 == 1 && pb.s2 >= 1 && s.M != 0 && s.x31) {
        const T premier = (pb.type == 2) ? s.x3un + (k - 1) * pb.z : s.x3un;
        if (s.x[k] == premier && produitInferieur(s.M, b.divis, b.divid))
            b.fin = true;
    }
    return b;
}

// Fixes x[i+1] = v and goes one level deeper.
template <class T>
void Recherche::pousse(Etat<T>& s, const T& v)
{
    s.x[s.i + 1] = v;
    s.i++;
    plu(s);
}

template <class T>
void Recherche::fin(Etat<T>& s)
{
    s.i = -1;
    return;
}

// The unknowns after x[i] completed from `haut`: equal values, or the type
// 2 progression haut, haut + z, ...
template <class T>
void Recherche::complete(Etat<T>& s, const T& haut, bool progressionDe2)
{
    for (int j = s.i + 1; j <= pb.n; j++)
        s.x[j] = progressionDe2 ? haut + (j - s.i - 1) * pb.z : haut;
}

template <class T>
int Recherche::montre(Etat<T>& s)
{
    // A word step that overflowed after showing its solution is redone on
    // ZZ: the solution is not shown twice.
    if (aSauter_ > 0) {
        aSauter_--;
        return 1;
    }
    // Below the stop sequence: the search is over.
    if (pb.seq2 == 1 && compareArret(s.x, s.arret, pb.s2) < 0) {
        s.i = -1;
        return 0;
    }
    montres_++;
    solution(s.x);
    return 1;
}

template <class T>
void Recherche::suite(Etat<T>& s)
{
    const int n = pb.n;
    const Bornes<T> b = maxi(s, s.i, s.D, s.N);
    if (b.fin)
        return fin(s);
    if (s.M != 0 && produitInferieur(s.M, b.divis, b.divid))
        return arriere(s);
    if (s.x[s.i] <= b.haut && !b.complete && s.i < n - 1) {
        pousse(s, b.haut);
        return;
    }
    if (s.x[s.i] <= b.haut && b.complete) {
        complete(s, b.haut, false);
        if (montre(s) == 0)
            return;
        if (s.i < n - 1)
            pousse(s, b.haut);
    }
    return arriere(s);
}

template <class T>
void Recherche::arriere(Etat<T>& s)
{
    const int z = pb.z;
    if (s.i <= 0 || s.x[1] < s.minr[1])
        return fin(s);
    while (s.x[s.i] - z < s.minr[s.i]) {
        moin(s);
        s.i--;
        if (s.i <= 0 || s.x[1] < s.minr[1])
            return fin(s);
    }
    if (s.x[s.i] > s.x[s.i - 1]) {
        moin(s);
        s.x[s.i] -= z;
        plu(s);
        return;
    }
    // x[i] closes a run of equal values: lower the first of the run.
    return descendRun(s, T(s.x[s.i]));
}

// The run step of arriere from its loop on: x[i] = e, releases the unknowns
// of the run down to its first, which it lowers.
template <class T>
void Recherche::descendRun(Etat<T>& s, const T& e)
{
    const int z = pb.z;
    while (s.x[s.i - 1] == e) {
        moin(s);
        s.i--;
        if (s.i <= 0 || e == z || s.x[1] < s.minr[1])
            return fin(s);
    }
    moin(s);
    s.x[s.i] = e - z;
    plu(s);
    if (s.x[1] <= 0)
        return fin(s);
    return;
}

template <class T>
void Recherche::suite2(Etat<T>& s)
{
    const int n = pb.n;
    const Bornes<T> b = maxi(s, s.i, s.D, s.N);
    if (b.fin)
        return fin(s);
    if (s.M != 0 && produitInferieur(s.M, b.divis, b.divid))
        return arriere2(s);
    if (s.x[s.i] < b.haut && !b.complete) {
        if (s.i < n - 1) {
            pousse(s, b.haut);
            return;
        }
        return arriere2(s);
    }
    if (s.x[s.i] < b.haut && b.complete) {
        if (b.cas2 == 2 && s.i == n - 1) {
            s.x[n] = b.haut;
            if (montre(s) == 0)
                return;
        } else if (b.cas2 == 1) {
            complete(s, b.haut, true);
            if (montre(s) == 0)
                return;
            if (s.i < n - 1)
                pousse(s, b.haut);
        } else {
            // n-i equal values would complete the sum: not a type 2
            // solution, so r is passed over.
            pousse(s, b.haut);
        }
    }
    return arriere2(s);
}

template <class T>
void Recherche::arriere2(Etat<T>& s)
{
    const int z = pb.z;
    if (s.i <= 0 || s.x[1] < s.minr[1])
        return fin(s);
    if (s.i == 1) {
        if (s.x[1] < s.minr[1] + z)
            return fin(s);
        moin(s);
        s.x[1] -= z;
        plu(s);
        return;
    }
    while (s.x[s.i] - z < s.minr[s.i]) {
        moin(s);
        s.i--;
        if (s.i <= 0 || s.x[1] < s.minr[1])
            return fin(s);
    }
    if (s.x[s.i] > s.x[s.i - 1] + z) {
        moin(s);
        s.x[s.i] -= z;
        plu(s);
        return;
    }
    // x[i] closes a chain of values spaced exactly z: lower its first.
    return descendChaine(s);
}

// The chain step of arriere2 from its loop on.
template <class T>
void Recherche::descendChaine(Etat<T>& s)
{
    const int z = pb.z;
    while (s.x[s.i - 1] == s.x[s.i] - z) {
        moin(s);
        s.i--;
        if (s.i <= 0 || s.x[1] < s.minr[1])
            return fin(s);
    }
    moin(s);
    s.x[s.i] -= z;
    plu(s);
    if (s.x[1] <= 0)
        return fin(s);
    return;
}

// The forward step at depth n-2 of a count, with the whole walk of x(n-1)
// closed at once: the steps it replaces go down to x(n-1), meet each of its
// values from the first to the last (the solutions there are those the
// closing counts), then leave the walk by one backtrack from its last
// value, which this step does from depth n-2 without adding that value to
// the sum (on words, it may not fit). Returns false, having changed
// nothing, when the step is to be taken as usual: a row of the table among
// the solutions, a prefix that a stop sequence cuts, a walk the closing
// cannot count.
template <class T>
bool Recherche::fermeEnBloc(Etat<T>& s)
{
    const int n = pb.n;
    const int z = pb.z;
    const int i = s.i;
    ASSERT_LIMITE(i == n - 2 && n >= 3);
    // Under a stop sequence, the prefix alone must put every pair at or
    // above it.
    if (s.x[1] < s.minr[1] ||
        (pb.seq2 == 1 && !audessusArret(s.x, s.arret, i, static_cast<int>(s.arret.length()) - 1)))
        return false;
    const Bornes<T> b = maxi(s, i, s.D, s.N);
    if (b.fin) {
        fin(s);
        return true;
    }
    if (s.M != 0 && produitInferieur(s.M, b.divis, b.divid)) {
        pb.type == 2 ? arriere2(s) : arriere(s);
        return true;
    }
    // The step's own solution, and the first value the walk meets.
    if (pb.type == 1 ? !(s.x[i] <= b.haut) : !(s.x[i] < b.haut))
        return false;
    const bool propre = b.complete && (pb.type == 1 || b.cas2 == 1);
    const T premier = b.complete ? T(b.haut - z) : b.haut;
    // The walk begins at r (its first value met by a step unless r was
    // passed over) and ends at its last value.
    const T depart = premier < b.haut ? b.haut : premier;
    const T dernier = finDeMarche(pb, s.x, s.minr, n - 1, depart);
    const bool marche = premier < b.haut ? dernier != depart : true;
    Fermeture::Paires paires;
    if (marche) {
        Mot bas, haut;
        if constexpr (std::is_same_v<T, Mot>) {
            bas = dernier - z;
            haut = premier;
        } else {
            if (!tient(premier, limites::BITS_D) || !tient(dernier, limites::BITS_D))
                return false;
            bas = enMot(dernier - z);
            haut = enMot(premier);
        }
        if (!fermeture().marche(s, bas, haut, paires))
            return false;
    }
    const std::int64_t nombre = paires.toutes.nombre;
    if (uneParUne(mode_) || (mode_ == Mode::AFFICHE && ligneParmi(nombre + (propre ? 1 : 0))))
        return false;
    compteurs.n[FERME_COMPTE]++;
    if (propre) {
        complete(s, b.haut, pb.type == 2);
        montre(s);
    }
    if (nombre > 0)
        ajouteBloc(fermeture().bilan(paires));
    quitteMarche(s, marche ? dernier : b.haut);
    return true;
}

// Leaves the walk of x(n-1) from its last value u, as the step machine
// would from depth n-1: its first check, then a release (u - z below its
// smallest value) or the step over the run or chain that u closes with
// x(n-2).
template <class T>
void Recherche::quitteMarche(Etat<T>& s, const T& u)
{
    const int z = pb.z;
    if (s.x[1] < s.minr[1]) {
        fin(s);
    } else if (u - z < s.minr[pb.n - 1]) {
        pb.type == 2 ? arriere2(s) : arriere(s);
    } else if (s.i <= 0 || (pb.type == 1 && u == z)) {
        fin(s);
    } else if (pb.type == 1) {
        ASSERT_LIMITE(u == s.x[s.i]);
        descendRun(s, u);
    } else {
        ASSERT_LIMITE(u == s.x[s.i] + z);
        descendChaine(s);
    }
}

}  // namespace fractions_unitaires::moteur
