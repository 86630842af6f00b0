// Validated console input: every question of the program is asked here, and
// asked again, silently, until the answer has the expected form.
#include <cstring>

#include "dialogue/dialogue.h"
#include "report/progres.h"

int Dialogue::valtest(char caract1)
{
    valtest1 = 0;
    valtest2 = 0;
    if (caract1 >= '0' && caract1 <= '9') {
        valtest2 = caract1 - '0';
    } else if (caract1 == '+') {
        valtest2 = 1;
    } else if (caract1 == '-') {
        valtest2 = -1;
    } else {
        return 0;
    }
    valtest1 = valtest2;
    return 1;
}

namespace {

bool estBlanc(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool estSigne(char c) { return c == '+' || c == '-'; }

}  // namespace

// Reads one whitespace-delimited token into entree and sets l1. A token of
// more than TAILLE-1 characters is read to its end but kept only as a
// marker of refusal (l1 = -1), so nothing is written past the buffer and
// memory does not grow with the token.
void Dialogue::lit()
{
    out_.flush();
    int c = in_.octet();
    while (c >= 0 && estBlanc(c))
        c = in_.octet();
    if (c < 0)
        throw FinDesEntrees{in_.erreur()};
    l1 = 0;
    bool tropLong = false;
    while (c >= 0 && !estBlanc(c)) {
        if (l1 < TAILLE - 1)
            entree[l1++] = static_cast<char>(c);
        else
            tropLong = true;
        c = in_.octet();
    }
    entree[l1] = '\0';
    if (tropLong)
        l1 = -1;
}

// Case 4: "0", or an optional "+" then a digit 1 to 9 and any digits.
bool Dialogue::entierPositif()
{
    for (a = 0, a1 = 0; a < l1; a++, a1 = a) {
        const char c = entree[a];
        if (valtest(c) == 0)
            return false;
        if (a == 0) {
            if (c == '0') {
                if (l1 != 1)
                    return false;
                valeur = 0;
            } else if (c == '-' || (c == '+' && l1 == 1)) {
                return false;
            } else {
                valeur = valtest1;
            }
        } else if (a == 1) {
            if (estSigne(c))
                return false;
            if (c == '0') {
                if (entree[0] == '+')
                    return false;
                valeur *= 10;
            } else if (entree[0] == '+') {
                valeur = valtest1;
            } else {
                valeur = 10 * valeur + valtest1;
            }
        } else {
            if (estSigne(c))
                return false;
            valeur = 10 * valeur + valtest1;
        }
    }
    return !(xn == 1 && valeur == 0);
}

// Case 5: "0", or an optional sign then a digit 1 to 9 and any digits.
bool Dialogue::entierSigne()
{
    for (a = 0, a1 = 0; a < l1; a++, a1 = a) {
        const char c = entree[a];
        if (valtest(c) == 0)
            return false;
        if (a == 0) {
            if (estSigne(c) && l1 == 1)
                return false;
            if (c == '0' && l1 != 1)
                return false;
            valeur = valtest1;
        } else if (a == 1) {
            if (estSigne(c))
                return false;
            if (c == '0') {
                if (estSigne(entree[0]))
                    return false;
                valeur *= 10;
            } else if (estSigne(entree[0])) {
                valeur *= valtest1;
            } else {
                valeur = 10 * valeur + valtest1;
            }
        } else {
            if (estSigne(c))
                return false;
            if (entree[0] == '-')
                valeur = 10 * valeur - valtest1;
            else
                valeur = 10 * valeur + valtest1;
        }
    }
    return true;
}

// Cases 1 to 3: exactly one of the characters allowed.
bool Dialogue::choix(const char* permis)
{
    if (l1 != 1 || entree[0] == '\0' || std::strchr(permis, entree[0]) == nullptr)
        return false;
    valeur2 = entree[0] - '0';
    return true;
}

int Dialogue::controle(int cas, const char* chaine)
{
    if (cas < 1 || cas > 5)
        return 0;
    refaire = 1;
    l = static_cast<int>(std::strlen(chaine));
    if (progres_ != nullptr)
        progres_->efface();
    while (refaire == 1) {
        if (cas == 4 && nmess == 1) {
            out_.write(messa1, lm1);
            out_.write(messa2, lm2);
            out_.write(messa3, lm3);
        } else {
            out_.write(chaine, l);
        }
        lit();
        if (l1 <= 0)
            continue;
        bool bon = false;
        switch (cas) {
        case 1: bon = choix("01"); break;
        case 2: bon = choix("12"); break;
        case 3: bon = choix("012"); break;
        case 4: bon = entierPositif(); break;
        case 5: bon = entierSigne(); break;
        }
        if (bon)
            refaire = 0;
    }
    return 0;
}

int Dialogue::pose(int cas, const char* question)
{
    std::strcpy(message, question);
    return controle(cas, message);
}
