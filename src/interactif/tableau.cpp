// The table of solutions, the verdicts of the special-case check and the
// summary that closes a calculation, word for word.
#include "interactif/tableau.h"

#include "interactif/progres.h"

namespace fractions_unitaires::interactif {
using namespace fractions_unitaires::moteur;

using NTL::Vec;
using NTL::ZZ;

Tableau::Tableau(std::ostream& sortie, std::function<ZZ()> question, Progres* progres)
    : out_(sortie), question_(std::move(question)), progres_(progres)
{
}

void Tableau::efface()
{
    if (progres_ != nullptr)
        progres_->efface();
}

void Tableau::verdict(Verdict v, const Vec<ZZ>& unique)
{
    efface();
    switch (v) {
    case Verdict::IMPAIRS:
        break;
    case Verdict::CONDITIONS:
        out_ << "\n \n \t Les donnees ne verifient pas les conditions requises :   P/Q >= n/M \n \n";
        break;
    case Verdict::TRIVIAL:
        out_ << "\n \t CAS TRIVIAL \n";
        break;
    case Verdict::TROP_GRAND:
        out_ << " \n \t P/Q est trop grand. \n \n ";
        break;
    case Verdict::M_PETIT:
        out_ << " \n \t  M est trop petit. \n \n ";
        break;
    case Verdict::UNIQUE:
        out_ << "\n \n \t    Une seule solution : \n";
        out_ << "\n \t \t \t " << 1 << "  :     ";
        for (long a = 1; a < unique.length(); a++)
            out_ << unique[a] << "\t \t";
        out_ << std::endl << std::endl;
        break;
    }
}

void Tableau::entete(const ZZ& L)
{
    efface();
    if (L > -1)
        out_ << std::endl << "\n \t \t Tableau des solutions numerotees : ";
    else if (L < -1)
        out_ << std::endl << "\n \t \t Tableau partiel des solutions numerotees : ";
    out_ << std::endl << std::endl;
    if (progres_ != nullptr)
        progres_->debut();
}

void Tableau::ligne(std::int64_t numero, const Vec<ZZ>& x, int n)
{
    efface();
    out_ << "\t \t \t " << numero << "  :      ";
    for (int a = 1; a <= n; a++)
        out_ << x[a] << "\t \t";
    out_ << std::endl;
}

void Tableau::ligneVide()
{
    out_ << std::endl;
}

ZZ Tableau::pause()
{
    efface();
    const ZZ reponse = question_();
    out_ << std::endl << std::endl;
    return reponse;
}

void Tableau::progres(const Avancement& a)
{
    if (progres_ != nullptr)
        progres_->montre(a);
}

namespace {

void sequence(std::ostream& out, const Vec<ZZ>& v, int longueur)
{
    for (int j = 1; j <= longueur; j++)
        out << v[j] << "  |  ";
    out << " . \n";
}

}  // namespace

void Tableau::resultat(const Probleme& pb, const Resultats& res)
{
    efface();
    out_ << std::endl << std::endl;
    out_ << " \t L'equation Diophantienne a  " << pb.n
         << "  inconnues : 1/x1 + 1/x2 + 1/x3 +.....   1/xn =  " << pb.P1 << "/" << pb.Q1;
    if (pb.pg != 1)
        out_ << " = " << pb.P << "/" << pb.Q;
    out_ << " ,  (n = " << pb.n << ") ,";
    out_ << "  admet  " << res.K1 << "   solution(s). \n ";
    if (pb.type == 2)
        out_ << " \n \t Les inconnues d'une meme solution etant toutes differentes. ";
    else
        out_ << " \n \t Des inconnues d'une meme solution pouvant etre egales. ";
    if (pb.tri == 0) {
        out_ << std::endl;
    } else {
        if (pb.parite == Parite::PAIRE)
            out_ << "  Elles sont egalement toutes paires. \n \n ";
        else if (pb.parite == Parite::IMPAIRE)
            out_ << "  Elles sont egalement  toutes impaires. \n \n ";
        else
            out_ << "  Elles sont egalement  toutes de parites indifferentes. \n \n ";
        if (pb.seq == 1) {
            out_ << " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), "
                    "inferieures ou egales a la sequence : \t ";
            sequence(out_, pb.x2, pb.s);
        }
        if (pb.seq2 == 1) {
            out_ << " \t Les solutions sont toutes (avec l'ordre alpahabetique decroissant), "
                    "superieures ou egales a la sequence : \t ";
            sequence(out_, pb.x3, pb.s2);
        }
    }
    const ZZ m = res.m.valeur().zz();
    if (pb.M != 0)
        out_ << " \n \t  La plus grande inconnue, xn,  devant etre inferieure ou egale a   " << pb.Ma
             << "  et prenant   " << m << "  pour plus grande valeur. ";
    if (res.K1 > 0) {
        if (pb.M == 0)
            out_ << " \n \t  " << m << "  est la plus grande valeur prise par xn. ";
        out_ << " \n \t  " << res.m1.zz() << "  est la plus petite valeur prise par x1. \n ";
    }
    out_ << std::endl << " \n \t FIN DU CALCUL" << std::endl << std::endl << std::endl;
}

}  // namespace fractions_unitaires::interactif
