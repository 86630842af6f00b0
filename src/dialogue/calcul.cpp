// One calculation: the questions of the set-up dialogue, turned into the
// search state (reduced fraction, step, bound, start and stop sequences),
// then the search itself.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "dialogue/dialogue.h"
#include "search/recherche.h"

namespace {

// Largest number of unknowns accepted; larger answers are asked again.
const long NMAX = 10000;

// Asks the value of unknown k of a sequence with the three-piece prompt.
void demandeValeur(int k)
{
    re = 0;
    sc = k;
    std::snprintf(messa2, TAILLE, "%d", sc);
    nmess = 1;
    std::strcpy(messa1, "\n \t  x");
    lm1 = 6;
    std::strcpy(messa3, " =  ([0] si fin) ?  ");
    lm3 = 20;
    lm2 = static_cast<int>(std::strlen(messa2));
    a = 0;
    controle(4, message);
    nmess = 0;
}

// The order of a sequence: v is refused (re = 1) with its message when it
// breaks the order against the previous value.
void ordre(const ZZ& v, const ZZ& precedente, int longueur)
{
    if (longueur == 0 || v == 0)
        return;
    if (type == 2 && v <= precedente) {
        std::cout << " \n \t La valeur doit etre strictement superieure a la precedente. Recommencez ! \n";
        re = 1;
    } else if (type != 2 && v < precedente) {
        std::cout << " \n \t La valeur doit etre superieur ou egale a la precedente. Recommencez ! \n";
        re = 1;
    }
}

void arriereDuType()
{
    if (type == 2)
        arriere2();
    else
        arriere();
}

// The start sequence, applied to the unknowns as it is typed.
void sequenceDepart()
{
    deb3 = 1;
    s = 0;
    i = 0;
    stop1 = 0;
    while (deb3 != 0 && s < n - 1) {
        demandeValeur(s + 1);
        deb = valeur;
        ordre(deb, x2[s], s);
        deb3 = deb;
        if (re == 1 || deb == 0)
            continue;
        s++;
        x2[s] = deb;
        if (stop1 == 1)
            continue;
        r = maxi(i, D, N);
        if ((parite == 1 && !IsOdd(deb)) || (parite == 2 && IsOdd(deb)))
            deb -= 1;
        if (deb > r)
            deb = r;
        if (deb < minr[s]) {
            stop1 = 1;
            arriereDuType();
        } else {
            x[s] = deb;
            i = s;
            plu();
            if (deb != deb3)
                stop1 = 1;
        }
    }
}

// The stop sequence, only recorded; asked again until it lies at or below
// the start sequence.
void sequenceArret()
{
    do {
        deb2 = 1;
        s2 = 0;
        while (deb2 != 0 && s2 < n - 1) {
            demandeValeur(s2 + 1);
            deb2 = valeur;
            ordre(deb2, x3[s2], s2);
            if (re == 0 && deb2 != 0) {
                s2++;
                x3[s2] = deb2;
            }
        }
        refaire = 0;
        if (s > 0 && s2 > 0) {
            g = (s < s2) ? s : s2;
            j = 1;
            while (j <= g && x2[j] <= x3[j] && refaire == 0) {
                if (x3[j] != x2[j])
                    refaire = 1;
                else
                    j++;
            }
        }
        if (refaire == 1)
            std::cout << " \n \t La deuxieme serie de valeurs doit etre sous la premiere, recommencez cette derniere! \n";
    } while (refaire == 1);
}

}  // namespace

int calcul()
{
    initialise();
    pose(2, " \n \n \t Type d'equation :  1  ou  2  ?  : \t");
    type = valeur2;

    xn = 1;
    do
        pose(4, " \n \n \t Nombre d'inconnues,  n ? : \t");
    while (valeur > NMAX);
    n = NTL::conv<int>(valeur);
    xn = 0;
    dimensionne();

    xn = 1;
    pose(4, "\n \t Valeur de P ? : \t");
    P1 = valeur;
    pose(4, "\n \t Valeur de Q ? : \t");
    Q1 = valeur;
    xn = 0;
    pg = GCD(P1, Q1);
    P = P1 / pg;
    Q = Q1 / pg;

    pose(1, " \n  \n \t Voulez vous selectionner les solutions a afficher, Oui [1] / Non [0]  ? \t");
    tri = valeur2;
    if (tri == 1) {
        pose(3, "\n \t Parite des inconnues,  PAIRE = 2 ,  IMPAIRE = 1 , INDIFFERENTE = 0 ? \t: ");
        parite = valeur2;
        if (parite == 1 || parite == 2)
            z = 2;

        pose(1, " \n \t Commencer la recherche a partir de valeurs des premieres inconnues,   Oui [1] / Non [0] ?\t: ");
        seq = valeur2;
        if (seq == 1) {
            sequenceDepart();
        } else if (n > 1) {
            // x1 at its largest admissible value. With n = 1 the search
            // itself finds the only unknown, as without a selection.
            i = 0;
            N = 0;
            D = 1;
            r = maxi(i, D, N);
            x[1] = r1;
            i = 1;
            plu();
        }

        pose(1, "\n \t Terminer la recherche pour certaines valeurs des premieres inconnues,  Oui [1] / Non [0] ?\t: ");
        seq2 = valeur2;
        if (seq2 == 1)
            sequenceArret();

        nmess = 0;
        std::cout << std::endl << "\n \t (Pour P/Q = 1, on prouve mathematiquement que la plus grande valeur de xn possible est T(n) = T(n-1)x(T(n-1) + 1) , T1 valant 1.) \n";
        pose(4, "\n  \t Majorant pour xn,  M [rentrez zero sinon] ?  : \t");
        M = valeur;
    }

    Ma = M;
    if (parite == 1 && !IsOdd(M) && M != 0)
        M -= 1;
    if (parite == 2 && IsOdd(M))
        M -= 1;

    std::cout << "\n \n \n \t S'il y a un grand nombre de solutions, vous pouvez faire une pause au bout de K solutions. ";
    pose(5, "\n \n \t Valeur de K ou autre option que vous avez choisie : \n \n \t [K] / [zero, pas de limite] / [-K (K>1), pas de limite et affichage toutes les K solutions] ?    \t");
    L = valeur;

    return recherche();
}
