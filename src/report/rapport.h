// Reporting: the numbered table of solutions with its paging, and the
// summary that closes a calculation.
#pragma once

#include <cstdint>

std::int64_t affiche();  // numbers and shows the solution in x[1..n]
int resultat();          // prints the summary

#include "search/etat.h"

// Prints one row of the table: the number, then v[1..n].
void ligne(std::int64_t numero, const Vec<ZZ>& v);
