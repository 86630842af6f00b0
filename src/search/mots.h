// The step machine on machine words, and the closing of the last two
// unknowns; both are exact shortcuts of the ZZ step machine.
#pragma once

#include "search/etat.h"

// Takes the search state over in words; false when a number does not fit.
bool versMots();
// Gives the search state back to ZZ.
void versZZ();

int suiteMot();   // forward step, type 1, on words
int suite2Mot();  // forward step, type 2, on words
void pluMot();    // adds 1/x[i]; falls back to ZZ when the sum would not fit
void moinMot();   // removes 1/x[i]

// With x[1..n-2] fixed and x[n-1] being walked down, moves x[n-1] straight
// to the next value that completes a solution, or to the last value of the
// walk when none is left.
void saut();
