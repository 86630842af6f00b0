// Reading standard input in blocks, retried when interrupted.
#include "interactif/entree.h"

#include <cerrno>
#include <unistd.h>

namespace fractions_unitaires::interactif {

bool Entree::remplit()
{
    if (fd_ < 0) {
        if (texteLu_)
            return false;
        texteLu_ = true;
        debut_ = texte_.data();
        fin_ = debut_ + texte_.size();
        return debut_ != fin_;
    }
    if (erreur_ != 0)
        return false;
    for (;;) {
        const ssize_t lu = ::read(fd_, tampon_, sizeof tampon_);
        if (lu > 0) {
            debut_ = tampon_;
            fin_ = tampon_ + lu;
            return true;
        }
        if (lu == 0)
            return false;
        if (errno != EINTR) {
            erreur_ = errno;
            return false;
        }
    }
}

}  // namespace fractions_unitaires::interactif
