// The shortcuts (words, the closing of pairs, shared counts) change nothing
// that the program prints. Sessions are built around a known near-greedy
// solution whose last unknowns have sizes at the edges of every limit
// (2^31, 2^62 .. 2^64, 2^120 .. 2^128, 2^200, give or take a few), with start
// and stop sequences that keep the walk short and bounds just below, at and
// above xn; small random sessions are added. Each runs with the shortcuts
// (one thread, and shared between 1, 2 and 5 workers) and on the plain step
// machine on ZZ: the outputs must be the same byte for byte, and every
// fallback and guard must have been taken.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "../outils.h"

using namespace fractions_unitaires::moteur;
using namespace fractions_unitaires::interactif;

namespace {

using NTL::ZZ;

class Generateur {
public:
    explicit Generateur(std::uint64_t graine) : alea_(graine) {}

    int entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(alea_); }

    // A number near an edge: 2^k give or take a few, a small number, or a
    // product of two primes of half its size (which Pollard's rho splits).
    ZZ bord()
    {
        static const int bits[] = {3, 8, 16, 20, 31, 32, 33, 40, 61, 62, 63, 64, 65};
        const int b = bits[entre(0, 12)];
        if (b >= 20 && entre(0, 3) == 0) {
            ZZ p, q;
            NTL::NextPrime(p, (ZZ(1) << (b / 2)) + entre(0, 999));
            NTL::NextPrime(q, (ZZ(1) << (b - b / 2)) + entre(0, 999));
            return p * q;
        }
        ZZ v = ZZ(1) << b;
        v += entre(-3, 3);
        return v < 2 ? ZZ(2) : v;
    }

    // One calculation around unknowns close to each other, searched from
    // the start: a bound at the largest and a stop value just below x1 end
    // the search after a few steps, while the products of the sum pass
    // 2^127 on the way down.
    std::string presqueEgales()
    {
        const int type = entre(1, 2);
        const int n = entre(3, 4);
        const int parite = entre(0, 3) == 0 ? entre(1, 2) : 0;
        const int z = parite == 0 ? 1 : 2;
        ZZ a = bord();
        if ((parite == 1 && !IsOdd(a)) || (parite == 2 && IsOdd(a)))
            a += 1;
        ZZ p(0), q(1), x = a;
        for (int k = 1; k <= n; k++) {
            p = p * x + q;
            q *= x;
            if (type == 2 || k == 1)
                x += z * entre(1, 2);
        }
        x -= type == 2 ? z : 0;
        std::ostringstream s;
        s << type << " " << n << " " << p << " " << q << " 1 " << parite << " 0 1 " << a - z << " 0 "
          << x + z * entre(0, 1) << " " << (entre(0, 1) ? "0" : "-1000000000") << " ";
        return s.str();
    }

    // Bounds around xn and past every word limit.
    ZZ borne(const ZZ& xn)
    {
        switch (entre(0, 9)) {
        case 0: return xn - 1;
        case 1: return xn;
        case 2: return xn + 1;
        case 3: return (ZZ(1) << 126) + entre(-2, 2);
        case 4: return (ZZ(1) << 127) + entre(-2, 2);
        case 5: return (ZZ(1) << 128) + entre(-2, 2);
        case 6: return ZZ(1) << 200;
        default: return ZZ(0);
        }
    }

    // One calculation around a near-greedy solution: x1 .. x(n-2) each the
    // smallest value its remainder admits, u the start of a walk of a few
    // values, v about u^2/k, so that v has twice the size of u.
    std::string autourDUneSolution()
    {
        const int type = entre(1, 2);
        const int n = entre(2, 4);
        const int parite = entre(0, 3) == 0 ? entre(1, 2) : 0;
        const int z = parite == 0 ? 1 : 2;
        auto ajuste = [&](ZZ& v) {
            if ((parite == 1 && !IsOdd(v)) || (parite == 2 && IsOdd(v)))
                v += 1;
        };
        ZZ u = bord();
        ajuste(u);
        ZZ v = u * u / entre(1, 8) + entre(0, 5);
        if (v <= u)
            v = u + z;
        ajuste(v);
        std::vector<ZZ> x(n + 1);
        x[n - 1] = u;
        x[n] = v;
        // The prefix, from the last unknown of it up: each below the square
        // root of the next, so that it is the smallest value admitted.
        for (int k = n - 2; k >= 1; k--) {
            ZZ r = SqrRoot(x[k + 1] / 2);
            if (r < 2)
                r = 2;
            if (entre(0, 2) == 0 && r > 8)
                r = ZZ(entre(2, 8));
            ajuste(r);
            x[k] = r;
        }
        ZZ p(0), q(1);
        for (int k = 1; k <= n; k++) {
            p = p * x[k] + q;
            q *= x[k];
        }
        std::ostringstream s;
        s << type << " " << n << " " << p << " " << q << " 1 " << parite << " ";
        // The prefix alone, and a bound just above u that starts the walk
        // of x(n-1) there: the search runs on words until the sum grows.
        const bool basse = entre(0, 3) == 0;
        s << (n > 2 || !basse ? "1 " : "0 ");
        for (int k = 1; k <= n - 2; k++)
            s << x[k] << " ";
        if (basse && n > 2)
            s << "0 ";
        else if (!basse)
            s << u + z * entre(0, 3) << " ";
        if (entre(0, 2) == 0) {
            s << "1 ";
            for (int k = 1; k <= n - 2; k++)
                s << x[k] << " ";
            const ZZ arret = u - z * entre(0, 3);
            s << (arret > 0 ? arret : ZZ(1)) << " ";
        } else {
            s << "0 ";
        }
        s << (basse ? u + z * entre(1, 4) : borne(v)) << " ";
        const long ks[] = {0, -1000000000, -3, -2};
        s << ks[entre(0, 3)] << " ";
        return s.str();
    }

