// The recount's closing: the remainder, the primes of d and every divisor
// of d^2, all on ZZ.
#include "recherche/fermeture_directe.h"

#include <algorithm>
#include <sstream>

#include "nombres/facteurs.h"
#include "recherche/marche.h"

namespace fractions_unitaires::moteur {

const std::vector<ZZ>& FermetureDirecte::premiersDe(int k, const ZZ& v)
{
    if (static_cast<int>(valeurs_.size()) <= k) {
        valeurs_.resize(k + 1, ZZ(-1));
        premiers_.resize(k + 1);
    }
    if (valeurs_[k] == v)
        return premiers_[k];
    if (sign(v) <= 0 || NTL::NumBits(v) > limites::BITS_FACTORISATION) {
        std::ostringstream s;
        s << v << " is beyond the factorisation";
        throw HorsDePortee{s.str()};
    }
    const u128 u = static_cast<u128>(enMot(v).v);
    Facteurs f;
    std::int64_t rho = 0;
    if (!factorise(u, f, rho)) {
        std::ostringstream s;
        s << v << " has two primes past Pollard's reach";
        throw HorsDePortee{s.str()};
    }
    std::vector<ZZ>& p = premiers_[k];
    p.clear();
    for (int i = 0; i < f.nb; i++)
        p.push_back(enZZ(Mot::brut(static_cast<Mot::Brut>(f.p[i]))));
    valeurs_[k] = v;
    return p;
}

void FermetureDirecte::prepare(const Etat<ZZ>& s)
{
    const int haut = pb_.n - 2;
    prefixe_.SetLength(haut + 1);
    for (int k = 1; k <= haut; k++)
        prefixe_[k] = s.x[k];
    prete_ = true;
    liste_.clear();
    suivant_ = 0;

    // c/d = P/Q - 1/x1 - ... - 1/x(n-2), in lowest terms.
    ZZ c = pb_.P, d = pb_.Q;
    for (int k = 1; k <= haut; k++) {
        c = c * s.x[k] - d;
        d *= s.x[k];
        const ZZ g = GCD(c, d);
        c /= g;
        d /= g;
    }
    if (sign(c) <= 0)
        return;

    // The primes of d are among those of Q and of the prefix.
    std::vector<ZZ> candidats = premiersDe(0, pb_.Q);
    for (int k = 1; k <= haut; k++) {
        const std::vector<ZZ>& p = premiersDe(k, s.x[k]);
        candidats.insert(candidats.end(), p.begin(), p.end());
    }
    std::sort(candidats.begin(), candidats.end());
    candidats.erase(std::unique(candidats.begin(), candidats.end()), candidats.end());
    p_.clear();
    e_.clear();
    ZZ reste = d;
    for (const ZZ& q : candidats) {
        long a = 0;
        while (divide(reste, q)) {
            reste /= q;
            a++;
        }
        if (a > 0) {
            p_.push_back(q);
            e_.push_back(2 * a);  // in d^2
        }
    }
    if (reste != 1)
        throw HorsDePortee{"the denominator of a remainder has a prime outside its prefix"};
    c_ = c;
    d_ = d;
    cMot_ = NTL::NumBits(c) < NTL_BITS_PER_LONG - 2 ? NTL::conv<long>(c) : 0;
    dModC_ = cMot_ > 0 ? NTL::rem(d, cMot_) : 0;
    produits_.resize(p_.size() + 1);
    produits_[0] = 1;
    divise(0);
    std::sort(liste_.begin(), liste_.end(), [](const ZZ& a, const ZZ& b) { return a > b; });
}

void FermetureDirecte::divise(std::size_t i)
{
    // Every divisor A <= d of d^2 with the exponents of the first i primes
    // in produits_[i], the primes taken in increasing order so that a
    // product past d ends its branch.
    if (i == p_.size()) {
        const ZZ& A = produits_[i];
        // c | A + d; by a machine-word c, without forming A + d.
        const bool divise = cMot_ > 0 ? (NTL::rem(A, cMot_) + dModC_) % cMot_ == 0 : divide(A + d_, c_);
        if (divise)
            liste_.push_back((A + d_) / c_);
        return;
    }
    ZZ& B = produits_[i + 1];
    B = produits_[i];
    for (long a = 0; a <= e_[i] && B <= d_; a++) {
        divise(i + 1);
        // Into another number, then swapped: a product in place would
        // allocate one at each divisor.
        mul(temporaire_, B, p_[i]);
        swap(B, temporaire_);
    }
}

bool FermetureDirecte::vers(const Etat<ZZ>& s, ZZ& cibleSortie)
{
    const int n = pb_.n;
    const long z = pb_.z;
    if (n < 2 || s.x[1] < s.minr[1])
        return false;
    bool meme = prete_;
    for (int k = 1; meme && k <= n - 2; k++)
        meme = prefixe_[k] == s.x[k];
    const ZZ& haut = s.x[n - 1];
    if (!meme)
        prepare(s);
    else if (haut > dernierHaut_)
        suivant_ = 0;
    dernierHaut_ = haut;

    const ZZ bas = finDeMarche(pb_, s.x, s.minr, n - 1, haut);
    if (haut <= bas)
        return false;
    ZZ cible = bas;
    // Under a bound, the whole search ends at the first stop value: the
    // walk must stop there.
    if (pb_.seq2 == 1 && pb_.s2 >= 1 && s.M != 0 && s.x31) {
        const ZZ arret = pb_.type == 2 ? s.x3un + (n - 2) * z : s.x3un;
        if (arret > cible && arret <= haut && (haut - arret) % z == 0)
            cible = arret;
    }
    while (suivant_ < liste_.size() && liste_[suivant_] > haut)
        suivant_++;
    for (std::size_t k = suivant_; k < liste_.size() && liste_[k] > cible; k++)
        if ((haut - liste_[k]) % z == 0) {
            cible = liste_[k];
            break;
        }
    if (cible >= haut)
        return false;
    cibleSortie = cible;
    return true;
}

}  // namespace fractions_unitaires::moteur
