// Standard input read with read(2), or a text for tests and fuzzing. A read
// error ends the dialogue as the end of input does, with its reason.
#pragma once

#include <string>

namespace fractions_unitaires::interactif {

class Entree {
public:
    explicit Entree(int fd) : fd_(fd) {}
    explicit Entree(std::string texte) : texte_(std::move(texte)), fd_(-1) {}
    // The next byte (0 to 255), or -1 when nothing more can be read.
    int octet()
    {
        if (debut_ == fin_ && !remplit())
            return -1;
        return static_cast<unsigned char>(*debut_++);
    }
    // errno of the read that failed, 0 at a plain end of input.
    int erreur() const { return erreur_; }

private:
    bool remplit();

    std::string texte_;
    int fd_;
    bool texteLu_ = false;
    int erreur_ = 0;
    char tampon_[4096];
    const char* debut_ = nullptr;
    const char* fin_ = nullptr;
};

}  // namespace fractions_unitaires::interactif
