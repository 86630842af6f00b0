// The enumeration of both types checked against a plain recursive search
// over exact fractions, and against tables of known solutions.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "outils.h"

namespace {

using Solution = std::vector<ZZ>;
using Liste = std::vector<Solution>;

// ---------------------------------------------------------------------------
// Reference: a recursive search over the remainder a/b (in lowest terms),
// kept as simple as possible. Each unknown runs from its largest possible
// value down, so the solutions come out in decreasing lexicographic order.
// ---------------------------------------------------------------------------
struct Probleme {
    int type;     // 1: x1 <= ... <= xn, 2: x1 < ... < xn
    int n;
    long p, q;
    int parite;   // 0 any, 1 all odd, 2 all even
    long borne;   // largest value allowed for every unknown, 0 = none
};

bool bonneParite(const ZZ& v, int parite)
{
    if (parite == 1)
        return IsOdd(v);
    if (parite == 2)
        return !IsOdd(v);
    return true;
}

class Reference {
public:
    explicit Reference(const Probleme& pb) : pb_(pb) {}

    Liste solutions()
    {
        trouvees_.clear();
        courante_.clear();
        const ZZ g = GCD(ZZ(pb_.p), ZZ(pb_.q));
        descend(ZZ(pb_.p) / g, ZZ(pb_.q) / g, ZZ(0));
        return trouvees_;
    }

private:
    // Smallest value the next unknown may take after `precedent`.
    ZZ plancher(const ZZ& precedent) const
    {
        ZZ v = precedent + (pb_.type == 2 ? 1 : 0);
        return v < 1 ? ZZ(1) : v;
    }

    bool sousLaBorne(const ZZ& v) const { return pb_.borne == 0 || v <= pb_.borne; }

    // The unknowns still open must sum to a/b > 0.
    void descend(const ZZ& a, const ZZ& b, const ZZ& precedent)
    {
        const long h = pb_.n - static_cast<long>(courante_.size());
        // h unknowns of at most M sum to h/M or more.
        if (pb_.borne != 0 && h * b > a * pb_.borne)
            return;
        if (h == 1) {
            // 1/x = a/b: x = b/a when a divides b.
            if (b % a != 0)
                return;
            const ZZ v = b / a;
            if (v >= plancher(precedent) && bonneParite(v, pb_.parite) && sousLaBorne(v)) {
                courante_.push_back(v);
                trouvees_.push_back(courante_);
                courante_.pop_back();
            }
            return;
        }
        // 1/x < a/b (something must remain) and h/x >= a/b (the others
        // are no larger than 1/x).
        ZZ haut = (h * b) / a;
        if (pb_.borne != 0 && haut > pb_.borne)
            haut = ZZ(pb_.borne);
        ZZ bas = b / a + 1;
        if (bas < plancher(precedent))
            bas = plancher(precedent);
        for (ZZ v = haut; v >= bas; v -= 1) {
            if (!bonneParite(v, pb_.parite))
                continue;
            ZZ a2 = a * v - b;
            ZZ b2 = b * v;
            const ZZ g = GCD(a2, b2);
            a2 /= g;
            b2 /= g;
            courante_.push_back(v);
            descend(a2, b2, v);
            courante_.pop_back();
        }
    }

