// The cutting walk: the step machine on ZZ, which hands out each unit and
// goes on past it with one backtrack from the bottom of its range.
#include "partage/decoupe.h"

#include <algorithm>
#include <cmath>

#include "limites.h"
#include "recherche/recherche.h"
#include "recherche/marche.h"

namespace fractions_unitaires::moteur {

void Decoupe::reste(int k, ZZ& c, ZZ& d)
{
    const Etat<ZZ>& s = marche_->zz;
    const Probleme& pb = marche_->pb;
    if (restesC_.length() == 0) {
        restesC_.SetLength(pb.n + 1);
        restesD_.SetLength(pb.n + 1);
        restesC_[0] = pb.P;
        restesD_[0] = pb.Q;
    }
    for (int t = std::min(restesValides_, k) + 1; t <= k; t++) {
        ZZ& ct = restesC_[t];
        ZZ& dt = restesD_[t];
        ct = restesC_[t - 1] * s.x[t] - restesD_[t - 1];
        dt = restesD_[t - 1] * s.x[t];
        const ZZ g = GCD(ct, dt);
        ct /= g;
        dt /= g;
    }
    restesValides_ = k;
    c = restesC_[k];
    d = restesD_[k];
}

double estime(const Probleme& pb, int k, const ZZ& c0, const ZZ& d0, const ZZ& a)
{
    const int n = pb.n;
    ZZ c = c0 * a - d0, d = d0 * a;
    if (c <= 0)
        return 0;
    ZZ g = GCD(c, d);
    c /= g;
    d /= g;
    ZZ avant = a;
    double e = 1;
    if (n - 2 - k > limites::NIVEAUX_ESTIMATION)
        return limites::ESTIMATION_MAX;
    for (int j = k + 1; j <= n - 2; j++) {
        const long h = n - j + 1;
        ZZ bas = d / c + 1;
        const ZZ plancher = avant + (pb.type == 2 ? pb.z : 0);
        if (bas < plancher)
            bas = plancher;
        if (!convient(pb.parite, bas))
            bas += 1;
        const ZZ haut = h * d / c;
        if (haut < bas)
            return e;
        e *= NTL::conv<double>((haut - bas) / pb.z + 1);
        if (e > limites::ESTIMATION_MAX || NTL::NumBits(d) > limites::BITS_ESTIMATION)
            return std::max(e, limites::ESTIMATION_MAX);
        c = c * bas - d;
        d *= bas;
        g = GCD(c, d);
        c /= g;
        d /= g;
        avant = bas;
    }
    return e;
}

Decoupe::Decoupe(const Probleme& pb, const Reglages& reglages, const Etat<ZZ>& depart, double taille,
                 int profondeur)
    : marche_(std::make_unique<Recherche>()), taille_(taille), profondeur_(profondeur > 0 ? profondeur : pb.n - 2)
{
    ASSERT_LIMITE(profondeur_ >= 1 && profondeur_ <= pb.n - 2);
    Reglages plain = reglages;
    plain.raccourcis = false;
    marche_->installe(pb, plain, Mode::RELEVE);
    marche_->placeEtat(depart);
}

Decoupe::~Decoupe() = default;

void Decoupe::apresPas()
{
    const int i = marche_->zz.i;
    restesValides_ = std::min(restesValides_, i - 1);
    if (i < profondeurScinde_)
        profondeurScinde_ = -1;
}

ZZ Decoupe::largeur(int k, const ZZ& c, const ZZ& d, const ZZ& haut, const ZZ& valeurs, double& estimation) const
{
    const Probleme& pb = marche_->pb;
    const int n = pb.n;
    const int z = pb.z;
    const double e = estimation;
    ZZ nombre(1);
    if (k == n - 2) {
        // A size past 2^62 (or infinite: one unit for all) takes every
        // value.
        const ZZ plafond = taille_ < 0x1p62 ? NTL::conv<ZZ>(std::max(1.0, std::floor(taille_))) : valeurs;
        nombre = valeurs < plafond ? valeurs : plafond;
        estimation = NTL::conv<double>(nombre);
    } else {
        ZZ bon(1), mauvais = valeurs + 1;
        double eBon = e;
        for (ZZ essai(2); essai < mauvais; essai *= 2) {
            const double ee = estime(pb, k, c, d, haut - (essai - 1) * z);
            if (ee * NTL::conv<double>(essai) > taille_) {
                mauvais = essai;
                break;
            }
            bon = essai;
            eBon = ee;
        }
        if (mauvais > valeurs)
            mauvais = valeurs + 1;
        while (mauvais - bon > 1) {
            const ZZ milieu = (bon + mauvais) / 2;
            const double ee = estime(pb, k, c, d, haut - (milieu - 1) * z);
            if (ee * NTL::conv<double>(milieu) > taille_) {
                mauvais = milieu;
            } else {
                bon = milieu;
                eBon = ee;
            }
        }
        nombre = bon;
        estimation = eBon * NTL::conv<double>(bon);
    }
    return nombre;
}

Decoupe::Etape Decoupe::suivante(Unite& u, std::int64_t pas)
{
    Recherche& m = *marche_;
    Etat<ZZ>& s = m.zz;
    const Probleme& pb = m.pb;
    const int n = pb.n;
    const int z = pb.z;
    for (std::int64_t t = 0; t < pas; t++) {
        if (s.i < 0) {
            finales = m.prendReleves();
            return FIN;
        }
        const int k = s.i;
        const bool scinde = k >= 1 && k == profondeurScinde_ && s.x[k] < scinde_;
        if (k >= 1 && k <= profondeur_ && !scinde) {
            ZZ c, d;
            reste(k - 1, c, d);
            const ZZ haut = s.x[k];
            const double e = (k == n - 2) ? 1 : estime(pb, k, c, d, haut);
            if (k < profondeur_ && e > taille_) {
                scinde_ = s.x[k];
                profondeurScinde_ = k;
            }
            if (k == profondeur_ || e <= taille_) {
                // The last value of the walk of x_k (one value when the
                // first check of a backtrack ends the search).
                const ZZ fond = s.x[1] >= s.minr[1] ? finDeMarche(pb, s.x, s.minr, k, haut) : haut;
                double estimation = e;
                const ZZ nombre = largeur(k, c, d, haut, (haut - fond) / z + 1, estimation);
                u.indice = indice_++;
                u.k = k;
                u.x.SetLength(k + 1);
                u.minr.SetLength(k + 1);
                for (int t = 0; t <= k; t++) {
                    u.x[t] = s.x[t];
                    u.minr[t] = s.minr[t];
                }
                u.bas = haut - (nombre - 1) * z;
                u.estimation = estimation;
                u.avant = m.prendReleves();
                // Past the unit: its bottom, then one backtrack.
                m.moin(s);
                s.x[k] = u.bas;
                m.plu(s);
                if (pb.type == 2)
                    m.arriere2(s);
                else
                    m.arriere(s);
                m.verifieArret();
                apresPas();
                return UNITE;
            }
        }
        m.pas();
        apresPas();
    }
    return ATTENTE;
}

}  // namespace fractions_unitaires::moteur
