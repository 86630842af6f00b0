// The console dialogue: validated reading of every answer, the set-up of a
// calculation, and the whole program from its banner to its end.
#pragma once

// Thrown when standard input ends or fails: no further answer can be read.
struct FinDesEntrees {};

// Classifies one character of an answer: 1 for a digit or a sign, else 0.
int valtest(char caract1);

// Asks one question until the answer has the form of case cas; the answer
// is left in valeur2 (cases 1 to 3) or valeur (cases 4 and 5).
int controle(int cas, const char* chaine);

// Puts question into message and asks it with controle.
int pose(int cas, const char* question);

// One calculation: the set-up dialogue, then the search driver.
int calcul();

// The whole program: banner, explanations, calculations until the user
// declines another. Returns the exit status: 1, or 2 when input ends.
int programme();
