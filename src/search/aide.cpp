// The second core of a long count: a forked helper process counts whole
// subtrees from the end of the search while the search walks from its start.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iostream>
#include <new>
#include <vector>

#include "search/mots.h"
#include "search/recherche.h"

int nAide = 7;

namespace {

const int NMAXAIDE = 24;                 // the helper serves n up to this
const std::uint32_t ENTREES = 1u << 15;  // and this many subtrees at most

// The state of the search at the first step of a subtree: x[1..k] fixed,
// i = k, nothing below.
struct Prefixe {
    int k = 0;
    Mot x[NMAXAIDE + 1] = {};
    Mot minr[NMAXAIDE + 1] = {};
    Mot N = 0, D = 1;
};

// What the helper found in one subtree, and where the search left it.
struct Resultat {
    std::atomic<int> etat;  // 0 pending, 1 ready, 2 not usable
    std::int64_t nombre;
    Mot plusGrand;
    Mot dernier[NMAXAIDE + 1];
    int i;
    Mot x[NMAXAIDE + 1];
    Mot N, D;
};

// Shared by both processes. The subtrees [devant, derriere) of the list are
// still free: the search takes them from the front, the helper from the back.
struct Partage {
    std::atomic<std::uint64_t> bornes;
    Resultat resultats[ENTREES];
};

std::vector<Prefixe> liste;
Partage* partage = nullptr;
pid_t enfant = 0;
std::size_t suivant = 0;  // the next subtree the search expects

bool memePrefixe(const Prefixe& p)
{
    for (int t = p.k; t >= 1; t--)
        if (w.x[t] != p.x[t])
            return false;
    return true;
}

void place(const Prefixe& p)
{
    for (int t = 1; t <= p.k; t++) {
        w.x[t] = p.x[t];
        w.minr[t] = p.minr[t];
    }
    w.N = p.N;
    w.D = p.D;
    i = p.k;
    w.prefixe++;
}

int pas() { return type == 2 ? suite2Mot() : suiteMot(); }
int recul() { return type == 2 ? arriere2Mot() : arriereMot(); }

// The subtrees at depth k in the order the search meets them, from the
// present state until the search leaves x[1..garde] (the whole search when
// garde is 0): each is recorded instead of searched, and the search goes
// on as if it were exhausted. False when the list or the walk would be too
// long or the words overflow. The state is left as it was.
bool marche(int k, int garde, std::vector<Prefixe>& sortie)
{
    const Mots copie = w;
    const int iCopie = i;
    Prefixe depart;
    for (int t = 1; t <= garde; t++)
        depart.x[t] = w.x[t];
    depart.k = garde;
    w.compte = true;
    bool bon = true;
    // The walk is a small part of the search, or not worth a helper.
    long pasRestants = 1000000;
    while (i >= 0 && i >= garde && (garde == 0 || memePrefixe(depart))) {
        if (!w.actif || sortie.size() >= ENTREES || --pasRestants == 0) {
            bon = false;
            break;
        }
        if (i == k) {
            Prefixe p;
            p.k = k;
            for (int t = 1; t <= k; t++) {
                p.x[t] = w.x[t];
                p.minr[t] = w.minr[t];
            }
            p.N = w.N;
            p.D = w.D;
            sortie.push_back(p);
            recul();
        } else {
            pas();
        }
    }
    w = copie;
    i = iCopie;
    return bon;
}

// Claims a free subtree: the first one from the front at `indice` (false
// when the helper has it), or the last one from the back.
bool prendDevant(std::uint32_t indice)
{
    std::uint64_t b = partage->bornes.load();
    for (;;) {
        const std::uint32_t derriere = static_cast<std::uint32_t>(b);
        if (indice >= derriere)
            return false;
        const std::uint64_t nouveau = (std::uint64_t(indice + 1) << 32) | derriere;
        if (partage->bornes.compare_exchange_weak(b, nouveau))
            return true;
    }
}

bool prendDerriere(std::uint32_t& indice)
{
    std::uint64_t b = partage->bornes.load();
    for (;;) {
        const std::uint32_t devant = static_cast<std::uint32_t>(b >> 32);
        const std::uint32_t derriere = static_cast<std::uint32_t>(b);
        if (derriere <= devant)
            return false;
        if (partage->bornes.compare_exchange_weak(b, (std::uint64_t(devant) << 32) | (derriere - 1))) {
            indice = derriere - 1;
            return true;
        }
    }
}

// The helper: whole subtrees from the back, counted without being shown.
[[noreturn]] void aide()
{
    w.compte = true;
    std::uint32_t j;
    while (prendDerriere(j)) {
        const Prefixe& p = liste[j];
        Resultat& r = partage->resultats[j];
        place(p);
        w.actif = true;
        w.nombre = 0;
        w.plusGrand = 0;
        while (w.actif && i >= p.k && memePrefixe(p))
            pas();
        if (!w.actif) {
            r.etat.store(2);
            continue;
        }
        r.nombre = w.nombre;
        r.plusGrand = w.plusGrand;
        for (int t = 1; t <= n && w.nombre > 0; t++)
            r.dernier[t] = w.dernier[t];
        r.i = i;
        for (int t = 1; t <= p.k; t++)
            r.x[t] = w.x[t];
        r.N = w.N;
        r.D = w.D;
        r.etat.store(1);
    }
    _exit(0);
}

// Whether a row of the partial table would be printed among the next
// `nombre` solutions: rows go to the solutions that bring K3 to 1.
bool ligneDedans(std::int64_t nombre)
{
    const ZZ periode = -L;
    if (periode > (ZZ(1) << 62))
        return K3 + nombre >= (std::int64_t(1) << 62) || (K3 < 1 && K3 + nombre >= 1);
    const std::int64_t k = NTL::conv<long>(periode);
    std::int64_t premier = ((1 - K3) % k + k) % k;
    if (premier == 0)
        premier = k;
    return nombre >= premier;
}

// Takes the helper's count of a subtree as if the search had walked it.
bool prend(const Prefixe& p, const Resultat& r)
{
    for (int t = 1; t <= p.k; t++)
        if (w.minr[t] != p.minr[t])
            return false;
    if (w.N != p.N || w.D != p.D || ligneDedans(r.nombre))
        return false;
    if (r.nombre > 0) {
        const ZZ k = -L;
        K1 += r.nombre;
        K3 = static_cast<std::int64_t>(NTL::conv<long>((ZZ(K3) + r.nombre) % k));
        for (int t = 1; t <= n; t++)
            enZZ(x1[t], r.dernier[t]);
        ZZ grand;
        enZZ(grand, r.plusGrand);
        if (m <= grand)
            m = grand;
        if (K1 == r.nombre || m1 >= x1[1])
            m1 = x1[1];
    }
    for (int t = 1; t <= p.k; t++)
        w.x[t] = r.x[t];
    w.N = r.N;
    w.D = r.D;
    i = r.i;
    w.prefixe++;
    return true;
}

}  // namespace