    Probleme pb_;
    Liste trouvees_;
    Solution courante_;
};

Liste reference(const Probleme& pb) { return Reference(pb).solutions(); }

// ---------------------------------------------------------------------------
// The program: the special-case check, then the step machine with every
// solution printed as a row.
// ---------------------------------------------------------------------------
struct Execution {
    int verdict = 0;       // result of exeptions()
    bool uniqueAnnoncee = false;  // "Une seule solution" printed
    Liste lignes;          // rows printed (or the announced single solution)
    std::int64_t compte = 0;  // K1 after the search
    bool cas2Plain = false;   // type 2: the plain bound (cas2 = 2) was used
    bool cas2Progression = false;  // type 2: the progression bound was used
    std::string sortie;
};

// The values of the row printed under "Une seule solution".
Solution solutionUnique(const std::string& sortie)
{
    Solution valeurs;
    const auto debut = sortie.find("Une seule solution");
    if (debut == std::string::npos)
        return valeurs;
    const auto deuxPoints = sortie.find("  :", debut);
    if (deuxPoints == std::string::npos)
        return valeurs;
    std::istringstream flux(sortie.substr(deuxPoints + 3));
    ZZ v;
    while (flux >> v)
        valeurs.push_back(v);
    return valeurs;
}

// Sets whether the search takes its shortcuts (machine words, pairs closed
// from divisors) for the lifetime of the guard; they are on by default.
class Raccourcis {
public:
    explicit Raccourcis(bool actifs) { raccourcis = actifs; }
    ~Raccourcis() { raccourcis = true; }
};

Execution execute(const Probleme& pb, long k = 0)
{
    Execution ex;
    prepare(pb.type, pb.n, pb.p, pb.q, pb.parite, pb.borne, k);
    {
        Console console;
        ex.verdict = exeptions();
        if (ex.verdict != 2) {
            // The search loop, noting which bound each type 2 step used.
            m = 0;
            x[0] = 0;
            m1 = z;
            K1 = 0;
            K2 = 0;
            while (i >= 0 && L != -1) {
                if (type == 2) {
                    cas2 = 0;
                    suite2();
                    if (cas2 == 1)
                        ex.cas2Progression = true;
                    if (cas2 == 2)
                        ex.cas2Plain = true;
                } else {
                    suite();
                }
            }
            ex.compte = K1;
        }
        ex.sortie = console.sortie();
    }
    if (ex.verdict == 2) {
        ex.uniqueAnnoncee = ex.sortie.find("Une seule solution") != std::string::npos;
        if (ex.uniqueAnnoncee)
            ex.lignes.push_back(solutionUnique(ex.sortie));
    } else {
        ex.lignes = lignes(ex.sortie);
    }
    return ex;
}

std::string decrit(const Probleme& pb)
{
    std::ostringstream o;
    o << "type " << pb.type << ", n = " << pb.n << ", P/Q = " << pb.p << "/" << pb.q
      << ", parite " << pb.parite << ", M = " << pb.borne;
    return o.str();
}

// The rows of a search, which must not depend on the shortcuts.
Liste lignesDe(const Probleme& pb)
{
    Execution sans;
    {
        const Raccourcis garde(false);
        sans = execute(pb);
    }
    const Execution avec = execute(pb);
    EXPECT_EQ(avec.lignes, sans.lignes) << decrit(pb) << ": with and without shortcuts";
    return avec.lignes;
}


std::string ecrit(const Liste& liste, std::size_t maximum = 12)
{
    std::ostringstream o;
    for (std::size_t t = 0; t < liste.size() && t < maximum; t++) {
        o << "(";
        for (std::size_t u = 0; u < liste[t].size(); u++)
            o << (u ? ", " : "") << liste[t][u];
        o << ") ";
    }
    if (liste.size() > maximum)
        o << "... (" << liste.size() << " in all)";
    return o.str();
}

// First index where the two lists differ, or -1.
long premiereDifference(const Liste& a, const Liste& b)
{
    const std::size_t c = std::min(a.size(), b.size());
    for (std::size_t t = 0; t < c; t++)
        if (a[t] != b[t])
            return static_cast<long>(t);
    return a.size() == b.size() ? -1 : static_cast<long>(c);
}

Liste liste(std::initializer_list<std::initializer_list<long>> valeurs)
{
    Liste resultat;
    for (const auto& v : valeurs) {
        Solution s;
        for (long e : v)
            s.push_back(ZZ(e));
        resultat.push_back(s);
    }
    return resultat;
}

// Sum of the reciprocals of a solution, compared with p/q.
bool somme(const Solution& s, const ZZ& p, const ZZ& q)
{
    ZZ a(0), b(1);
    for (const ZZ& v : s) {
        a = a * v + b;
        b *= v;
    }
    return a * q == b * p;
}

// Compares one problem with the reference; returns whether they agree.
struct Bilan {
    int cas = 0;
    int recherches = 0;
    int verdicts = 0;
    int uniques = 0;
    long solutions = 0;
    int plain = 0;
    int progression = 0;
    int echecs = 0;
};

// One problem, run with the shortcuts and on the plain step machine.
void compare(const Probleme& pb, Bilan& bilan)
{
    const Liste attendu = reference(pb);
    bilan.cas++;
    bilan.solutions += static_cast<long>(attendu.size());
    for (bool avec : {true, false}) {
        Execution ex;
        {
            const Raccourcis garde(avec);
            ex = execute(pb);
        }
        const std::string nom = decrit(pb) + (avec ? "" : ", no shortcuts");
        if (!avec) {
            if (ex.verdict == 2)
                bilan.verdicts++;
            else
                bilan.recherches++;
            if (ex.uniqueAnnoncee)
                bilan.uniques++;
            if (ex.cas2Plain)
                bilan.plain++;
            if (ex.cas2Progression)
                bilan.progression++;
        }

        const long diff = premiereDifference(ex.lignes, attendu);
        if (diff >= 0) {
            bilan.echecs++;
            ADD_FAILURE() << nom << (ex.verdict == 2 ? " (settled without search)" : "")
                          << "\n  first difference at row " << diff + 1
                          << "\n  program:   " << ecrit(ex.lignes)
                          << "\n  reference: " << ecrit(attendu);
            continue;
        }
        if (ex.verdict != 2) {
            EXPECT_EQ(ex.compte, static_cast<std::int64_t>(attendu.size())) << nom;
        }
        if (ex.verdict == 2 && !ex.uniqueAnnoncee) {
            // Settled as impossible: the reference agrees that nothing exists.
            EXPECT_TRUE(attendu.empty()) << nom;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// The reference itself, on lists that can be checked by hand.
// ---------------------------------------------------------------------------
TEST(EnumerationReference, ListsKnownSmallCases)
{
    EXPECT_EQ(reference({1, 3, 1, 1, 0, 0}), liste({{3, 3, 3}, {2, 4, 4}, {2, 3, 6}}));
    EXPECT_EQ(reference({2, 3, 1, 1, 0, 0}), liste({{2, 3, 6}}));
    EXPECT_EQ(reference({1, 3, 1, 1, 0, 4}), liste({{3, 3, 3}, {2, 4, 4}}));
    EXPECT_EQ(reference({1, 2, 1, 1, 1, 0}), Liste{});
    EXPECT_EQ(reference({1, 1, 2, 5, 0, 0}), Liste{});
    EXPECT_EQ(reference({1, 1, 1, 5, 0, 0}), liste({{5}}));
    EXPECT_EQ(reference({1, 3, 3, 1, 0, 0}), liste({{1, 1, 1}}));
    EXPECT_EQ(reference({2, 2, 1, 1, 0, 0}), Liste{});
    EXPECT_EQ(reference({2, 4, 5, 6, 2, 0}),
              liste({{2, 6, 8, 24}, {2, 4, 20, 30}, {2, 4, 18, 36}, {2, 4, 16, 48}, {2, 4, 14, 84}}));
}

TEST(EnumerationReference, EverySolutionSumsToTheFractionInDecreasingOrder)
{
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++) {
            const Probleme pb{type, 4, 5, 6, parite, 0};
            const Liste l = reference(pb);
            for (std::size_t t = 0; t < l.size(); t++) {
                EXPECT_TRUE(somme(l[t], ZZ(5), ZZ(6))) << decrit(pb);
                for (std::size_t u = 1; u < l[t].size(); u++) {
                    if (type == 1) {
                        EXPECT_LE(l[t][u - 1], l[t][u]);
                    } else {
                        EXPECT_LT(l[t][u - 1], l[t][u]);
                    }
                }
                for (const ZZ& v : l[t])
                    EXPECT_TRUE(bonneParite(v, parite));
                if (t > 0) {
                    EXPECT_TRUE(std::lexicographical_compare(l[t].begin(), l[t].end(),
                                                             l[t - 1].begin(), l[t - 1].end()));
                }
            }
        }
    // The checks above had solutions to look at.
    EXPECT_GT(reference({1, 4, 5, 6, 0, 0}).size(), 20u);
}

// ---------------------------------------------------------------------------
// The grid: both types, the three parities, fractions below, equal to and
// above 1, every n up to 4 and n = 5 where the search stays short, with no
// bound and with bounds that cut solutions away.
// ---------------------------------------------------------------------------
TEST(EnumerationGrille, SameRowsAsTheReference)
{
    struct Fraction {
        long p, q;
    };
    const std::vector<Fraction> fractions = {
        {1, 1},  {1, 2},  {2, 3},  {3, 4},   {3, 2},  {2, 1},  {5, 6},  {7, 12}, {13, 12},
        {4, 5},  {1, 3},  {3, 5},  {9, 4},   {11, 6}, {3, 1},  {4, 3},  {8, 15}, {25, 12},
        {5, 3},  {1, 5},  {2, 9},  {6, 4},   {7, 5},  {4, 1},  {31, 30}, {17, 15}};
    const std::vector<long> bornes = {0, 2, 4, 5, 7, 12, 20, 45};

    Bilan bilan;
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++)
            for (const Fraction& f : fractions)
                for (int n = 1; n <= 4; n++)
                    for (long borne : bornes) {
                        // Unbounded searches for small fractions with four
                        // unknowns run long; keep those bounded.
                        if (n == 4 && borne == 0 && f.q >= 4 * f.p)
                            continue;
                        compare({type, n, f.p, f.q, parite, borne}, bilan);
                    }

    // Five unknowns: fractions whose searches stay short, and bounds.
    const std::vector<Fraction> cinq = {{1, 1}, {3, 2}, {2, 1}, {13, 12}, {5, 3}, {5, 2}, {3, 1}};
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++)
            for (const Fraction& f : cinq)
                for (long borne : {0L, 6L, 10L, 24L, 60L}) {
                    if (borne == 0 && f.p == 13)
                        continue;  // thousands of solutions, some very large
                    compare({type, 5, f.p, f.q, parite, borne}, bilan);
                }

    EXPECT_EQ(bilan.echecs, 0);
    // The grid must really search, find solutions and settle some cases
    // without searching.
    EXPECT_GT(bilan.recherches, 2000);
    EXPECT_GT(bilan.verdicts, 1000);
    EXPECT_GT(bilan.uniques, 50);
    EXPECT_GT(bilan.solutions, 8000);
    std::cout << "[ grid    ] " << bilan.cas << " cases, " << bilan.recherches << " searched, "
              << bilan.verdicts << " settled (" << bilan.uniques << " single), " << bilan.solutions
              << " solutions" << std::endl;
}


// Small fractions: the type 2 bound switches to the plain bound when the
// smallest start raised to the number of open unknowns passes ten million.
TEST(EnumerationGrille, SmallFractionsWithThePlainType2Bound)
{
    struct Cas {
        int n;
        long p, q;
        long borne;
    };
    const std::vector<Cas> cas = {
        // Two unknowns: x2 passes ten million when x1 = Q + 1.
        {2, 1, 3200, 0}, {2, 3, 9800, 0}, {2, 4, 12805, 0}, {2, 2, 6401, 0},
        // 1/2 + 1/3500, 1/4 + 1/3600: after x1 the remainder is tiny.
        {3, 1751, 3500, 0}, {3, 1751, 3500, 12253500}, {3, 1751, 3500, 5000000},
        {3, 901, 3600, 0},
        // 1/3 + 1/7001 + 1/7003, with odd unknowns.
        {3, 49070015, 147084009, 0}, {3, 49070015, 147084009, 20000000},
        // Small fractions from the first unknown on, kept short by a bound.
        {3, 1, 216, 660}, {4, 1, 57, 230}, {4, 1, 60, 250}, {5, 1, 26, 140}, {5, 1, 30, 155},
    };
    Bilan bilan;
    for (int type = 1; type <= 2; type++)
        for (int parite = 0; parite <= 2; parite++)
            for (const Cas& c : cas)
                compare({type, c.n, c.p, c.q, parite, c.borne}, bilan);
    EXPECT_EQ(bilan.echecs, 0);
    EXPECT_GT(bilan.solutions, 1000);
    // Both bounds of type 2 were taken, by many cases.
    EXPECT_GT(bilan.plain, 20);
    EXPECT_GT(bilan.progression, 20);
    std::cout << "[ small   ] " << bilan.cas << " cases, " << bilan.solutions << " solutions, "
              << bilan.plain << " with the plain type 2 bound" << std::endl;
}

// ---------------------------------------------------------------------------
// Known values.
// ---------------------------------------------------------------------------

// Number of ways to write 1 as a sum of n unit fractions (type 1: OEIS A002966).
TEST(EnumerationTables, CountsForOneNonDecreasing)
{
    const long attendus[] = {3, 14, 147, 3462};
    for (bool avec : {true, false}) {
        for (int n = 3; n <= 6; n++) {
            const Raccourcis garde(avec);
            const Execution ex = execute({1, n, 1, 1, 0, 0}, n == 6 ? -1000000 : 0);
            EXPECT_EQ(ex.compte, attendus[n - 3]) << "n = " << n << (avec ? "" : ", no shortcuts");
            if (n < 6) {
                EXPECT_EQ(static_cast<long>(ex.lignes.size()), attendus[n - 3]) << "n = " << n;
            }
        }
    }
}

// Number of ways to write 1 as a sum of n distinct unit fractions (OEIS A006585).
TEST(EnumerationTables, CountsForOneDistinct)
{
    const long attendus[] = {1, 6, 72, 2320};
    for (bool avec : {true, false}) {
        for (int n = 3; n <= 6; n++) {
            const Raccourcis garde(avec);
            const Execution ex = execute({2, n, 1, 1, 0, 0}, n == 6 ? -1000000 : 0);
            EXPECT_EQ(ex.compte, attendus[n - 3]) << "n = " << n << (avec ? "" : ", no shortcuts");
            if (n < 6) {
                EXPECT_EQ(static_cast<long>(ex.lignes.size()), attendus[n - 3]) << "n = " << n;
            }
        }
    }
}

// 1 = 1/x1 + 1/x2 + 1/x3 (+ 1/x4), x1 <= x2 <= ...
TEST(EnumerationListes, OneNonDecreasing)
{
    EXPECT_EQ(lignesDe({1, 3, 1, 1, 0, 0}), liste({{3, 3, 3}, {2, 4, 4}, {2, 3, 6}}));
    EXPECT_EQ(lignesDe({1, 4, 1, 1, 0, 0}),
              liste({{4, 4, 4, 4},
                     {3, 4, 4, 6},
                     {3, 3, 6, 6},
                     {3, 3, 4, 12},
                     {2, 6, 6, 6},
                     {2, 5, 5, 10},
                     {2, 4, 8, 8},
                     {2, 4, 6, 12},
                     {2, 4, 5, 20},
                     {2, 3, 12, 12},
                     {2, 3, 10, 15},
                     {2, 3, 9, 18},
                     {2, 3, 8, 24},
                     {2, 3, 7, 42}}));
}

// Type 1 lists: fractions above 1, all unknowns even, a bound on xn.
TEST(EnumerationListes, NonDecreasingOtherFractions)
{
    // 3/2 = 1/x1 + 1/x2 + 1/x3: x1 = 1 is admissible.
    EXPECT_EQ(lignesDe({1, 3, 3, 2, 0, 0}), liste({{2, 2, 2}, {1, 4, 4}, {1, 3, 6}}));
    // 2 = 1/x1 + 1/x2 + 1/x3.
    EXPECT_EQ(lignesDe({1, 3, 2, 1, 0, 0}), liste({{1, 2, 2}}));
    // 1/2 with three even unknowns.
    EXPECT_EQ(lignesDe({1, 3, 1, 2, 2, 0}), liste({{6, 6, 6}, {4, 8, 8}, {4, 6, 12}}));
    // 1 with xn <= 4.
    EXPECT_EQ(lignesDe({1, 3, 1, 1, 0, 4}), liste({{3, 3, 3}, {2, 4, 4}}));
    // 2/5 with one unknown: nothing; 1/5: x1 = 5.
    EXPECT_TRUE(lignesDe({1, 1, 2, 5, 0, 0}).empty());
    EXPECT_EQ(lignesDe({1, 1, 1, 5, 0, 0}), liste({{5}}));
}

// 1 = 1/x1 + ... with x1 < x2 < ...
TEST(EnumerationListes, OneDistinct)
{
    EXPECT_EQ(lignesDe({2, 3, 1, 1, 0, 0}), liste({{2, 3, 6}}));
    EXPECT_EQ(lignesDe({2, 4, 1, 1, 0, 0}),
              liste({{2, 4, 6, 12}, {2, 4, 5, 20}, {2, 3, 10, 15}, {2, 3, 9, 18}, {2, 3, 8, 24},
                     {2, 3, 7, 42}}));
    // (2, 2) repeats a value: the search runs and shows nothing.
    const Execution deux = execute({2, 2, 1, 1, 0, 0});
    EXPECT_NE(deux.verdict, 2);
    EXPECT_TRUE(deux.lignes.empty());
    EXPECT_EQ(deux.compte, 0);
}

// Type 2 lists: other fractions and parities.
TEST(EnumerationListes, DistinctOtherFractions)
{
    EXPECT_EQ(lignesDe({2, 3, 2, 3, 0, 0}),
              liste({{3, 4, 12}, {2, 10, 15}, {2, 9, 18}, {2, 8, 24}, {2, 7, 42}}));
    // 3/5 with three odd unknowns.
    EXPECT_EQ(lignesDe({2, 3, 3, 5, 1, 0}), liste({{3, 5, 15}}));

    // 1/2 with four even unknowns: six solutions.
    const Liste pairs = lignesDe({2, 4, 1, 2, 2, 0});
    ASSERT_EQ(pairs.size(), 6u);
    EXPECT_EQ(Liste(pairs.begin(), pairs.begin() + 4),
              liste({{4, 8, 12, 24}, {4, 8, 10, 40}, {4, 6, 20, 30}, {4, 6, 18, 36}}));

    // 13/12: the progression (2, 3, 4) is found at once, then x1 = 1.
    const Liste treize = lignesDe({2, 3, 13, 12, 0, 0});
    ASSERT_GE(treize.size(), 3u);
    EXPECT_EQ(treize.front(), liste({{2, 3, 4}})[0]);
    EXPECT_EQ(treize[1], liste({{1, 21, 28}})[0]);
    EXPECT_EQ(treize.back(), liste({{1, 13, 156}})[0]);
    for (std::size_t t = 1; t < treize.size(); t++) {
        EXPECT_EQ(treize[t][0], 1);
        EXPECT_TRUE(somme(treize[t], ZZ(13), ZZ(12)));
    }
}

// 1/3 + 1/701 + 1/703 + 1/705 in four odd distinct unknowns: x2 = 701 is
// reached although the first start tried is far above the plain bound.
TEST(EnumerationListes, DistinctOddWithLargeSecondUnknown)
{
    // The fraction in lowest terms.
    ZZ a(1), b(3);
    for (long v : {701L, 703L, 705L}) {
        a = a * v + b;
        b *= v;
    }
    const ZZ g = GCD(a, b);
    a /= g;
    b /= g;
    const Liste l = lignesDe({2, 4, NTL::conv<long>(a), NTL::conv<long>(b), 1, 0});
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], liste({{3, 701, 703, 705}})[0]);
    EXPECT_EQ(l[1][1], 351);
    EXPECT_EQ(l[2][1], 235);
    for (const Solution& s : l) {
        EXPECT_TRUE(somme(s, a, b));
        for (const ZZ& v : s)
            EXPECT_TRUE(IsOdd(v));
    }
}
