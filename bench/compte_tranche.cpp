// For the benchmarks: counts on one thread the solutions whose first
// values lie from a start sequence down to a stop sequence (a slice of a
// walk, as the interactive program's two sequences give it), of type 1, 2
// or both at once, and prints the solutions of each type, the prefixes
// closed and the CPU seconds, and the fingerprint of each type. With
// "recount", the slice is counted by the recount of --verify (the plain
// step machine on ZZ, its pairs from every divisor of d^2), which closes
// no prefix of its own.
//   compte-tranche TYPE N P/Q START STOP [recount]
//                         (START, STOP: values x1,x2,..., or both "-" for
//                          the whole count)
#include <ctime>
#include <iostream>
#include <sstream>

#include "moteur/enonce.h"

using namespace fractions_unitaires::moteur;

namespace {

Vec<ZZ> valeurs(const std::string& texte, int n, int& s)
{
    Vec<ZZ> v;
    v.SetLength(n + 1);
    std::istringstream flux(texte);
    std::string mot;
    s = 0;
    while (std::getline(flux, mot, ',') && s < n)
        v[++s] = NTL::conv<ZZ>(mot.c_str());
    return v;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool recompte = argc == 7 && std::string(argv[6]) == "recount";
    if (argc != 6 && !recompte) {
        std::cerr << "usage: compte-tranche 1|2|both N P/Q START STOP [recount]\n";
        return 2;
    }
    try {
        Enonce e;
        const std::string type = argv[1];
        e.lesDeux = type == "both";
        e.type = type == "2" ? 2 : 1;
        e.n = std::atoi(argv[2]);
        std::tie(e.P, e.Q) = lisFraction(argv[3]);
        verifie(e);
        Probleme pb = probleme(e);
        const bool tout = std::string(argv[4]) == "-";
        if (!tout) {
            pb.tri = pb.seq = pb.seq2 = 1;
            pb.x2 = valeurs(argv[4], pb.n, pb.s);
            pb.x3 = valeurs(argv[5], pb.n, pb.s2);
        }
        Recherche r;
        r.reglages.travailleurs = 1;
        r.reglages.raccourcis = !recompte;
        r.reglages.recompte = recompte;
        r.installe(pb, r.reglages, Mode::COMPTE);
        if (!tout && r.placePrefixe(pb.x2, pb.s).first != Recherche::Prefixe::BON) {
            std::cerr << "compte-tranche: no solution begins with the start values\n";
            return 2;
        }
        const std::clock_t debut = std::clock();
        const Bilan b = r.parcourt();
        const double cpu = static_cast<double>(std::clock() - debut) / CLOCKS_PER_SEC;
        std::cout << b.nombre << " " << (e.lesDeux ? b.distinctes.nombre : 0) << " "
                  << r.compteurs.n[PREFIXES] << " " << cpu << " " << b.empreinte.texte() << " "
                  << b.distinctes.empreinte.texte() << "\n";
    } catch (const Erreur& err) {
        std::cerr << "compte-tranche: " << err.message << "\n";
        return 2;
    }
    return 0;
}
