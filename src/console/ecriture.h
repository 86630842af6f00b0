// Standard output written with write(2) through a buffer of its own: a
// write that fails is reported with its reason, and the program stops,
// instead of computing on with its output lost.
#pragma once

#include <streambuf>

namespace fractions_unitaires::console {

class TamponSortie : public std::streambuf {
public:
    explicit TamponSortie(int fd) : fd_(fd) { setp(tampon_, tampon_ + sizeof tampon_); }
    ~TamponSortie() override { vide(); }
    // errno of the first write that failed, 0 when none did.
    int erreur() const { return erreur_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override { return vide() ? 0 : -1; }

private:
    bool vide();

    int fd_;
    int erreur_ = 0;
    char tampon_[1 << 16];
};

}  // namespace fractions_unitaires::console
