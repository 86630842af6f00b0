// The step machine, written once for both number types: the partial sum
// (plu, moin), the bounds of the next unknown (maxi), the forward and
// backtrack steps of both types and the stop test. Included by the files
// that instantiate it for ZZ and Mot.
#pragma once

#include <type_traits>
#include <utility>

#include "search/arret.h"
#include "search/fermeture.h"
#include "search/marche.h"
#include "search/recherche.h"

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
        versionPrefixe++;
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
bool Recherche::puissanceTropGrande(const Etat<T>& s, long h)
{
    if (s.rm <= 1)
        return false;
    // rm^h >= rm: a start above ten million settles it, and keeps every
    // product below 10^14.
    if (s.rm > machine::DIX_MILLIONS)
        return true;
    T p(1);
    for (long t = 0; t < h; t++) {
        p *= s.rm;
        if (p > machine::DIX_MILLIONS)
            return true;
    }
    return false;
}

// N1k/D1k = S(rm) = 1/rm + 1/(rm+z) + ... over the open unknowns after k.
template <class T>
void Recherche::progression(Etat<T>& s, int k)
{
    s.N1k = 1;
    s.D1k = s.rm;
    T c;
    for (s.j = k + 2; s.j <= pb.n; s.j++) {
        c = s.rm + (s.j - k - 1) * pb.z;
        s.N1k = s.N1k * c + s.D1k;
        s.D1k *= c;
    }
}

// Improved type 2 bound: the first start rm, rm+z, ... whose progression
// sum does not exceed R. The sum decreases as the start grows, so after a
// few slides of one term the walk doubles its stride, then halves it: the
// same start is found in a logarithmic number of sums.
template <class T>
void Recherche::bornePlus(Etat<T>& s, int k, long h)
{
    s.r1 = s.rm;
    progression(s, k);
    s.d1 = s.N1k * s.qd - s.D1k * s.divis;
    const long pas = h * pb.z;
    for (int glisse = 0; s.d1 > 0 && glisse < 8; glisse++) {
        s.D0 = s.D1k / s.rm;
        s.N1k = ((s.rm + pas) * (s.N1k - s.D0)) / s.rm + s.D0;
        s.D1k = s.D0 * (s.rm + pas);
        s.rm += pb.z;
        s.d1 = s.N1k * s.qd - s.D1k * s.divis;
    }
    if (s.d1 > 0) {
        // S(dessus) > R >= S(dessous), in steps of z from rm.
        const T depart = s.rm;
        T dessus(0), etendue(1), dessous;
        for (;;) {
            dessous = dessus + etendue;
            s.rm = depart + dessous * pb.z;
            progression(s, k);
            if (s.N1k * s.qd - s.D1k * s.divis <= 0)
                break;
            dessus = dessous;
            etendue *= 2;
        }
        while (dessous - dessus > 1) {
            const T milieu = dessus + (dessous - dessus) / 2;
            s.rm = depart + milieu * pb.z;
            progression(s, k);
            if (s.N1k * s.qd - s.D1k * s.divis > 0)
                dessus = milieu;
            else
                dessous = milieu;
        }
        s.rm = depart + dessous * pb.z;
        progression(s, k);
        s.d1 = s.N1k * s.qd - s.D1k * s.divis;
    }
    s.r1 = s.rm;
    s.reste = (s.d1 == 0) ? 0 : 1;
}

