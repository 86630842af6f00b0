// The buffer of standard output: whole writes, retried when interrupted.
#include "console/ecriture.h"

#include <cerrno>
#include <unistd.h>

namespace fractions_unitaires::console {

bool TamponSortie::vide()
{
    if (erreur_ != 0)
        return false;
    const char* p = pbase();
    while (p < pptr()) {
        const ssize_t ecrit = ::write(fd_, p, static_cast<std::size_t>(pptr() - p));
        if (ecrit < 0) {
            if (errno == EINTR)
                continue;
            erreur_ = errno;
            return false;
        }
        p += ecrit;
    }
    setp(tampon_, tampon_ + sizeof tampon_);
    return true;
}

TamponSortie::int_type TamponSortie::overflow(int_type c)
{
    if (!vide())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

}  // namespace fractions_unitaires::console
