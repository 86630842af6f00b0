// Validated console input: every question of the program is asked here, and
// asked again, silently, until the answer has the expected form.
#include <cstring>
#include <optional>

#include "interactif/dialogue.h"
#include "interactif/progres.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

namespace {

bool estBlanc(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool estSigne(char c) { return c == '+' || c == '-'; }

// The value of one character of an answer: its digit, or 1 and -1 for the
// signs, which the integer forms use as the first factor of the value.
std::optional<int> valtest(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c == '+')
        return 1;
    if (c == '-')
        return -1;
    return std::nullopt;
}

// One answer as typed. An answer of more than TAILLE-1 characters is read
// to its end but kept only as a marker of refusal (longueur -1), so that
// memory does not grow with it.
struct Saisie {
    char texte[limites::TAILLE] = {};
    int longueur = 0;
};

// Reads one whitespace-delimited answer; the prompt must be out first.
Saisie lit(Entree& in, std::ostream& out)
{
    out.flush();
    int c = in.octet();
    while (c >= 0 && estBlanc(c))
        c = in.octet();
    if (c < 0)
        throw FinDesEntrees{in.erreur()};
    Saisie saisie;
    bool tropLong = false;
    while (c >= 0 && !estBlanc(c)) {
        if (saisie.longueur < limites::TAILLE - 1)
            saisie.texte[saisie.longueur++] = static_cast<char>(c);
        else
            tropLong = true;
        c = in.octet();
    }
    if (tropLong)
        saisie.longueur = -1;
    return saisie;
}

// Case 4: "0", or an optional "+" then a digit 1 to 9 and any digits.
std::optional<ZZ> entierPositif(const Saisie& saisie, bool refuseZero)
{
    const char* const t = saisie.texte;
    const int l = saisie.longueur;
    ZZ valeur;
    for (int a = 0; a < l; a++) {
        const char c = t[a];
        const std::optional<int> v = valtest(c);
        if (!v)
            return std::nullopt;
        if (a == 0) {
            if (c == '0') {
                if (l != 1)
                    return std::nullopt;
                valeur = 0;
            } else if (c == '-' || (c == '+' && l == 1)) {
                return std::nullopt;
            } else {
                valeur = *v;
            }
        } else if (a == 1) {
            if (estSigne(c))
                return std::nullopt;
            if (c == '0') {
                if (t[0] == '+')
                    return std::nullopt;
                valeur *= 10;
            } else if (t[0] == '+') {
                valeur = *v;
            } else {
                valeur = 10 * valeur + *v;
            }
        } else {
            if (estSigne(c))
                return std::nullopt;
            valeur = 10 * valeur + *v;
        }
    }
    if (refuseZero && valeur == 0)
        return std::nullopt;
    return valeur;
}

// Case 5: "0", or an optional sign then a digit 1 to 9 and any digits.
std::optional<ZZ> entierSigne(const Saisie& saisie)
{
    const char* const t = saisie.texte;
    const int l = saisie.longueur;
    ZZ valeur;
    for (int a = 0; a < l; a++) {
        const char c = t[a];
        const std::optional<int> v = valtest(c);
        if (!v)
            return std::nullopt;
        if (a == 0) {
            if (estSigne(c) && l == 1)
                return std::nullopt;
            if (c == '0' && l != 1)
                return std::nullopt;
            valeur = *v;
        } else if (a == 1) {
            if (estSigne(c))
                return std::nullopt;
            if (c == '0') {
                if (estSigne(t[0]))
                    return std::nullopt;
                valeur *= 10;
            } else if (estSigne(t[0])) {
                valeur *= *v;
            } else {
                valeur = 10 * valeur + *v;
            }
        } else {
            if (estSigne(c))
                return std::nullopt;
            if (t[0] == '-')
                valeur = 10 * valeur - *v;
            else
                valeur = 10 * valeur + *v;
        }
    }
    return valeur;
}

// Cases 1 to 3: exactly one of the characters allowed. A NUL byte typed
// would match the end of `permis`, hence its own test.
std::optional<int> choix(const Saisie& saisie, const char* permis)
{
    const char c = saisie.texte[0];
    if (saisie.longueur != 1 || c == '\0' || std::strchr(permis, c) == nullptr)
        return std::nullopt;
    return c - '0';
}

// The answer `saisie` gives to a question of case cas, if it has its form.
std::optional<Reponse> accepte(int cas, const Saisie& saisie, bool refuseZero)
{
    std::optional<int> chiffre;
    std::optional<ZZ> entier;
    switch (cas) {
    case 1: chiffre = choix(saisie, "01"); break;
    case 2: chiffre = choix(saisie, "12"); break;
    case 3: chiffre = choix(saisie, "012"); break;
    case 4: entier = entierPositif(saisie, refuseZero); break;
    case 5: entier = entierSigne(saisie); break;
    }
    if (chiffre)
        return Reponse{*chiffre, ZZ()};
    if (entier)
        return Reponse{0, *entier};
    return std::nullopt;
}

}  // namespace

Reponse Dialogue::controle(int cas, std::string_view question, bool refuseZero)
{
    if (cas < 1 || cas > 5)
        return Reponse();
    if (progres_ != nullptr)
        progres_->efface();
    for (;;) {
        out_.write(question.data(), static_cast<std::streamsize>(question.size()));
        const Saisie saisie = lit(in_, out_);
        if (saisie.longueur <= 0)
            continue;
        if (const std::optional<Reponse> reponse = accepte(cas, saisie, refuseZero))
            return *reponse;
    }
}

}  // namespace fractions_unitaires::interactif