template <class T>
T Recherche::maxi(Etat<T>& s, int k, const T& Dk, const T& Nk)
{
    const int n = pb.n;
    const int parite = pb.parite;
    s.y = 0;
    const long h = n - k;
    s.pd = s.P * Dk;
    s.qn = s.Q * Nk;
    s.qd = s.Q * Dk;
    s.divid = s.qd * h;
    s.divis = s.pd - s.qn;
    if (s.pd <= s.qn) {
        s.i = -1;
        return s.y;
    }

    // Smallest value: strictly above 1/R (1/R itself for the last unknown),
    // of the required parity.
    T& bas = s.minr[k + 1];
    bas = s.qd / s.divis;
    const bool pair = !IsOdd(bas);
    const bool dernier = (k + 1 == n);
    if (parite == 0) {
        if (!dernier)
            bas += 1;
    } else if (parite == 1) {
        if (pair)
            bas += 1;
        else if (!dernier)
            bas += 2;
    } else {
        if (!pair)
            bas += 1;
        else if (!dernier)
            bas += 2;
    }

    // Largest value.
    if (pb.type != 2) {
        s.r1 = s.divid / s.divis;
        s.reste = s.divid - s.r1 * s.divis;
    } else {
        s.rm = s.x[s.i] + pb.z;
        if (s.rm < bas)
            s.rm = bas;
        if (puissanceTropGrande(s, h)) {
            s.cas2 = 2;
            s.r1 = s.divid / s.divis;
            s.reste = s.divid - s.r1 * s.divis;
        } else {
            s.cas2 = 1;
            if (s.i == n - 1) {
                s.r1 = s.divid / s.divis;
                s.reste = s.divid - s.r1 * s.divis;
            } else {
                bornePlus(s, k, h);
            }
        }
    }

    if (s.M != 0 && s.r1 > s.M) {
        s.r1 = s.M;
        s.reste = s.divid - s.r1 * s.divis;
    }

    if ((parite == 1 && !IsOdd(s.r1)) || (parite == 2 && IsOdd(s.r1))) {
        s.r1 -= 1;
        if (pb.type == 2 && s.cas2 == 1) {
            s.rm = s.r1;
            progression(s, k);
            s.reste = s.N1k * s.qd - s.D1k * s.divis;
        } else {
            s.reste = s.divid - s.r1 * s.divis;
        }
    }

    // With a bound and a stop sequence: past x3[1], nothing is shown any more.
    if (pb.seq2 == 1 && pb.s2 >= 1 && s.M != 0 && s.x31) {
        const T premier = (pb.type == 2) ? s.x3un + (k - 1) * pb.z : s.x3un;
        if (s.x[k] == premier && produitInferieur(s.M, s.divis, s.divid)) {
            s.i = -1;
            return s.y;
        }
    }
    return s.r1;
}

// Fixes x[i+1] = r and goes one level deeper.
template <class T>
void Recherche::pousse(Etat<T>& s)
{
    s.x[s.i + 1] = s.r;
    s.i++;
    plu(s);
}

template <class T>
int Recherche::fin(Etat<T>& s)
{
    s.i = -1;
    return 1;
}

// Whether x[1..s2] lies lexicographically below the stop sequence.
template <class T>
void Recherche::teststop(Etat<T>& s)
{
    s.j = 1;
    s.stop = 0;
    while (compare(s.x[s.j], pb.x3[s.j]) <= 0 && s.j <= pb.s2 && s.stop == 0) {
        if (compare(s.x[s.j], pb.x3[s.j]) != 0)
            s.stop = 1;
        else
            s.j++;
    }
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
    if (pb.seq2 == 1) {
        teststop(s);
        if (s.stop == 1) {
            s.i = -1;
            return 0;
        }
    }
    montres_++;
    solution(s.x);
    return 1;
}

template <class T>
int Recherche::suite(Etat<T>& s)
{
    const int n = pb.n;
    s.r = maxi(s, s.i, s.D, s.N);
    if (s.i == -1)
        return 1;
    if (s.M != 0 && produitInferieur(s.M, s.divis, s.divid))
        return arriere(s);
    if (s.x[s.i] <= s.r && s.reste != 0 && s.i < n - 1) {
        pousse(s);
        return 1;
    }
    if (s.x[s.i] <= s.r && s.reste == 0) {
        for (s.j = s.i + 1; s.j <= n; s.j++)
            s.x[s.j] = s.r;
        if (montre(s) == 0)
            return 1;
        if (s.i < n - 1)
            pousse(s);
    }
    return arriere(s);
}

template <class T>
int Recherche::arriere(Etat<T>& s)
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
        return 1;
    }
    // x[i] closes a run of equal values: lower the first of the run.
    s.e = s.x[s.i];
    return descendRun(s);
}

// The run step of arriere from its loop on: x[i] = e, releases the unknowns
// of the run down to its first, which it lowers.
template <class T>
int Recherche::descendRun(Etat<T>& s)
{
    const int z = pb.z;
    while (s.x[s.i - 1] == s.e) {
        moin(s);
        s.i--;
        if (s.i <= 0 || s.e == z || s.x[1] < s.minr[1])
            return fin(s);
    }
    moin(s);
    s.x[s.i] = s.e - z;
    plu(s);
    if (s.x[1] <= 0)
        return fin(s);
    return 1;
}

