// The step machine instantiated for ZZ and for words, and one step of the
// search: on words while every number fits, redone on ZZ when a word
// overflows, with the closing of the last two unknowns before it.
#include "recherche/machine.h"

#include "recherche/fermeture_directe.h"

namespace fractions_unitaires::moteur {

template <class T>
void Recherche::etape(Etat<T>& s)
{
    if (s.i == pb.n - 2 && pb.n >= 3 && !uneParUne(mode_) && (mode_ == Mode::COMPTE || pb.L < -1) &&
        fermeEnBloc(s))
        return;
    if (pb.type == 2)
        suite2(s);
    else
        suite(s);
}

template <class T>
void Recherche::ferme(Etat<T>& s)
{
    Mot cible;
    if (!fermeture().avance(s, cible))
        return;
    moin(s);
    if constexpr (std::is_same_v<T, Mot>)
        s.x[pb.n - 1] = cible;
    else
        enZZ(s.x[pb.n - 1], cible);
    plu(s);
}

void Recherche::pasMots()
{
    compteurs.n[PAS_MOTS]++;
    if (w_.i == pb.n - 1 && pb.n >= 2)
        ferme(w_);
    const int i0 = w_.i;
    montres_ = 0;
    try {
        etape(w_);
    } catch (const Debordement&) {
        // Redone on ZZ from where it began: only the depth may have moved
        // (a descent whose sum overflowed); backtracks only lower values
        // and never overflow.
        compteurs.n[DEBORDEMENT]++;
        w_.i = i0;
        versZZ();
#ifdef VERIFIE_LIMITES
        ZZ N(0), D(1);
        for (int k = 1; k <= zz.i; k++) {
            N = zz.x[k] * N + D;
            D *= zz.x[k];
        }
        ASSERT_LIMITE(N == zz.N && D == zz.D);
#endif
        aSauter_ = montres_;
        etape(zz);
        aSauter_ = 0;
    }
}

void Recherche::pas()
{
    compteDesPas(1);
    if (surMots_) {
        pasMots();
        verifieArret();
        return;
    }
    compteurs.n[PAS_ZZ]++;
    if (reglages.raccourcis && zz.i == pb.n - 1 && pb.n >= 2)
        ferme(zz);
    else if (reglages.recompte && zz.i == pb.n - 1)
        fermeDirecte();
    if (reglages.raccourcis)
        etape(zz);
    else if (pb.type == 2)
        suite2(zz);
    else
        suite(zz);
    if (reglages.raccourcis && zz.i >= 0 && versMots())
        compteurs.n[RETOUR_MOTS]++;
    verifieArret();
}

void Recherche::fermeDirecte()
{
    if (!directe_)
        directe_ = std::make_unique<FermetureDirecte>(pb);
    ZZ cible;
    if (!directe_->vers(zz, cible))
        return;
    moin(zz);
    zz.x[pb.n - 1] = cible;
    plu(zz);
}

Fermeture& Recherche::fermeture()
{
    if (!fermeture_)
        fermeture_ = std::make_unique<Fermeture>(Servie{pb, reglages, mode_, w_, versionPrefixe_, bilan_, compteurs,
                                                         [this](const Bilan& b) { return ajouteBloc(b); }});
    return *fermeture_;
}

template void Recherche::plu(Etat<ZZ>&);
template void Recherche::plu(Etat<Mot>&);
template void Recherche::moin(Etat<ZZ>&);
template void Recherche::moin(Etat<Mot>&);
template Bornes<ZZ> Recherche::maxi(Etat<ZZ>&, int, const ZZ&, const ZZ&) const;
template Bornes<Mot> Recherche::maxi(Etat<Mot>&, int, const Mot&, const Mot&) const;
template void Recherche::suite(Etat<ZZ>&);
template void Recherche::suite(Etat<Mot>&);
template void Recherche::arriere(Etat<ZZ>&);
template void Recherche::arriere(Etat<Mot>&);
template void Recherche::suite2(Etat<ZZ>&);
template void Recherche::suite2(Etat<Mot>&);
template void Recherche::arriere2(Etat<ZZ>&);
template void Recherche::arriere2(Etat<Mot>&);

}  // namespace fractions_unitaires::moteur
