// Closing the last two unknowns: the remainder of each level of the prefix
// and its primes, the walk of x(n-1) counted at once or jumped from one
// completing value to the next.
#include "recherche/fermeture.h"

#include <algorithm>
#include <type_traits>

#include "nombres/division.h"
#include "recherche/arret.h"
#include "recherche/marche.h"

namespace fractions_unitaires::moteur {

namespace {

u128 enU(Mot v) { return static_cast<u128>(v.v); }
Mot enM(u128 v) { return Mot::brut(static_cast<Mot::Brut>(v)); }

// Whether the ZZ v fits in `bits` bits, as an unsigned 128-bit number.
bool versU(const ZZ& v, int bits, u128& sortie)
{
    if (sign(v) < 0 || NTL::NumBits(v) > bits)
        return false;
    sortie = enU(enMot(v));
    return true;
}

}  // namespace

Fermeture::Fermeture(const Servie& servie) : servie_(servie), n_(servie.pb.n), crible_(servie.reglages.fenetre)
{
    niveaux_.resize(std::max(n_ - 1, 1));
    puissances_.resize(n_ + 1);
    for (int k = 0; k <= n_; k++)
        puissances_[k] = k == 0 ? 1 : Empreinte::produit(puissances_[k - 1], Empreinte::SEMENCE);
    // Level 0: P/Q itself, with the primes of Q.
    Niveau& racine = niveaux_[0];
    u128 P, Q;
    if (!versU(servie_.pb.P, limites::BITS_D, P) || !versU(servie_.pb.Q, servie_.reglages.bitsFactorisation, Q))
        return;  // the closing counts this at each prefix
    racine.c = P;
    racine.d = Q;
    std::int64_t rho = 0;
    if (!factorise(Q, racine.f, rho))
        return;
    racineOk_ = true;
    valides_ = 1;
}

Chemin Fermeture::niveau(int k)
{
    const Niveau& avant = niveaux_[k - 1];
    Niveau& ici = niveaux_[k];
    const Mot xk = (*x_)[k];
    ici.x = xk;
    if (xk.v <= 0 || (xk.v >> servie_.reglages.bitsFactorisation) != 0)
        return HORS_LIMITES_X;
    const u128 x = static_cast<u128>(xk.v);
    u128 num, den;
    if (__builtin_mul_overflow(avant.c, x, &num) || num <= avant.d || __builtin_mul_overflow(avant.d, x, &den) ||
        (den >> servie_.reglages.bitsD) != 0)
        return HORS_LIMITES_D;
    num -= avant.d;

    // The primes of x: from the sieve while x(n-2) walks down a long way,
    // from one value to the next; the first value of a walk, or a walk
    // near its end, alone.
    const bool marche = (k == n_ - 2);
    const u128 basMarche = (*minr_)[k].v > 0 ? static_cast<u128>((*minr_)[k].v) : 1;
    const bool suite = marche && x + static_cast<u128>(servie_.pb.z) == precedent_;
    const bool longue = x - std::min(x, basMarche) >= static_cast<u128>(servie_.reglages.marcheCourte);
    if (marche)
        precedent_ = x;
    if (suite && longue && (x >> servie_.reglages.bitsCrible) == 0) {
        crible_.facteurs(static_cast<u64>(x), static_cast<u64>(basMarche), fx_);
        servie_.compteurs.n[FACTEURS_CRIBLE]++;
    } else {
        if (!factorise(x, fx_, servie_.compteurs.n[FACTEURS_RHO]))
            return HORS_LIMITES_X;
        servie_.compteurs.n[suite && longue ? FACTEURS_HORS_CRIBLE : FACTEURS_SEULS]++;
    }

    // d x and its primes; a prime common to d and x may also divide c x - d,
    // and leaves the fraction then. No other prime can.
    // Each prime is read once into a local, both compared and copied from
    // there (read in place for both, it went through the stack, and the
    // reads of its halves waited for the copy).
    ici.f.nb = 0;
    int a = 0, b = 0;
    const Facteurs& fd = avant.f;
    constexpr u128 APRES = ~u128(0);  // past the last prime of a list
    while (a < fd.nb || b < fx_.nb) {
        const u128 pd = a < fd.nb ? fd.p[a] : APRES;
        const u128 px = b < fx_.nb ? fx_.p[b] : APRES;
        if (pd < px) {
            ici.f.ajoute(pd, fd.e[a]);
            a++;
        } else if (px < pd) {
            ici.f.ajoute(px, fx_.e[b]);
            b++;
        } else {
            const u128 p = pd;
            int e = fd.e[a] + fx_.e[b];
            // p divides den: both divisions are exact, by multiplications.
            const DivisionExacte parP(p);
            while (e > 0 && parP.divise(num)) {
                den = parP(den);
                e--;
            }
            if (e > 0)
                ici.f.ajoute(p, e);
            a++;
            b++;
        }
    }
    ici.c = num;
    ici.d = den;
    ici.croissant = avant.croissant && avant.x < xk;
    ici.h = Empreinte::somme(avant.h, Empreinte::produit(Empreinte::reduit(x), puissances_[k]));
    return NB_CHEMINS;
}

Chemin Fermeture::niveaux()
{
    if (!racineOk_)
        return HORS_LIMITES_PQ;
    // x1 .. x(n-2) unchanged since the last time: the same answer, without
    // looking at them (a search of thousands of unknowns walks its last
    // ones in constant time).
    if (versionNiveaux_ == servie_.versionPrefixe)
        return raisonNiveaux_;
    versionNiveaux_ = servie_.versionPrefixe;
    raisonNiveaux_ = niveauxDe();
    return raisonNiveaux_;
}

Chemin Fermeture::niveauxDe()
{
    const int haut = n_ - 2;
    int k = 1;
    while (k < valides_ && k <= haut && niveaux_[k].x == (*x_)[k])
        k++;
    valides_ = std::min(valides_, k);
    if (k <= haut)
        servie_.compteurs.n[PREFIXES]++;
    for (; k <= haut; k++) {
        const Chemin raison = niveau(k);
        if (raison != NB_CHEMINS) {
            valides_ = k;
            return raison;
        }
        valides_ = k + 1;
    }
    const Niveau& fin = niveaux_[std::max(haut, 0)];
    ASSERT_LIMITE(servie_.reglages.bitsD <= limites::BITS_D && servie_.reglages.bitsC <= limites::BITS_C);
    if ((fin.d >> servie_.reglages.bitsD) != 0)
        return HORS_LIMITES_D;
    if ((fin.c >> servie_.reglages.bitsC) != 0)
        return HORS_LIMITES_C;
    return NB_CHEMINS;
}

bool Fermeture::valide(u128 A, Mot haut) const
{
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    const u128 c = nv.c, d = nv.d;
    const Parite parite = servie_.pb.parite;
    if (servie_.pb.z == 2) {
        const u128 u = (A + d) / c;
        if ((u & 1) != static_cast<u128>(haut.v & 1))
            return false;
    }
    if (parite == Parite::INDIFFERENTE && servie_.mots.M == 0)
        return true;
    // v = (d^2/A + d)/c, exact on 128 bits while d^2 fits.
    ZZ vz;
    if ((d >> 63) == 0) {
        const u128 v = (d * d / A + d) / c;
        if (!convient(parite, Mot::brut(static_cast<Mot::Brut>(v & 1))))
            return false;
        return servie_.mots.M == 0 || v <= enU(servie_.mots.M);
    }
    vz = Paire{A, c, d}.xn();
    if (!convient(parite, vz))
        return false;
    return servie_.mots.M == 0 || vz <= enZZ(servie_.mots.M);
}

bool Fermeture::plage(Mot bas, Mot haut, u128& lo, u128& hi) const
{
    // A = c u - d for u in (bas, haut]; v >= u (v > u in type 2) is A <= d
    // (A < d).
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    lo = nv.c * enU(bas + servie_.pb.z) - nv.d;
    hi = nv.c * enU(haut) - nv.d;
    const u128 plafond = (servie_.pb.type == 2) ? nv.d - 1 : nv.d;
    if (hi > plafond)
        hi = plafond;
    return hi >= lo;
}

bool Fermeture::plageDistincte(u128 lo, u128 hi, u128& lo2, u128& hi2) const
{
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    if (!nv.croissant)
        return false;
    lo2 = lo;
    hi2 = std::min(hi, nv.d - 1);
    // u > x(n-2) is A > c x(n-2) - d.
    if (n_ >= 3) {
        const u128 cx = nv.c * static_cast<u128>(nv.x.v);
        if (cx > nv.d && cx - nv.d >= lo2)
            lo2 = cx - nv.d + 1;
    }
    return hi2 >= lo2;
}

bool Fermeture::parNombre(u128 lo, u128 hi, bool strict, Comptees& sortie) const
{
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    const u128 c = nv.c, d = nv.d;
    const u128 plafond = strict ? d - 1 : d;
    // Every divisor of d^2 is a solution when c <= 2: the pairs A, d^2/A
    // give the count from the number of divisors alone, less those outside
    // [lo, hi], at most the few values at each end of the walk (the bottom
    // one met by a step of its own, the top one by the step before).
    if (c > 2 || lo > 4 || plafond - hi > 2 || (d >> 63) != 0)
        return false;
    auto divise = [&](u128 A) { return (d % A) * (d % A) % A == 0; };
    const u128 tau = Diviseurs::nombre(nv.f);
    std::int64_t nombre = static_cast<std::int64_t>(strict ? (tau - 1) / 2 : (tau + 1) / 2);
    for (u128 A = 1; A < lo; A++)
        nombre -= divise(A);
    for (u128 A = hi + 1; A <= plafond; A++)
        nombre -= divise(A);
    sortie = Comptees();
    if (nombre <= 0)
        return true;
    // The smallest divisor from lo <= 4 on: below 10, or else the smallest
    // prime of d (a prime p < 10 of d puts p or p^2 in [4, 9]).
    sortie.Amin = nv.f.nb > 0 ? nv.f.p[0] : 1;
    for (u128 A = lo; A <= 9; A++)
        if (divise(A)) {
            sortie.Amin = A;
            break;
        }
    sortie.Amax = 0;  // not needed: the first solution is not asked for
    sortie.nombre = nombre;
    return true;
}

Fermeture::Paires Fermeture::compte(Mot bas, Mot haut)
{
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    const u128 c = nv.c, d = nv.d;
    Paires p;
    u128 lo, hi;
    if (!plage(bas, haut, lo, hi))
        return p;
    const bool lesDeux = servie_.pb.lesDeux;
    u128 lo2 = 1, hi2 = 0;
    const bool distinctes = lesDeux && plageDistincte(lo, hi, lo2, hi2);
    const bool libre = servie_.pb.z == 1 && servie_.mots.M == 0;
    const Bilan& avant = servie_.bilan;
    const bool premiereVoulue = servie_.mode == Mode::COMPTE &&
                                (avant.premiere.vide() || (lesDeux && avant.distinctes.premiere.vide()));
    // Counted from the number of divisors, the pairs are not formed, nor
    // hashed: only where no fingerprint is kept.
    if (libre && !premiereVoulue && !servie_.reglages.empreintes &&
        parNombre(lo, hi, servie_.pb.type == 2, p.toutes) &&
        (!distinctes || parNombre(lo2, hi2, true, p.distinctes))) {
        servie_.compteurs.n[DIVISEURS_FORME]++;
        return p;
    }
    p = Paires();
    compteMethode(diviseurs_.liste(nv.f, d, static_cast<u64>(c), lo, hi, A_));
    if (servie_.reglages.fauteTest > 0 && n_ >= 3 && nv.x.v == servie_.reglages.fauteTest && !A_.empty())
        A_.erase(std::min_element(A_.begin(), A_.end()));
    // The hash of each solution: that of the prefix, and u = (A + d)/c.
    if (A_.empty())
        return p;
    const std::uint64_t hp = nv.h, s = puissances_[n_ - 1];
    const DivisionExacte parC(c);
    for (u128 A : A_) {
        if (!libre && !valide(A, haut))
            continue;
        const u128 u = parC(A + d);
        ASSERT_LIMITE(u * c == A + d);
        const std::uint64_t h = Empreinte::somme(hp, Empreinte::produit(Empreinte::reduit(u), s));
        p.toutes.prend(A, h);
        if (distinctes && A >= lo2 && A <= hi2)
            p.distinctes.prend(A, h);
    }
    return p;
}

void Fermeture::prepareListe(Mot bas, Mot haut)
{
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    const u128 c = nv.c, d = nv.d;
    liste_.clear();
    suivant_ = 0;
    listeFaite_ = true;
    listeHaut_ = haut;
    listeVersion_ = servie_.versionPrefixe;
    u128 lo, hi;
    if (!plage(bas, haut, lo, hi))
        return;
    compteMethode(diviseurs_.liste(nv.f, d, static_cast<u64>(c), lo, hi, A_));
    for (u128 A : A_)
        if (valide(A, haut))
            liste_.push_back(enM((A + d) / c));
    std::sort(liste_.begin(), liste_.end(), [](Mot p, Mot q) { return p > q; });
}

template <class T>
bool Fermeture::lit(const Etat<T>& s)
{
    if constexpr (std::is_same_v<T, Mot>) {
        x_ = &s.x;
        minr_ = &s.minr;
    } else {
        // On ZZ (the sum passed 2^127): the values themselves must still be
        // words. The prefix is converted once (or found too large once),
        // x(n-1) at each step. A prefix whose own sum does not fit in words
        // is not looked at: the denominator of its remainder is of that
        // size too, but for a large common factor, past the closing's
        // limits (and converting thousands of unknowns at each step would
        // cost more than the walk).
        if (NTL::NumBits(s.D) - NTL::NumBits(s.x[n_ - 1]) > limites::BUDGET_MOTS) {
            servie_.compteurs.n[HORS_LIMITES_D]++;
            return false;
        }
        const std::uint64_t version = servie_.versionPrefixe;
        auto convertit = [&](int k) {
            if (!tient(s.x[k], limites::BITS_D) || !tient(s.minr[k], limites::BITS_D)) {
                servie_.compteurs.n[HORS_LIMITES_D]++;
                return false;
            }
            motsX_[k] = enMot(s.x[k]);
            motsMinr_[k] = enMot(s.minr[k]);
            return true;
        };
        if (versionLue_ != version || x_ != &motsX_) {
            motsX_.SetLength(n_ + 1);
            motsMinr_.SetLength(n_ + 1);
            versionLue_ = version;
            prefixeLu_ = true;
            for (int k = 0; k < n_ - 1 && prefixeLu_; k++)
                prefixeLu_ = convertit(k);
            x_ = &motsX_;
            minr_ = &motsMinr_;
        }
        if (!prefixeLu_) {
            servie_.compteurs.n[HORS_LIMITES_D]++;
            return false;
        }
        if (!convertit(n_ - 1))
            return false;
    }
    return true;
}

Bilan Fermeture::bilan(const Paires& p) const
{
    const Vec<Mot>& x = *x_;
    // The last solution has the smallest divisor A (the smallest x(n-1) and
    // the largest xn), the first the largest; the first only when a share
    // of a count needs it.
    const Niveau& nv = niveaux_[std::max(n_ - 2, 0)];
    auto partie = [&](const Comptees& k, const Part& avant, Part& sortie) {
        sortie.nombre = k.nombre;
        sortie.empreinte = k.empreinte;
        if (k.nombre == 0)
            return;
        const Paire derniere{k.Amin, nv.c, nv.d};
        sortie.derniere.prendPaire(x, n_, enM((k.Amin + nv.d) / nv.c), derniere);
        if (servie_.mode == Mode::COMPTE && avant.premiere.vide())
            sortie.premiere.prendPaire(x, n_, enM((k.Amax + nv.d) / nv.c), Paire{k.Amax, nv.c, nv.d});
        sortie.m.propose(derniere);
    };
    Bilan b;
    partie(p.toutes, servie_.bilan, b);
    partie(p.distinctes, servie_.bilan.distinctes, b.distinctes);
    return b;
}

template <class T>
bool Fermeture::marche(const Etat<T>& s, Mot bas, Mot haut, Paires& p)
{
    if (!lit(s))
        return false;
    const Chemin raison = niveaux();
    if (raison != NB_CHEMINS) {
        servie_.compteurs.n[raison]++;
        return false;
    }
    p = compte(bas, haut);
    return true;
}

template bool Fermeture::marche(const Etat<Mot>&, Mot, Mot, Paires&);
template bool Fermeture::marche(const Etat<ZZ>&, Mot, Mot, Paires&);

template <class T>
bool Fermeture::avance(const Etat<T>& s, Mot& cible)
{
    return lit(s) && vers(cible);
}

template bool Fermeture::avance(const Etat<Mot>&, Mot&);
template bool Fermeture::avance(const Etat<ZZ>&, Mot&);

bool Fermeture::vers(Mot& cibleSortie)
{
    const Vec<Mot>& x = *x_;
    const Vec<Mot>& minr = *minr_;
    const int n = n_;
    const int z = servie_.pb.z;
    // The first check of every backtrack ends the search here: past it the
    // walk is one value.
    if (n < 2 || x[1] < minr[1])
        return false;
    const Chemin raison = niveaux();
    if (raison != NB_CHEMINS) {
        servie_.compteurs.n[raison]++;
        return false;
    }
    // bas: the last value of the walk.
    const Mot haut = x[n - 1];
    const Mot bas = finDeMarche(servie_.pb, x, minr, n - 1, haut);
    if (haut <= bas)
        return false;
    Mot cible = bas;
    // The bounds end the whole search at the first stop value: the walk
    // stops there, never past it.
    const Etat<Mot>& w = servie_.mots;
    if (servie_.pb.seq2 == 1 && servie_.pb.s2 >= 1 && w.M != 0 && w.x31) {
        const Mot arret = (servie_.pb.type == 2) ? w.x3un + Mot(n - 2) * z : w.x3un;
        if (arret > cible && arret <= haut && ((haut - arret).v % z) == 0)
            cible = arret;
    }
    if (cible >= haut)
        return false;

    // The stop sequence must not be decided by x(n-1) for a count at once:
    // the prefix alone puts the pairs above it, or the solutions are shown
    // one by one.
    bool enBloc = !uneParUne(servie_.mode) && !(servie_.mode == Mode::AFFICHE && servie_.pb.L >= 0);
    if (enBloc && servie_.pb.seq2 == 1) {
        if (versionArret_ != servie_.versionPrefixe) {
            versionArret_ = servie_.versionPrefixe;
            arretEnBloc_ = audessusArret(x, w.arret, n - 2, static_cast<int>(w.arret.length()) - 1);
        }
        enBloc = arretEnBloc_;
    }
    if (enBloc) {
        const Paires p = compte(cible, haut);
        if (p.toutes.nombre == 0 || servie_.ajouteBloc(bilan(p))) {
            servie_.compteurs.n[FERME_COMPTE]++;
            cibleSortie = cible;
            return true;
        }
    }
    // One completing value after the other.
    const bool memeMarche = listeFaite_ && listeHaut_ >= haut && listeVersion_ == servie_.versionPrefixe;
    if (!memeMarche)
        prepareListe(bas, haut);
    while (suivant_ < liste_.size() && liste_[suivant_] > haut)
        suivant_++;
    if (suivant_ < liste_.size() && liste_[suivant_] > cible)
        cible = liste_[suivant_];
    if (cible >= haut)
        return false;
    servie_.compteurs.n[FERME_SAUT]++;
    cibleSortie = cible;
    return true;
}

}  // namespace fractions_unitaires::moteur
