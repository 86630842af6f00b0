// Reading a file given on the command line, checked before it is read.
#include "moteur/fichier.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "moteur/enonce.h"

namespace fractions_unitaires::moteur {

namespace {

std::string erreur() { return std::strerror(errno); }

}  // namespace

std::string lisFichier(const std::string& fichier, const std::string& quoi, std::int64_t limite)
{
    if (fichier.empty())
        throw Erreur{quoi + ": the file name is empty"};
    const int fd = ::open(fichier.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw Erreur{"cannot read the " + quoi + " " + fichier + " (" + erreur() + ")"};
    struct stat st;
    std::string raison;
    if (::fstat(fd, &st) != 0)
        raison = erreur();
    else if (S_ISDIR(st.st_mode))
        raison = "is a folder";
    else if (!S_ISREG(st.st_mode))
        raison = "is not a regular file";
    else if (st.st_size > limite)
        raison = "is larger than any " + quoi + " (" + std::to_string(st.st_size) + " bytes)";
    std::string texte;
    while (raison.empty()) {
        char bloc[1 << 16];
        const ssize_t lu = ::read(fd, bloc, sizeof bloc);
        if (lu == 0)
            break;
        if (lu < 0 && errno == EINTR)
            continue;
        if (lu < 0)
            raison = erreur();
        else if (static_cast<std::int64_t>(texte.size()) + lu > limite)
            raison = "is larger than any " + quoi;
        else
            texte.append(bloc, static_cast<std::size_t>(lu));
    }
    ::close(fd);
    if (!raison.empty())
        throw Erreur{"the " + quoi + " " + fichier + " " + raison};
    return texte;
}

}  // namespace fractions_unitaires::moteur
