// fractions-unitaires: writes a positive fraction P/Q as a sum of n unit
// fractions, listing and counting every solution, through a console dialogue.
#include <iostream>

#include "dialogue/dialogue.h"

int main()
{
    std::ios::sync_with_stdio(false);
    return programme();
}
