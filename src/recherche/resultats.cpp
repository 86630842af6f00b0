// Results kept as words while they fit: comparisons, conversions and the
// xn of a pair computed on demand.
#include "recherche/resultats.h"

#include <cmath>
#include <cstdio>

namespace fractions_unitaires::moteur {

namespace {

double enDouble(u128 v) { return static_cast<double>(v); }

}  // namespace

std::string Empreinte::texte() const
{
    char s[17];
    std::snprintf(s, sizeof s, "%016llx", static_cast<unsigned long long>(v_));
    return s;
}

bool Empreinte::lit(const std::string& s, Empreinte& e)
{
    if (s.size() != 16)
        return false;
    u64 v = 0;
    for (char c : s) {
        const int chiffre = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (chiffre < 0)
            return false;
        v = v * 16 + static_cast<u64>(chiffre);
    }
    if (v >= P)
        return false;
    e = Empreinte(v);
    return true;
}

Valeur& Valeur::operator=(const ZZ& v)
{
    if (tient(v, 127)) {
        mot_ = enMot(v);
        grand_ = false;
    } else {
        zz_ = v;
        grand_ = true;
    }
    return *this;
}

int Valeur::compare(const ZZ& v) const
{
    if (grand_)
        return NTL::compare(zz_, v);
    if (!tient(v, 127))
        return sign(v) > 0 ? -1 : 1;
    return compare(enMot(v)) ;
}

double Valeur::approx() const
{
    if (grand_)
        return NTL::conv<double>(zz_);
    return static_cast<double>(mot_.v);
}

ZZ Paire::xn() const
{
    const ZZ dz = enZZ(Mot::brut(static_cast<Mot::Brut>(d)));
    const ZZ Az = enZZ(Mot::brut(static_cast<Mot::Brut>(A)));
    const ZZ cz = enZZ(Mot::brut(static_cast<Mot::Brut>(c)));
    return (dz * dz / Az + dz) / cz;
}

double Paire::approx() const
{
    const double dd = enDouble(d);
    return (dd / enDouble(A) * dd + dd) / enDouble(c);
}

void Solution::prend(const Vec<Mot>& x, int n)
{
    vide_ = false;
    surZZ_ = false;
    paire_ = false;
    n_ = n;
    mots_.assign(x.begin(), x.begin() + n + 1);
}

void Solution::prend(const Vec<ZZ>& x, int n)
{
    vide_ = false;
    surZZ_ = true;
    paire_ = false;
    n_ = n;
    zz_.SetLength(n + 1);
    for (int k = 0; k <= n; k++)
        zz_[k] = x[k];
}

void Solution::prendPaire(const Vec<Mot>& x, int n, Mot u, const Paire& paire)
{
    vide_ = false;
    surZZ_ = false;
    paire_ = true;
    n_ = n;
    mots_.assign(x.begin(), x.begin() + n + 1);
    mots_[n - 1] = u;
    p_ = paire;
}

Vec<ZZ> Solution::valeurs() const
{
    Vec<ZZ> v;
    v.SetLength(n_ + 1);
    if (vide_)
        return v;
    if (surZZ_)
        return zz_;
    for (int k = 1; k <= n_; k++)
        enZZ(v[k], mots_[k]);
    if (paire_)
        v[n_] = p_.xn();
    return v;
}

Valeur Solution::premiere() const
{
    Valeur v;
    if (surZZ_)
        v = zz_[1];
    else if (paire_ && n_ == 1)
        v = p_.xn();
    else
        v = mots_[1];
    return v;
}

void Maximum::propose(Mot v)
{
    if (v_.compare(v) <= 0) {
        v_ = v;
        approx_ = v_.approx();
    }
}

void Maximum::propose(const ZZ& v)
{
    if (v_.compare(v) <= 0) {
        v_ = v;
        approx_ = v_.approx();
    }
}

void Maximum::propose(const Valeur& v)
{
    if (v_.compare(v) <= 0) {
        v_ = v;
        approx_ = v_.approx();
    }
}

void Maximum::propose(const Paire& p)
{
    // Most pairs are far below the largest xn: a floating estimate, exact
    // to one part in 2^50, settles them.
    if (p.approx() < approx_ * (1 - std::ldexp(1.0, -40)))
        return;
    if ((p.d >> 63) == 0) {
        const u128 xn = (p.d * p.d / p.A + p.d) / p.c;
        propose(Mot::brut(static_cast<Mot::Brut>(xn)));
    } else {
        propose(p.xn());
    }
}

void Part::ajoute(const Part& suivant)
{
    nombre += suivant.nombre;
    empreinte.ajoute(suivant.empreinte);
    m.propose(suivant.m.valeur());
    if (premiere.vide())
        premiere = suivant.premiere;
    if (!suivant.derniere.vide())
        derniere = suivant.derniere;
}

void Bilan::ajoute(const Bilan& suivant)
{
    if (finie)
        return;
    Part::ajoute(suivant);
    distinctes.ajoute(suivant.distinctes);
    finie = suivant.finie;
}

}  // namespace fractions_unitaires::moteur
