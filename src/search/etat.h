// The search state: every program-wide variable of the program, grouped as
// the routines use them. Each routine reads and writes these directly.
#pragma once

#include <cstdint>
#include <vector>

#include <NTL/ZZ.h>
#include <NTL/vector.h>

using NTL::Vec;
using NTL::ZZ;

// Problem and options, set by the set-up dialogue.
extern int type;    // 1: x1 <= ... <= xn, 2: x1 < ... < xn
extern int n;       // number of unknowns
extern ZZ P1, Q1;   // the fraction as entered
extern ZZ pg;       // gcd(P1, Q1)
extern ZZ P, Q;     // the fraction in lowest terms
extern int tri;     // 1: the user selects the solutions
extern int parite;  // 0 any, 1 all odd, 2 all even
extern int z;       // step between two admissible values: 1, or 2 under a parity
extern ZZ Ma;       // bound on xn as entered, 0 = none
extern ZZ M;        // bound on xn as applied (parity-adjusted), 0 = none
extern ZZ L;        // display: K > 0 pause, 0 no pause, -1 stop, -K partial table

// Start and stop sequences.
extern int seq;                  // 1: a start sequence was asked for
extern Vec<ZZ> x2;               // start values x2[1..s], as typed
extern int s;                    // number of start values
extern ZZ deb, deb3;             // start value as applied, and as typed
extern int stop1;                // 1 once the start values are only recorded
extern int seq2;                 // 1: a stop sequence was asked for
extern Vec<ZZ> x3;               // stop values x3[1..s2]
extern int s2;                   // number of stop values
extern ZZ deb2;                  // stop value just typed
extern int re;                   // 1: the value typed breaks the order
extern int sc;                   // number of the unknown asked for
extern int g;                    // common length of the two sequences
extern int refaire;              // 1: ask again (a question, or the stop sequence)
extern int stop;                 // 1: the solution lies below the stop sequence

// Search state proper.
extern Vec<ZZ> x;     // the unknowns x[1..n]; x[0] = 0
extern int i;         // depth: the last fixed unknown; -1 = search over
extern ZZ N, D;       // unreduced sum of 1/x[1..i]; D = x[1]...x[i]
extern Vec<ZZ> minr;  // minr[k]: smallest admissible value of xk
extern ZZ r;          // largest admissible value of the next unknown
extern ZZ r1, reste, divid, divis, pd, qn, qd, y, rm, d1, D0, N1k, D1k;
extern int cas2;      // type 2: 1 improved bound, 2 plain bound
extern ZZ e;          // value of a run of equal unknowns (type 1 backtrack)
extern ZZ m0, Pm0, Qm0;  // smallest candidate and the sum of its reciprocals
extern int T0;        // step between the unknowns of that candidate
extern int cas;       // result of the special-case check: 2 = no search

// Results and counters. The counters are 64-bit: long counts pass 2^31.
extern std::int64_t K1;  // solutions found, the number of each row
extern std::int64_t K2;  // solutions since the last pause
extern std::int64_t K3;  // place of a solution in its group of |L|
extern ZZ m;             // largest xn found
extern ZZ m1;            // smallest x1 found
extern Vec<ZZ> x1;       // last solution found, kept for the partial table

// Console.
constexpr int TAILLE = 200;  // size of every character buffer
extern char message[TAILLE];
extern char messa1[TAILLE], messa2[TAILLE], messa3[TAILLE];
extern int lm1, lm2, lm3;
extern int nmess;   // 1: controle shows messa1, messa2, messa3 instead
extern int xn;      // 1: controle refuses the answer 0
extern char entree[TAILLE];
extern ZZ valeur;   // last integer answer
extern int valeur2; // last choice answer
extern ZZ valtest1;
extern int valtest2;
extern int l, l1, a1;
extern int a, j;    // loop indexes shared by several routines
extern int expli, recalc;

// Resets the state at the start of a calculation (n not yet known).
void initialise();

// Gives the five vectors the length n+1, all elements 0.
void dimensionne();

// Machine words. While every number of the search fits, the step machine
// runs on 128-bit words: the word copies below are then the search state
// and the ZZ ones are brought up to date only where they are read (a
// solution to show, a switch back to ZZ). Nothing else changes.
using Mot = __int128;

struct Mots {
    bool actif = false;       // the word copies hold the state
    std::vector<Mot> x;       // x[0..n]
    std::vector<Mot> minr;    // minr[0..n]
    Mot N = 0, D = 1;         // the sum of 1/x[1..i]
    Mot limite = 0;           // N and D stay below it
    Mot P = 0, Q = 1, M = 0;  // the fraction and the bound (M capped)
    bool x31 = false;         // the first stop value fits in a word
    Mot x3un = 0;             // ... and is this one
    Mot r = 0, reste = 0, divid = 0, divis = 0;  // left by the bounds
    std::uint64_t prefixe = 0;  // changes whenever x[1..n-2] may have changed
    // Counting without showing (the helper process of a long count): each
    // solution only adds to these.
    bool compte = false;
    std::int64_t nombre = 0;    // solutions counted
    Mot plusGrand = 0;          // largest xn among them
    std::vector<Mot> dernier;   // the last of them, x[1..n]
};
extern Mots w;
extern bool raccourcis;  // the shortcuts (words, closing pairs); off only in tests
extern int bitsMots;     // largest size of a word number; lowered only in tests

// A bound on the steps of one search, for tests and fuzzing: past it the
// search throws TropDePas. 0, the program's own value, means no bound.
struct TropDePas {};
extern std::int64_t pasMax;
