// What a search finds: the count of solutions, the largest xn, the smallest
// x1 and the last solution (and, for a share of a count, the first one).
// They are updated at every solution of counts of 10^8 solutions, so they
// stay machine words while they fit and become ZZ only beyond.
#pragma once

#include <cstdint>
#include <vector>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include "nombres/mot.h"
#include "recherche/empreinte.h"

namespace fractions_unitaires::moteur {

using NTL::Vec;
using u128 = unsigned __int128;

// A non-negative number, kept as a word while it fits.
class Valeur {
public:
    Valeur() = default;
    Valeur& operator=(Mot v)
    {
        mot_ = v;
        grand_ = false;
        return *this;
    }
    Valeur& operator=(const ZZ& v);
    ZZ zz() const { return grand_ ? zz_ : enZZ(mot_); }
    // The sign of *this - v.
    int compare(Mot v) const { return grand_ ? 1 : (mot_ < v ? -1 : (mot_ == v ? 0 : 1)); }
    int compare(const ZZ& v) const;
    int compare(const Valeur& v) const { return v.grand_ ? -v.compare(mot_) : compare(v.mot_); }
    double approx() const;

private:
    bool grand_ = false;
    Mot mot_;
    ZZ zz_;
};

// xn = (d^2/A + d)/c of a pair closed from the divisor A of d^2, computed
// only when needed.
struct Paire {
    u128 A = 0, c = 0, d = 0;
    ZZ xn() const;
    double approx() const;
};

// One solution x[1..n], on words or on ZZ, or as a prefix on words and a
// pair whose xn is computed when read.
class Solution {
public:
    bool vide() const { return vide_; }
    void prend(const Vec<Mot>& x, int n);
    void prend(const Vec<ZZ>& x, int n);
    // x[1..n-2] from x, then u and the xn of the pair.
    void prendPaire(const Vec<Mot>& x, int n, Mot u, const Paire& paire);
    // x[1..n], x[0] = 0.
    Vec<ZZ> valeurs() const;
    Valeur premiere() const;  // x1

private:
    bool vide_ = true;
    bool surZZ_ = false;
    bool paire_ = false;
    int n_ = 0;
    std::vector<Mot> mots_;
    Vec<ZZ> zz_;
    Paire p_;
};

// The largest of the values offered: an exact number, with a floating
// shadow that turns most candidates away without arithmetic.
class Maximum {
public:
    const Valeur& valeur() const { return v_; }
    void propose(Mot v);
    void propose(const ZZ& v);
    void propose(const Valeur& v);
    void propose(const Paire& p);
    void efface() { *this = Maximum(); }

private:
    Valeur v_;
    double approx_ = 0;
};

// The counters of the display and the results of the search.
struct Resultats {
    std::int64_t K1 = 0;  // solutions found, the number of each row
    std::int64_t K2 = 0;  // solutions since the last pause
    std::int64_t K3 = 0;  // place of a solution in its group of |L|
    Maximum m;            // largest xn found
    Valeur m1;            // smallest x1 found
    Solution x1;          // last solution found, kept for the partial table
};

// Whether the values x[1..n] of a solution (in order) are all distinct:
// the type 2 solutions among those of type 1.
template <class T>
bool distinctes(const Vec<T>& x, int n)
{
    for (int k = 2; k <= n; k++)
        if (!(x[k - 1] < x[k]))
            return false;
    return true;
}

// What a share of a count found of one kind: the count, the largest xn,
// the first and the last solution (the last has the smallest x1), and the
// fingerprint of them all.
struct Part {
    std::int64_t nombre = 0;
    Maximum m;
    Empreinte empreinte;
    Solution premiere, derniere;
    void ajoute(const Part& suivant);  // suivant comes after this one
    // One solution x[1..n], after those of this part.
    template <class T>
    void ajoute(const Vec<T>& x, int n)
    {
        nombre++;
        m.propose(x[n]);
        empreinte.ajoute(x, n);
        if (premiere.vide())
            premiere.prend(x, n);
        derniere.prend(x, n);
    }
};

// What a share of a count found, merged later in the order of the search:
// its solutions and, when a walk of type 1 counts both types at once
// (Probleme::lesDeux), those of them whose values are all distinct.
struct Bilan : Part {
    Part distinctes;
    bool finie = false;  // the search ended inside this share
    void ajoute(const Bilan& suivant);  // suivant comes after this one
    // One solution x[1..n]; lesDeux: also among the distinct ones when it
    // is one of them.
    template <class T>
    void ajoute(const Vec<T>& x, int n, bool lesDeux)
    {
        Part::ajoute(x, n);
        if (lesDeux && moteur::distinctes(x, n))
            this->distinctes.ajoute(x, n);
    }
};

}  // namespace fractions_unitaires::moteur
