// The program as the user meets it: the banner, the explanations, and one
// calculation after another until the user declines a new one.
#include <iostream>
#include <string>

#include "interactif/dialogue.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

namespace {

const char* const EXPLICATIONS[] = {
    " \n \t  Ce programme affiche toutes les solutions entieres positives des equations :",
    " \n \n \t \t \t   1/x1 + 1/x2 + 1/x3 +.....   1/xn = P/Q ",
    " \n \n \t  avec : 1 <= x1 <= x2 <= x3 <=....  <= xn <=  M  , TYPE 1 (inegalites larges). Soit par exemple : 1 = 1/2 + 1/4 + 1/4 .",
    " \n \n \t   ou  : 1 <= x1 < x2 <  x3 <....  <   xn <=  M  , TYPE 2 (inegalites strictes). Soit par exemple : 1 = 1/2 + 1/3 + 1/6 .",
    " \n \n \t  M , P , Q sont des entiers positifs qui doivent verifier  : P/Q >= n/M (L'utilisation de la borne M est optionnelle). \n ",
    " \n \t \t  Les inconnues pouvant etre : ou toutes PAIRES,  ou toutes IMPAIRES,  ou toutes de parites INDIFFERENTES. \n",
    " \n \t \t  Les solutions sont recherchees et  classees dans l'ordre dit alphabetique decroissant des inconnues. \n ",
    " \n \t \t      On peut eventuellement commencer leur recherche a partir d'une sequence de valeurs des premieres inconnues. \n \t \t      Les solutions retenues seront toutes inferieures ou egales a cette sequence dans l'ordre alphabetique decroissant. \n",
    " \n \t \t      On peut egalement faire cette recherche jusqu'a une sequence de valeurs des premieres inconnues. \n \t \t      Les solutions retenues seront toutes superieures ou egales a cette sequence dans l'ordre alphabetique decroissant.",
    " \n \n \t \t  n peut etre quelconque mais les calculs sont limites par les possibilites des ordinateurs, du langage et de l'algorithme utilises.  \n",
    " \n \t  Cette derniere version est plus rapide que les precedentes. Elle est ecrite en langage C++ (64 bits) avec la bibliotheque NTL de calcul sur les grands entiers. \n",
    " \n \t  Cette bibliotheque permet des calculs exacts sur des entiers du type ZZ, plus grands que 2^63-1. \n",
    " \n \t  Depuis une version precedente, une reponse erronee n'arrete plus le programme : la question est simplement posee a nouveau. \n",
    " \n \t  Avec n = 7 et P/Q = 1, l'affichage des 294314 solutions du type 1 dans un fichier dure moins d'une seconde, leur simple comptage quelques centiemes de seconde. \n",
    " \n \t  Cette version en grands entiers est plus lente pour les grands nombres : quand elle peut etre utilisee, la version de base est preferable. \n",
    " \n \t  Pour n = 8 et P/Q = 1, le comptage dure environ une minute sur deux coeurs, et seul un calcul exact sur de grands entiers donne alors les solutions exactes (environ 160 000 000). \n",
    " \n \t  Les dernieres versions calculent et affichent beaucoup plus vite les solutions quand elles sont toutes paires ou toutes impaires. \n",
    " \n \t  Certains cas d'impossibilites quand les inconnues sont toutes impaires sont detectes. Cela evite des tests inutiles. ",
    " \n \t  La derniere version utilise un algorithme ameliore qui evite de tester inutilement certains cas du type 2. \n",
};

const std::string TIRETS(144, '-');

const char* const PAUSE =
    "\n \n \t Nombre K de solutions suivantes a afficher ou autre option :  \n \n \t "
    "[K] / [zero, pas de limite] / [-1, arreter] / [-K (K>1), pas de  limite et "
    "affichage toutes les K solutions] ?    \t";

}  // namespace

Dialogue::Dialogue(Entree& entree, std::ostream& sortie, Progres* progres)
    : in_(entree), out_(sortie), progres_(progres),
      tableau_(sortie, [this] {
          return controle(5, PAUSE).entier;
      }, progres)
{
    // The table shows no fingerprint: the pairs may be counted from the
    // number of divisors alone.
    reglages.empreintes = false;
}

int Dialogue::programme()
{
    try {
        out_ << "\n   POUR MODIFIER LA TAILLE DU TEXTE : [TOUCHE CTRL] + [TOUCHE +/-]. PLEIN ECRAN : [F11] ";
        out_ << " \n \n \n \t  ***  ECRIRE UNE FRACTION P/Q COMME SOMME DE n FRACTIONS UNITAIRES  ***. \n";
        if (controle(1, " \n \t  Afficher des explications  ? Oui [1] / Non [0] ?\t: ").choix == 1) {
            out_ << std::endl;
            for (const char* paragraphe : EXPLICATIONS)
                out_ << paragraphe;
            out_ << std::endl << " \n " << TIRETS << " \n ";
        }
        int recalc;
        do {
            calcul();
            out_ << TIRETS << std::endl << std::endl;
            recalc = controle(1, "\n \t  Nouveau calcul ?  Oui [1] / Fin [0]  :     ").choix;
        } while (recalc == 1);
        out_.flush();
        return 1;
    } catch (const FinDesEntrees& f) {
        out_.flush();
        fin = f;
        return 2;
    }
}

}  // namespace fractions_unitaires::interactif
