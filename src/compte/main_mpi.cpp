// fractions-compte-mpi: the batch counter on many machines. Run as
// mpiexec -n R fractions-compte-mpi [the options of fractions-compte]:
// rank 0 cuts the count into work units and hands them out on demand, the
// largest waiting first, merges the results in order, writes the
// checkpoints and prints the result; every other rank counts the units it
// is given with all its cores. Merges, estimates and listings run on rank
// 0 alone.
#include <mpi.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>
#include <vector>

#include "compte/commande.h"
#include "compte/signaux.h"
#include "partage/partage.h"
#include "recherche/recherche.h"

namespace fractions_unitaires::lot {
using namespace fractions_unitaires::moteur;

namespace {

enum Etiquette {
    DEMANDE = 1,   // a rank can take this many more units (an int)
    UNITE = 2,     // a unit, as JSON text
    RESULTAT = 3,  // a unit's result, as JSON text
    FIN = 4,       // no more units
};

void envoie(const std::string& texte, int rang, int etiquette)
{
    MPI_Send(texte.data(), static_cast<int>(texte.size()), MPI_CHAR, rang, etiquette, MPI_COMM_WORLD);
}

std::string recoit(const MPI_Status& etat)
{
    int taille = 0;
    MPI_Get_count(&etat, MPI_CHAR, &taille);
    std::string texte(static_cast<std::size_t>(taille), '\0');
    MPI_Recv(texte.data(), taille, MPI_CHAR, etat.MPI_SOURCE, etat.MPI_TAG, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    return texte;
}

nlohmann::json vecteur(const Vec<ZZ>& v)
{
    nlohmann::json a = nlohmann::json::array();
    for (long k = 0; k < v.length(); k++)
        a.push_back(nombreJson(v[k]));
    return a;
}

Vec<ZZ> vecteur(const nlohmann::json& a)
{
    Vec<ZZ> v;
    v.SetLength(static_cast<long>(a.size()));
    for (long k = 0; k < v.length(); k++)
        v[k] = nombreDeJson(a[static_cast<std::size_t>(k)]);
    return v;
}

std::string enTexte(const Unite& u)
{
    return nlohmann::json{{"i", u.indice}, {"k", u.k}, {"x", vecteur(u.x)}, {"m", vecteur(u.minr)},
                          {"b", nombreJson(u.bas)}}
        .dump();
}

Unite uniteDe(const std::string& texte)
{
    const nlohmann::json j = nlohmann::json::parse(texte);
    Unite u;
    u.indice = j.at("i").get<std::int64_t>();
    u.k = j.at("k").get<int>();
    u.x = vecteur(j.at("x"));
    u.minr = vecteur(j.at("m"));
    u.bas = nombreDeJson(j.at("b"));
    return u;
}

// Rank 0's side: units wait here until a rank asks for them.
class Distribution : public Atelier {
public:
    // Every rank says first how many threads it has: the units worth
    // keeping in hand.
    Distribution(int rangs, int n, bool lesDeux) : n_(n), lesDeux_(lesDeux), demandes_(rangs, 0), fils_(rangs, 0)
    {
        int total = 0;
        for (std::size_t r = 1; r < fils_.size(); r++) {
            MPI_Status etat;
            MPI_Probe(static_cast<int>(r), DEMANDE, MPI_COMM_WORLD, &etat);
            int n = 0;
            MPI_Recv(&n, 1, MPI_INT, static_cast<int>(r), DEMANDE, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
            fils_[r] = n;
            demandes_[r] = 2 * n;
            total += n;
        }
        places_ = std::max(1, total) * limites::AVANCE_PAR_TRAVAILLEUR;
    }

    int places() const override { return places_; }

    void confie(const Unite& u) override
    {
        attente_.push_back(u);
        sert();
    }

    std::vector<std::pair<std::int64_t, Resultat>> recolte(bool attendre) override
    {
        std::vector<std::pair<std::int64_t, Resultat>> faits;
        const auto debut = std::chrono::steady_clock::now();
        for (;;) {
            MPI_Status etat;
            int present = 0;
            MPI_Iprobe(MPI_ANY_SOURCE, MPI_ANY_TAG, MPI_COMM_WORLD, &present, &etat);
            if (!present) {
                // Waiting for a result: a moment at most, so that a signal
                // is seen at once.
                if (!attendre || !faits.empty() || std::chrono::steady_clock::now() - debut > limites::ATTENTE)
                    return faits;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (etat.MPI_TAG == DEMANDE) {
                int k = 0;
                MPI_Recv(&k, 1, MPI_INT, etat.MPI_SOURCE, DEMANDE, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
                demandes_[static_cast<std::size_t>(etat.MPI_SOURCE)] += k;
                sert();
            } else {
                const nlohmann::json j = nlohmann::json::parse(recoit(etat));
                Resultat res;
                res.bilan = bilanDeJson(j.at("b"), n_, lesDeux_);
                faits.emplace_back(j.at("i").get<std::int64_t>(), std::move(res));
            }
        }
    }

    void termine()
    {
        for (std::size_t r = 1; r < demandes_.size(); r++)
            envoie("", static_cast<int>(r), FIN);
    }

private:
    // The largest waiting unit to each rank that asked, while there are.
    void sert()
    {
        for (std::size_t r = 1; r < demandes_.size() && !attente_.empty(); r++) {
            while (demandes_[r] > 0 && !attente_.empty()) {
                const auto plus = std::max_element(attente_.begin(), attente_.end(),
                                                   [](const Unite& a, const Unite& b) {
                                                       return a.estimation < b.estimation;
                                                   });
                envoie(enTexte(*plus), static_cast<int>(r), UNITE);
                attente_.erase(plus);
                demandes_[r]--;
            }
        }
    }

    const int n_;
    const bool lesDeux_;  // units' results hold both types
    int places_ = 1;
    std::vector<int> demandes_, fils_;
    std::deque<Unite> attente_;
};

// A counting rank: units in, results out, with every core.
void compteAutreRang(const Demande& d)
{
    int fils = travailleurs(d.options.travailleurs);
    MPI_Send(&fils, 1, MPI_INT, 0, DEMANDE, MPI_COMM_WORLD);
    Equipe equipe(probleme(d.enonce), Reglages(), fils);
    // A signal to the whole job (mpiexec's, a scheduler's) reaches rank 0
    // too: this rank lives on a moment, so that rank 0 saves what is
    // finished before the job is torn down, then ends as the signal asks.
    std::unique_ptr<Interruption> interruption;
    if (!d.options.point.empty())
        interruption = std::make_unique<Interruption>();
    std::chrono::steady_clock::time_point signale;
    for (;;) {
        if (Interruption::recu() != 0) {
            const auto maintenant = std::chrono::steady_clock::now();
            if (signale == std::chrono::steady_clock::time_point())
                signale = maintenant;
            else if (maintenant - signale > limites::SURSIS_RANG)
                Interruption::termine(Interruption::recu());
        }
        bool actif = false;
        int rendus = 0;
        for (auto& [indice, res] : equipe.recolte(false)) {
            if (res.erreur)
                std::rethrow_exception(res.erreur);
            envoie(nlohmann::json{{"i", indice}, {"b", bilanJson(res.bilan, d.enonce.lesDeux)}}.dump(), 0, RESULTAT);
            rendus++;
            actif = true;
        }
        if (rendus > 0)
            MPI_Send(&rendus, 1, MPI_INT, 0, DEMANDE, MPI_COMM_WORLD);
        int present = 0;
        MPI_Status etat;
        MPI_Iprobe(0, MPI_ANY_TAG, MPI_COMM_WORLD, &present, &etat);
        if (present) {
            const std::string texte = recoit(etat);
            if (etat.MPI_TAG == FIN)
                return;
            equipe.confie(uniteDe(texte));
            actif = true;
        }
        if (!actif)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

}  // namespace fractions_unitaires::lot

using namespace fractions_unitaires::lot;

int main(int argc, char** argv)
{
    int fourni = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &fourni);
    int rang = 0, rangs = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rang);
    MPI_Comm_size(MPI_COMM_WORLD, &rangs);
    int statut;
    if (rang == 0) {
        statut = commande(argc, argv, [](Demande& d, std::ostream& sortie) {
            int rangs = 1;
            MPI_Comm_size(MPI_COMM_WORLD, &rangs);
            if (rangs < 2 || !d.fusion.empty() || d.estimation || d.liste) {
                execute(d, sortie);
                return;
            }
            Distribution distribution(rangs, d.enonce.n, d.enonce.lesDeux);
            struct Fin {
                Distribution& d;
                ~Fin() { d.termine(); }
            } fin{distribution};
            execute(d, sortie, &distribution);
        });
        // Ranks still waiting for work when rank 0 stopped early are told.
        if (statut != 0 || rangs < 2)
            for (int r = 1; r < rangs; r++)
                envoie("", r, FIN);
    } else {
        statut = commande(
            argc, argv,
            [](Demande& d, std::ostream&) {
                if (d.fusion.empty() && !d.estimation && !d.liste)
                    compteAutreRang(d);
            },
            false);
    }
    MPI_Finalize();
    return statut;
}
