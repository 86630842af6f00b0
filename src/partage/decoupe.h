// The rest of a search cut into work units, in the order the search meets
// them. A unit is a range of values of one unknown x_k under a fixed
// prefix x1 .. x(k-1): the step machine walks it from its top to its bottom
// and leaves it exactly as one backtrack from its bottom would. A cutting
// walk, the step machine on ZZ that skips each unit that way, hands the
// units out and keeps the solutions it meets between them (completions
// found above depth n-2). Units are estimated to hold about a given number
// of prefixes x1 .. x(n-2): a node with a larger estimate is split into its
// children. The cut depends only on the problem, its start and that size.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

namespace fractions_unitaires::moteur {

class Recherche;
struct Probleme;
struct Reglages;
template <class T> struct Etat;

using NTL::Vec;
using NTL::ZZ;

struct Unite {
    std::int64_t indice = 0;  // place in the order of the search, from 0
    int k = 0;                // the unknown whose values the unit covers
    Vec<ZZ> x, minr;          // x[0..k] (x[k]: the top of the range), minr[0..k]
    ZZ bas;                   // the bottom of the range of x[k]
    double estimation = 0;    // estimated prefixes x1 .. x(n-2)
    // The solutions the cutting walk met after the previous unit.
    std::vector<Vec<ZZ>> avant;
};

class Decoupe {
public:
    enum Etape {
        UNITE,    // a unit was handed out
        FIN,      // the search is over; the last solutions are in `finales`
        ATTENTE,  // no unit yet after the steps allowed: ask again later
    };
    // The rest of a search of pb that stands at `depart`, at a forward
    // step at a depth of at most n-2, in units of about `taille` estimated
    // prefixes, each a range of an unknown at depth `profondeur` at most
    // (n-2 when 0).
    Decoupe(const Probleme& pb, const Reglages& reglages, const Etat<ZZ>& depart, double taille,
            int profondeur = 0);
    ~Decoupe();
    // The next unit, within `pas` steps of the cutting walk: a walk that
    // units do not cover (values passed by one by one, under a bound)
    // lets the results be merged meanwhile, and the search end inside a
    // unit.
    Etape suivante(Unite& u, std::int64_t pas = 4096);
    std::vector<Vec<ZZ>> finales;
    std::int64_t unites() const { return indice_; }

private:
    std::unique_ptr<Recherche> marche_;
    double taille_;
    int profondeur_;
    std::int64_t indice_ = 0;
    // What the walk knows of the values above where it stands: a step of
    // the walk changes no value above the depth it ends at.
    void apresPas();
    // How many of the `valeurs` values of x_k from `haut` down one unit
    // takes (c/d the remainder before x_k), as many as the size allows:
    // the estimate of the lowest bounds each of the others. `estimation`:
    // the estimate of `haut` in, of the whole unit out.
    ZZ largeur(int k, const ZZ& c, const ZZ& d, const ZZ& haut, const ZZ& valeurs, double& estimation) const;
    // The estimate only grows as a value goes down: once a node is split,
    // its younger siblings are too, without another estimate (while the
    // walk stays at that depth or below).
    ZZ scinde_;
    int profondeurScinde_ = -1;
    // The remainder P/Q - 1/x1 - ... - 1/xk of the walk in lowest terms,
    // as c/d. The remainders after each x1 .. xt are kept from node to
    // node (those after x1 .. x(`restesValides_`) are right): from
    // scratch, a node would cost a GCD per unknown above it.
    void reste(int k, ZZ& c, ZZ& d);
    Vec<ZZ> restesC_, restesD_;
    int restesValides_ = 0;
};

// Estimated prefixes x1 .. x(n-2) under x1 .. x(k-1), a, where c/d (in
// lowest terms) is the remainder after x1 .. x(k-1): the product of the
// widths of the walks met going down along the smallest values, which
// leave the most room.
double estime(const Probleme& pb, int k, const ZZ& c, const ZZ& d, const ZZ& a);

}  // namespace fractions_unitaires::moteur
