// The step machine on machine words, and the closing of the last two
// unknowns; both are exact shortcuts of the ZZ step machine.
#pragma once

#include "search/etat.h"

// Takes the search state over in words; false when a number does not fit.
bool versMots();
// Gives the search state back to ZZ.
void versZZ();

int suiteMot();     // forward step, type 1, on words
int suite2Mot();    // forward step, type 2, on words
int arriereMot();   // backtrack step, type 1, on words
int arriere2Mot();  // backtrack step, type 2, on words
void enZZ(ZZ& v, Mot m);  // v = m
void pluMot();    // adds 1/x[i]; falls back to ZZ when the sum would not fit
void moinMot();   // removes 1/x[i]

// With x[1..n-2] fixed and x[n-1] being walked down, moves x[n-1] straight
// to the next value that completes a solution, or to the last value of the
// walk when none is left.
void saut();

// The second core. While a long count runs with no row to print and no stop
// sequence, a helper process counts whole subtrees from the end of the
// search; the search takes a subtree's count, extremes and last solution
// from it only when nothing would be printed inside that subtree.
void aideDebut();  // before the search loop
void aideEtape();  // after each step
void aideFin();    // after the search loop
extern int nAide;  // the smallest n for which the helper starts (tests lower it)