void aideDebut()
{
    liste.clear();
    suivant = 0;
    const int k = n - 4;
    if (!raccourcis || pasMax != 0 || L >= -1 || seq2 != 0 || n < nAide || n > NMAXAIDE || i > k ||
        i < 0 || !(w.actif || versMots()))
        return;
    if (!marche(k, 0, liste) || liste.size() < 2)
        return;
    // The last subtrees are the largest (the smallest first unknowns leave
    // the most room): the last one is split one level deeper.
    {
        const Mots copie = w;
        const int iCopie = i;
        place(liste.back());
        std::vector<Prefixe> fin;
        const bool bon = marche(k + 1, k, fin);
        w = copie;
        i = iCopie;
        if (bon && fin.size() > 1 && liste.size() - 1 + fin.size() <= ENTREES) {
            liste.pop_back();
            liste.insert(liste.end(), fin.begin(), fin.end());
        }
    }
    // A fresh shared mapping is zero-filled: every result starts pending.
    void* zone = mmap(nullptr, sizeof(Partage), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (zone == MAP_FAILED) {
        liste.clear();
        return;
    }
    partage = new (zone) Partage;
    partage->bornes.store(liste.size());
    std::cout.flush();
    const pid_t parent = getpid();
    enfant = fork();
    if (enfant == 0) {
        // The helper must not outlive the search, however the search ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(0);
        aide();
    }
    if (enfant < 0)
        aideFin();
}

void aideEtape()
{
    // The subtrees begin at depth n-4 or n-3; most steps are deeper.
    if (partage == nullptr || i < n - 4 || i > n - 3)
        return;
    while (partage != nullptr && suivant < liste.size() && w.actif) {
        // The search meets the subtrees in the order of the list, but may
        // pass some by (a run of equal values lowered at once): look a few
        // ahead.
        std::size_t j = suivant;
        const std::size_t fin = std::min(liste.size(), suivant + 64);
        while (j < fin && !(i == liste[j].k && memePrefixe(liste[j])))
            j++;
        if (j == fin)
            return;
        suivant = j + 1;
        if (prendDevant(static_cast<std::uint32_t>(j)))
            return;  // the search walks this subtree itself
        Resultat& r = partage->resultats[j];
        while (r.etat.load() == 0) {
            int statut;
            if (waitpid(enfant, &statut, WNOHANG) == enfant) {
                enfant = 0;
                aideFin();
                return;
            }
            usleep(100);
        }
        if (r.etat.load() != 1 || !prend(liste[j], r))
            return;
    }
}

void aideFin()
{
    if (enfant > 0) {
        kill(enfant, SIGKILL);
        waitpid(enfant, nullptr, 0);
    }
    enfant = 0;
    if (partage != nullptr) {
        partage->~Partage();
        munmap(partage, sizeof(Partage));
    }
    partage = nullptr;
    liste.clear();
}
