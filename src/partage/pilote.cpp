// The driver of a search, and the interactive table's share of a long
// count: units merged in order, the rare rows shown from where they lie.
#include "partage/pilote.h"

#include "partage/partage.h"

namespace fractions_unitaires::moteur {

int recherche(Recherche& r) { return Conduite::recherche(r); }

int Conduite::recherche(Recherche& r)
{
    if (!r.debut())
        return 0;
    while (r.i() >= 0) {
        if (r.pb.L == -1)
            return 0;  // stopped by the user: no summary
        if (partageable(r)) {
            partage(r);
            continue;
        }
        r.pas();
        // The clock is read only every 4096 steps: a step is much cheaper.
        if ((r.pasFaits() & 4095) == 0)
            r.sortie->progres(r.avancement());
    }
    r.conclut();
    return 0;
}

bool Conduite::partageable(const Recherche& r)
{
    const Probleme& pb = r.pb;
    if (!r.reglages.raccourcis || r.mode() != Mode::AFFICHE || r.partageInterdit() || pb.n < 3 ||
        pb.L >= -1 || r.pasFaits() < r.reglages.pasAvantPartage)
        return false;
    // Rows must be rare, or most units would be walked twice to show them.
    if (-pb.L < r.reglages.periodePartage)
        return false;
    const int i = r.i();
    return i >= 0 && i <= pb.n - 2;
}

bool Conduite::fusionne(Recherche& r, const Unite& u, const Resultat& res)
{
    r.compteurs.ajoute(res.compteurs);
    if (r.durees != nullptr)
        r.durees->push_back(res.secondes);
    if (!res.conforme) {
        // The cutting walk went wrong: the search goes on alone from the
        // start of this unit, everything before it merged.
        r.place(u.k, u.x, u.minr);
        r.interditPartage();
        return false;
    }
    const std::int64_t nombre = res.bilan.nombre;
    if (nombre > 0 && r.prochaineLigne() == 1 && nombre - 1 < r.periodeLignes()) {
        // The unit's only row is its first solution, which the worker kept:
        // shown from there, without walking the unit again.
        r.compteurs.n[PARTAGE_UNITE]++;
        r.montreReleve(res.bilan.premiere.valeurs());
        if (nombre > 1) {
            Bilan reste = res.bilan;
            reste.nombre--;
            r.ajouteBloc(reste);
        }
    } else if (r.ligneParmi(nombre)) {
        r.compteurs.n[PARTAGE_MARCHE]++;
        const bool conforme = parcoursUnite(r, u);
        if (r.i() < 0)
            return false;
        if (!conforme) {
            r.interditPartage();
            return false;
        }
        return true;
    } else {
        r.compteurs.n[PARTAGE_UNITE]++;
        if (nombre > 0)
            r.ajouteBloc(res.bilan);
    }
    if (res.bilan.finie) {
        r.termine();
        return false;
    }
    return true;
}

void Conduite::partage(Recherche& r)
{
    // The status line shows the unit being merged, while the sharing lasts.
    struct Repere {
        Recherche& r;
        ~Repere() { r.repere.SetLength(0); }
    } repere{r};
    std::atomic<std::int64_t> budget{r.reglages.pasMax - r.pasFaits()};
    Decoupe decoupe(r.pb, r.reglages, r.etatZZ(), r.reglages.unite);
    Equipe equipe(r.pb, r.reglages, travailleurs(r.reglages.travailleurs), Mode::COMPTE,
                  r.reglages.pasMax != 0 ? &budget : nullptr);
    Chantier chantier(decoupe, equipe);
    while (!chantier.fini()) {
        const std::optional<Chantier::Livraison> l = chantier.suivante();
        if (!l)
            continue;
        for (const Vec<ZZ>& s : l->unite.avant)
            r.montreReleve(s);
        if (!fusionne(r, l->unite, l->resultat))
            return;
        r.repere = l->unite.x;
        if (r.sortie != nullptr)
            r.sortie->progres(r.avancement());
    }
    for (const Vec<ZZ>& s : decoupe.finales)
        r.montreReleve(s);
    r.termine();
}

}  // namespace fractions_unitaires::moteur
