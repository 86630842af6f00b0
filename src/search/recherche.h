// The search routines: partial-sum arithmetic, bounds, both enumerations,
// the special cases and the driver of one search.
#pragma once

#include "search/etat.h"

void plu();   // adds 1/x[i] to N/D
void moin();  // removes 1/x[i] from N/D

// Bounds of unknown k+1 after x[1..k] (k = i) with sum Nk/Dk: returns the
// largest admissible value (also left in r1), or 0 when the search ends.
ZZ maxi(int k, ZZ Dk, ZZ Nk);

int suite();     // one forward step, type 1
int arriere();   // one backtrack step, type 1
int suite2();    // one forward step, type 2
int arriere2();  // one backtrack step, type 2

// Shows the solution in x[1..n] unless it lies below the stop sequence,
// in which case the search ends (i = -1) and 0 is returned.
int montre();

int exeptions();  // special-case check: 2 when no search must run
int recherche();  // the search driver, second phase of a calculation