    // A small problem of any kind, as a user would type it.
    std::string petite()
    {
        std::ostringstream s;
        const int n = entre(2, 5);
        s << entre(1, 2) << " " << n << " " << entre(1, 13) << " " << entre(1, 13) << " ";
        if (entre(0, 2) > 0) {
            s << "1 " << entre(0, 2) << " 0 0 " << (entre(0, 1) ? 0 : entre(n, 60)) << " ";
        } else {
            s << "0 ";
        }
        const long ks[] = {0, -1000000000, -3, -7, 2};
        s << ks[entre(0, 4)] << " 0 0 0 0 ";
        return s.str();
    }

private:
    std::mt19937_64 alea_;
};

// One calculation, then no other.
std::string reponses(const std::string& calcul) { return "0 " + calcul + "0"; }

}  // namespace

TEST(Raccourcis, SameOutputEverywhereAndEveryPathTaken)
{
    Generateur g(std::getenv("GRAINE") ? std::strtoull(std::getenv("GRAINE"), nullptr, 10) : 20261207);
    Compteurs compteurs;
    int comparees = 0, essais = 0;
    // The limits of the closing lowered, so that the sieve, its windows,
    // the factorisation of single values and each guard of the closing
    // all run on small problems.
    Reglages crible;
    crible.bitsCrible = 6;
    crible.fenetre = 8;
    crible.marcheCourte = 3;
    Reglages gardes;
    gardes.bitsFactorisation = 6;
    gardes.bitsD = 16;
    gardes.bitsC = 5;
#ifdef ESSAIS_LEGERS
    const int essaisVoulus = 300;  // under the sanitizers: every path is still taken
#else
    const int essaisVoulus = 700;
#endif
    for (int t = 0; t < (std::getenv("ESSAIS") ? std::atoi(std::getenv("ESSAIS")) : essaisVoulus); t++) {
        const bool bord = t % 3 != 2;
        const std::string r =
            reponses(!bord ? g.petite() : t % 3 == 0 ? g.autourDUneSolution() : g.presqueEgales());
        essais++;
        if (std::getenv("TRACE"))
            std::cerr << t << ": " << r << std::endl;
        Reglages rapide = bord ? Reglages() : t % 2 == 0 ? crible : gardes;
        rapide.pasMax = 200000;
        rapide.empreintes = false;  // as the interactive program runs
        const Session avec = session(r, rapide);
        if (!avec.complete)
            continue;
        Reglages lent = sansRaccourcis();
        lent.pasMax = 200000;
        const Session sans = session(r, lent);
        if (!sans.complete)
            continue;
        comparees++;
        ASSERT_EQ(avec.sortie, sans.sortie) << r;
        ASSERT_EQ(avec.statut, sans.statut) << r;
        compteurs.ajoute(avec.compteurs);
        for (int travailleurs : {1, 2, 5}) {
            Reglages partage = partageForce(travailleurs);
            partage.bitsCrible = rapide.bitsCrible;
            partage.fenetre = rapide.fenetre;
            partage.marcheCourte = rapide.marcheCourte;
            partage.bitsFactorisation = rapide.bitsFactorisation;
            partage.bitsD = rapide.bitsD;
            partage.bitsC = rapide.bitsC;
            partage.empreintes = false;
            const Session partagee = session(r, partage);
            ASSERT_EQ(partagee.sortie, sans.sortie) << r << " (" << travailleurs << " workers)";
            compteurs.ajoute(partagee.compteurs);
        }
    }
    EXPECT_GT(comparees, essais * 3 / 4);
    std::ostringstream bilan;
    for (int k = 0; k < NB_CHEMINS; k++) {
        bilan << "  " << NOMS_CHEMINS[k] << ": " << compteurs.n[k] << "\n";
        EXPECT_GT(compteurs.n[k], 0) << NOMS_CHEMINS[k] << " never taken";
    }
    std::cout << "[ chemins ] " << comparees << " sessions compared\n" << bilan.str();
}

// The faults found with large bounds: solutions above 2^120 were lost.
TEST(Raccourcis, SolutionsAboveTwoToThe120)
{
    const char* sessions[] = {
        "0 1 3 1 1073741824 1 0 1 1073741825 1152921505680588801 0 10000000000000000000000000000000000000 0 0",
        "0 1 3 2 2147483647 1 0 1 1073741824 2305843008139952130 1 1073741824 2305843008139952128 "
        "2658455989093951670119157331205816320 -1000000000 0",
        "0 2 3 1 1073741825 1 0 1 1073741826 1152921507828072451 0 1329228523218348615544700586772408347 3 0 0",
    };
    const char* xn[] = {"1329227998260795953780410620366028800", "2658455989093951670119157331205816320",
                        "1329228003212556124756989790277074950"};
    for (int t = 0; t < 3; t++) {
        const Session s = session(sessions[t]);
        EXPECT_EQ(admet(s.sortie), 1) << sessions[t];
        const auto l = lignes(s.sortie);
        ASSERT_FALSE(l.empty());
        EXPECT_EQ(l[0].back(), NTL::conv<ZZ>(xn[t]));
    }
}