template <class T>
int Recherche::suite2(Etat<T>& s)
{
    const int n = pb.n;
    const int z = pb.z;
    s.r = maxi(s, s.i, s.D, s.N);
    if (s.i == -1)
        return 1;
    if (s.M != 0 && produitInferieur(s.M, s.divis, s.divid))
        return arriere2(s);
    if (s.x[s.i] < s.r && s.reste != 0) {
        if (s.i < n - 1) {
            pousse(s);
            return 1;
        }
        return arriere2(s);
    }
    if (s.x[s.i] < s.r && s.reste == 0) {
        if (s.cas2 == 2 && s.i == n - 1) {
            s.x[n] = s.r;
            if (montre(s) == 0)
                return 1;
        } else if (s.cas2 == 1) {
            for (s.j = s.i + 1; s.j <= n; s.j++)
                s.x[s.j] = s.r + (s.j - s.i - 1) * z;
            if (montre(s) == 0)
                return 1;
            if (s.i < n - 1)
                pousse(s);
        } else {
            // n-i equal values would complete the sum: not a type 2
            // solution, so r is passed over.
            pousse(s);
        }
    }
    return arriere2(s);
}

template <class T>
int Recherche::arriere2(Etat<T>& s)
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
        return 1;
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
        return 1;
    }
    // x[i] closes a chain of values spaced exactly z: lower its first.
    return descendChaine(s);
}

// The chain step of arriere2 from its loop on.
template <class T>
int Recherche::descendChaine(Etat<T>& s)
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
    return 1;
}

// The forward step at depth n-2 of a count, with the whole walk of x(n-1)
// closed at once: the steps it replaces go down to x(n-1), meet each of its
// values from the first to the last (the solutions there are those the
// closing counts), then leave the walk by one backtrack from its last
// value, which this step does from depth n-2 without adding that value to
// the sum (on words, it may not fit). Returns false, having changed
// nothing, when the step is to be taken as usual: a row of the table among
// the solutions, a stop sequence, a walk the closing cannot count.
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
    s.r = maxi(s, i, s.D, s.N);
    if (s.i == -1)
        return true;
    if (s.M != 0 && produitInferieur(s.M, s.divis, s.divid)) {
        if (pb.type == 2)
            arriere2(s);
        else
            arriere(s);
        return true;
    }
    // The step's own solution, and the first value the walk meets.
    bool propre = false;
    T premier = s.r;
    if (pb.type == 1) {
        if (!(s.x[i] <= s.r))
            return false;
        if (s.reste == 0) {
            propre = true;
            premier = s.r - z;
        }
    } else {
        if (!(s.x[i] < s.r))
            return false;
        if (s.reste == 0) {
            propre = s.cas2 == 1;
            premier = s.r - z;
        }
    }
    // The walk begins at r (its first value met by a step unless r was
    // passed over) and ends at its last value.
    const T depart = premier < s.r ? s.r : premier;
    const T dernier = finDeMarche(pb, s.x, s.minr, n - 1, depart);
    const bool marche = premier < s.r ? dernier != depart : true;
    std::int64_t nombre = 0;
    Solution premiere, derniere;
    Maximum xn;
    if (marche) {
        if (!fermeture_)
            fermeture_ = std::make_unique<Fermeture>(*this);
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
        if (!fermeture_->marche(*this, s, bas, haut, nombre, premiere, derniere, xn))
            return false;
    }
    if (mode == Mode::AFFICHE && ligneParmi(nombre + (propre ? 1 : 0)))
        return false;
    if (mode == Mode::RELEVE)
        return false;
    compteurs.n[FERME_COMPTE]++;
    if (propre) {
        if (pb.type == 1) {
            for (s.j = i + 1; s.j <= n; s.j++)
                s.x[s.j] = s.r;
        } else {
            for (s.j = i + 1; s.j <= n; s.j++)
                s.x[s.j] = s.r + (s.j - i - 1) * z;
        }
        montre(s);
    }
    if (nombre > 0)
        ajouteBloc(nombre, premiere, derniere, xn);
    // Leaving the walk from its last value u: its first check, then a
    // release (u - z below its smallest value) or the step over the run or
    // chain that u closes with x(n-2).
    const T u = marche ? dernier : s.r;
    if (s.x[1] < s.minr[1]) {
        fin(s);
        return true;
    }
    if (u - z < s.minr[n - 1]) {
        if (pb.type == 2)
            arriere2(s);
        else
            arriere(s);
        return true;
    }
    if (pb.type == 1) {
        ASSERT_LIMITE(u == s.x[i]);
        s.e = u;
        if (s.i <= 0 || s.e == z || s.x[1] < s.minr[1]) {
            fin(s);
            return true;
        }
        descendRun(s);
    } else {
        ASSERT_LIMITE(u == s.x[i] + z);
        if (s.i <= 0 || s.x[1] < s.minr[1]) {
            fin(s);
            return true;
        }
        descendChaine(s);
    }
    return true;
}
