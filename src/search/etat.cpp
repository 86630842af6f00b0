// The search state: definitions of the program-wide variables, and their
// reset at the start of each calculation.
#include "search/etat.h"

int type, n;
ZZ P1, Q1, pg, P, Q;
int tri, parite, z;
ZZ Ma, M, L;

int seq;
Vec<ZZ> x2;
int s;
ZZ deb, deb3;
int stop1, seq2;
Vec<ZZ> x3;
int s2;
ZZ deb2;
int re, sc, g, refaire, stop;

Vec<ZZ> x;
int i;
ZZ N, D;
Vec<ZZ> minr;
ZZ r;
ZZ r1, reste, divid, divis, pd, qn, qd, y, rm, d1, D0, N1k, D1k;
int cas2;
ZZ e;
ZZ m0, Pm0, Qm0;
int T0, cas;

std::int64_t K1, K2, K3;
ZZ m, m1;
Vec<ZZ> x1;

char message[TAILLE];
char messa1[TAILLE], messa2[TAILLE], messa3[TAILLE];
int lm1, lm2, lm3, nmess, xn;
char entree[TAILLE];
ZZ valeur;
int valeur2;
ZZ valtest1;
int valtest2;
int l, l1, a1, a, j, expli, recalc;

void initialise()
{
    K3 = 0;
    P = 1;
    n = 1;
    N = 0;
    D = 1;
    M = 0;
    i = 0;
    z = 1;
    s = 0;
    s2 = 0;
    parite = 0;
    seq = 0;
    seq2 = 0;
    nmess = 0;
    xn = 0;
    g = 0;
    w.actif = false;
}

void dimensionne()
{
    for (Vec<ZZ>* v : {&x, &minr, &x1, &x2, &x3}) {
        v->SetLength(n + 1);
        for (long k = 0; k <= n; k++)
            (*v)[k] = 0;
    }
}
