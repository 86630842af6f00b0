// The search object: its set-up, the display of a solution (affiche), one
// step on words or on ZZ with the switch between them, and the driver.
#include "recherche/recherche.h"

#include "recherche/arret.h"
#include "recherche/fermeture.h"
#include "recherche/fermeture_directe.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <sstream>
#include <type_traits>

namespace fractions_unitaires::moteur {

Recherche::Recherche(Sortie* s) : sortie(s) {}

Recherche::~Recherche() = default;

void Recherche::dimensionneEtat()
{
    for (Vec<ZZ>* v : {&zz.x, &zz.minr}) {
        v->SetLength(pb.n + 1);
        for (long k = 0; k <= pb.n; k++)
            (*v)[k] = 0;
    }
    w_.x.SetLength(pb.n + 1);
    w_.minr.SetLength(pb.n + 1);
    res.x1 = Solution();
}

bool Recherche::debut()
{
    if (exeptions() == Issue::REGLE)
        return false;
    sortie->entete(pb.L);
    res.m.efface();
    zz.x[0] = 0;
    res.m1 = Mot(pb.z);
    res.K1 = 0;
    res.K2 = 0;
    pasFaits_ = 0;
    prepareProbleme();
    if (reglages.raccourcis)
        versMots();
    return true;
}

Bilan Recherche::parcourt()
{
    versMots();
    while (i() >= 0)
        pas();
    return prendBilan();
}

void Recherche::conclut()
{
    if (pb.L < -1 && res.K1 != 0)
        sortie->ligne(res.K1, res.x1.valeurs(), pb.n);
    sortie->resultat(pb, res);
}

void Recherche::installe(const Probleme& probleme, const Reglages& r, Mode m)
{
    pb = probleme;
    reglages = r;
    mode_ = m;
    directe_.reset();
    dimensionneEtat();
    prepareProbleme();
    zz.i = 0;
    zz.N = 0;
    zz.D = 1;
    res.m1 = Mot(pb.z);
}

void Recherche::completeProbleme(const Probleme& probleme) { pb = probleme; }

Bornes<ZZ> Recherche::bornesSuivante() { return maxi(zz, zz.i, zz.D, zz.N); }

void Recherche::descend(int k, const ZZ& v)
{
    zz.x[k] = v;
    zz.i = k;
    plu(zz);
}

void Recherche::recule()
{
    if (pb.type == 2)
        arriere2(zz);
    else
        arriere(zz);
}

void Recherche::placeEtat(const Etat<ZZ>& s)
{
    surMots_ = false;
    for (int k = 0; k <= pb.n; k++) {
        zz.x[k] = s.x[k];
        zz.minr[k] = s.minr[k];
    }
    zz.N = s.N;
    zz.D = s.D;
    zz.i = s.i;
}

namespace {

// The decimal digits of v >= 0: from words directly, much faster than
// through ZZ, for listings of millions of lines.
void ecritValeur(std::string& s, const Mot& v);
void ecritValeur(std::string& s, const Mot& v)
{
    // Below 2^64 (nearly always) in one conversion; above, in pieces of 19
    // digits, as 128-bit divisions are slow.
    const unsigned __int128 u = static_cast<unsigned __int128>(v.v);
    char chiffres[48];
    char* fin = chiffres + sizeof chiffres;
    if (u >> 64 == 0) {
        s.append(chiffres, std::to_chars(chiffres, fin, static_cast<std::uint64_t>(u)).ptr);
        return;
    }
    constexpr std::uint64_t DIX19 = 10000000000000000000ULL;
    const unsigned __int128 haut = u / DIX19;
    const std::uint64_t bas = static_cast<std::uint64_t>(u % DIX19);
    ecritValeur(s, Mot::brut(static_cast<Mot::Brut>(haut)));
    char* p = std::to_chars(chiffres, fin, bas).ptr;
    s.append(19 - static_cast<std::size_t>(p - chiffres), '0');
    s.append(chiffres, p);
}

void ecritValeur(std::string& s, const ZZ& v)
{
    std::ostringstream o;
    o << v;
    s += o.str();
}

// Numbers past 2^53 are strings in JSON, where most readers keep doubles.
template <class T>
bool tientJson(const T& v)
{
    if constexpr (std::is_same_v<T, Mot>)
        return v.v < (Mot::Brut(1) << 53);
    else
        return NTL::NumBits(v) <= 53;
}

}  // namespace

template <class T>
void ecritLigne(std::string& s, const Vec<T>& x, int n, bool json)
{
    if (json)
        s += '[';
    for (int k = 1; k <= n; k++) {
        if (k > 1)
            s += json ? ',' : ' ';
        const bool guillemets = json && !tientJson(x[k]);
        if (guillemets)
            s += '"';
        ecritValeur(s, x[k]);
        if (guillemets)
            s += '"';
    }
    s += json ? "]\n" : "\n";
}

template void ecritLigne(std::string&, const Vec<ZZ>&, int, bool);
template void ecritLigne(std::string&, const Vec<Mot>&, int, bool);

template <class T>
void Recherche::solution(const Vec<T>& x)
{
    const int n = pb.n;
    switch (mode_) {
    case Mode::AFFICHE:
        affiche(x);
        if (pb.L < -1)
            res.x1.prend(x, n);
        break;
    case Mode::LISTE:
        ecritLigne(lignes_, x, n, reglages.lignesJson);
        [[fallthrough]];
    case Mode::COMPTE:
        bilan_.ajoute(x, n, pb.lesDeux);
        break;
    case Mode::RELEVE: {
        Solution s;
        s.prend(x, n);
        releves_.push_back(s.valeurs());
        break;
    }
    }
}

namespace {

Vec<ZZ> versVecZZ(const Vec<ZZ>& x, int) { return x; }
Vec<ZZ> versVecZZ(const Vec<Mot>& x, int n)
{
    Vec<ZZ> v;
    v.SetLength(n + 1);
    for (int k = 0; k <= n; k++)
        enZZ(v[k], x[k]);
    return v;
}

}  // namespace

template <class T>
std::int64_t Recherche::affiche(const Vec<T>& x)
{
    const int n = pb.n;
    const ZZ& L = pb.L;
    res.K1++;
    if (L > 0)
        res.K2++;
    if (L < -1) {
        res.K3++;
        if (L == -res.K3)
            res.K3 = 0;
    }
    if (L > -1 || (L < -1 && res.K3 == 1)) {
        sortie->ligne(res.K1, versVecZZ(x, n), n);
        if (L < -1 && i() >= 0)
            sortie->ligneVide();
    }
    res.m.propose(x[n]);
    if (res.K1 == 1)
        res.m1 = x[1];
    if (res.m1.compare(x[1]) >= 0)
        res.m1 = x[1];
    if (L == res.K2 && L != 0) {
        pb.L = sortie->pause();
        res.K2 = 0;
    }
    return res.K1;
}

std::int64_t Recherche::periodeLignes() const
{
    const ZZ& L = pb.L;
    if (L >= -1)
        return 1;
    const ZZ periode = -L;
    return tient(periode, 62) ? NTL::conv<long>(periode) : INT64_MAX;
}

std::int64_t Recherche::prochaineLigne() const
{
    // Rows go to the solutions that bring K3 to 1.
    const std::int64_t K = periodeLignes();
    if (K == INT64_MAX)
        return res.K3 == 0 ? 1 : INT64_MAX;
    const std::int64_t premier = ((1 - res.K3) % K + K) % K;
    return premier == 0 ? K : premier;
}

bool Recherche::ligneParmi(std::int64_t cnt) const { return cnt >= prochaineLigne(); }

bool Recherche::ajouteBloc(const Bilan& b)
{
    const std::int64_t cnt = b.nombre;
    switch (mode_) {
    case Mode::RELEVE:
    case Mode::LISTE:
        return false;
    case Mode::COMPTE:
        bilan_.ajoute(b);
        return true;
    case Mode::AFFICHE:
        break;
    }
    if (ligneParmi(cnt))
        return false;
    const ZZ periode = -pb.L;
    res.K1 += cnt;
    if (tient(periode, 62)) {
        const std::int64_t K = NTL::conv<long>(periode);
        res.K3 = (res.K3 + cnt) % K;
    } else {
        res.K3 += cnt;
    }
    res.m.propose(b.m.valeur());
    const Valeur x1 = b.derniere.premiere();
    if (res.K1 == cnt || res.m1.compare(x1) >= 0)
        res.m1 = x1;
    res.x1 = b.derniere;
    return true;
}

bool Recherche::versMots()
{
    if (!reglages.raccourcis || zz.i < 0)
        return false;
    const ZZ& grand = pb.P > pb.Q ? pb.P : pb.Q;
    const long bitsProbleme = NTL::NumBits(grand) + NTL::NumBits(ZZ(pb.n)) + 1;
    if (bitsProbleme + 1 > limites::BUDGET_MOTS) {
        compteurs.n[PROBLEME_HORS_MOTS]++;
        return false;
    }
    if (bitsProbleme + NTL::NumBits(zz.D) > limites::BUDGET_MOTS ||
        !tient(zz.N, limites::BUDGET_MOTS))
        return false;
    for (int k = 0; k <= zz.i; k++)
        if (!tient(zz.x[k], limites::BUDGET_MOTS) || !tient(zz.minr[k], limites::BUDGET_MOTS))
            return false;
    for (int k = 0; k <= pb.n; k++) {
        w_.x[k] = k <= zz.i ? enMot(zz.x[k]) : Mot(0);
        w_.minr[k] = k <= zz.i ? enMot(zz.minr[k]) : Mot(0);
    }
    w_.N = enMot(zz.N);
    w_.D = enMot(zz.D);
    w_.i = zz.i;
    surMots_ = true;
    return true;
}

void Recherche::prepareProbleme()
{
    // Beyond words the search stays on ZZ (versMots): the words are unused.
    w_.P = tient(pb.P, 127) ? enMot(pb.P) : Mot(0);
    w_.Q = tient(pb.Q, 127) ? enMot(pb.Q) : Mot(0);
    // A bound above every word never binds on words.
    if (tient(pb.M, 127)) {
        w_.M = enMot(pb.M);
    } else {
        w_.M = 0;
        compteurs.n[BORNE_HORS_MOTS]++;
    }
    w_.x31 = pb.s2 >= 1 && tient(pb.x3[1], 127);
    w_.x3un = w_.x31 ? enMot(pb.x3[1]) : Mot(0);
    zz.P = pb.P;
    zz.Q = pb.Q;
    zz.M = pb.M;
    zz.x31 = pb.s2 >= 1;
    zz.x3un = pb.x3[1];
    const int s2 = pb.seq2 == 1 ? pb.s2 : 0;
    zz.arret.SetLength(s2 + 1);
    w_.arret.SetLength(s2 + 1);
    for (int j = 1; j <= s2; j++) {
        zz.arret[j] = pb.x3[j];
        w_.arret[j] = tient(pb.x3[j], 127) ? enMot(pb.x3[j]) : Mot::brut(~(Mot::Brut(1) << 127));
    }
    arretAVerifier_ = s2 >= 1;
}

void Recherche::finSousArret()
{
    arretAVerifier_ = false;
    const int s2 = static_cast<int>(zz.arret.length()) - 1;
    if (!reglages.finALArret)
        return;
    if (surMots_ ? sousArret(w_.x, w_.arret, w_.i, s2) : sousArret(zz.x, zz.arret, zz.i, s2)) {
        compteurs.n[FIN_A_L_ARRET]++;
        termine();
    }
}

void Recherche::versZZ()
{
    for (int k = 0; k <= pb.n; k++) {
        enZZ(zz.x[k], w_.x[k]);
        enZZ(zz.minr[k], w_.minr[k]);
    }
    enZZ(zz.N, w_.N);
    enZZ(zz.D, w_.D);
    zz.i = w_.i;
    surMots_ = false;
}

const Etat<ZZ>& Recherche::etatZZ()
{
    if (surMots_) {
        for (int k = 0; k <= pb.n; k++) {
            enZZ(zz.x[k], w_.x[k]);
            enZZ(zz.minr[k], w_.minr[k]);
        }
        enZZ(zz.N, w_.N);
        enZZ(zz.D, w_.D);
        zz.i = w_.i;
    }
    return zz;
}

void Recherche::place(int k, const Vec<ZZ>& x, const Vec<ZZ>& minr)
{
    surMots_ = false;
    zz.N = 0;
    zz.D = 1;
    for (int t = 0; t <= k; t++) {
        zz.x[t] = x[t];
        zz.minr[t] = minr[t];
        if (t >= 1) {
            zz.i = t;
            plu(zz);
        }
    }
    zz.i = k;
    versMots();
}

std::pair<Recherche::Prefixe, int> Recherche::placePrefixe(const Vec<ZZ>& v, int k)
{
    ASSERT_LIMITE(k >= 1 && k < pb.n);
    surMots_ = false;
    zz.i = 0;
    zz.N = 0;
    zz.D = 1;
    zz.x[0] = 0;
    for (int j = 1; j <= k; j++) {
        const ZZ& a = v[j];
        if (j > 1 && (pb.type == 2 ? a <= v[j - 1] : a < v[j - 1]))
            return {Prefixe::ORDRE, j};
        if (!convient(pb.parite, a))
            return {Prefixe::PARITE, j};
        const Bornes<ZZ> b = maxi(zz, j - 1, zz.D, zz.N);
        // Under a bound and a stop sequence, nothing below the bound: the
        // search is over (what remains is positive: checked at j - 1).
        if (b.fin) {
            termine();
            return {Prefixe::BON, k};
        }
        // Below its smallest value, 1/a alone reaches what remains.
        if (a < zz.minr[j])
            return {pb.Q * zz.D >= a * b.divis ? Prefixe::SOMME : Prefixe::HORS_BORNES, j};
        if (a > b.haut)
            return {Prefixe::HORS_BORNES, j};
        zz.x[j] = a;
        zz.i = j;
        plu(zz);
    }
    if (pb.P * zz.D <= pb.Q * zz.N)
        return {Prefixe::SOMME, k};
    if (reglages.raccourcis)
        versMots();
    return {Prefixe::BON, k};
}

Avancement Recherche::avancement() const
{
    Avancement a;
    a.solutions = res.K1;
    a.partiel = pb.L < -1;
    const int profondeur = std::min({repere.length() > 0 ? static_cast<int>(repere.length()) - 1 : i(), 3, pb.n});
    a.premieres.SetLength(std::max(profondeur, 0) + 1);
    for (int k = 1; k <= profondeur; k++)
        a.premieres[k] = repere.length() > k ? repere[k] : surMots_ ? enZZ(w_.x[k]) : zz.x[k];
    return a;
}

void Recherche::compteDesPas(std::int64_t nombre)
{
    pasFaits_ += nombre;
    if (budget_ != nullptr) {
        if (budget_->fetch_sub(nombre, std::memory_order_relaxed) < nombre)
            throw TropDePas();
    } else if (reglages.pasMax != 0 && pasFaits_ > reglages.pasMax) {
        throw TropDePas();
    }
}

// For the step machine (machine.cpp), which shows the solutions it meets.
template void Recherche::solution(const Vec<ZZ>&);
template void Recherche::solution(const Vec<Mot>&);

}  // namespace fractions_unitaires::moteur
