// Checkpoint files: JSON with an FNV-1a checksum, locked for the life of a
// run, replaced atomically.
#include "moteur/point.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "moteur/fichier.h"
#include "limites.h"

namespace fractions_unitaires::moteur {

using nlohmann::json;

namespace {

const char* const FORMAT = "fractions-compte checkpoint 3";
const char* const DEBUT = "{\"checksum\":";

std::string empreinte(const std::string& texte)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : texte) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

json identite(const Enonce& d, double unite)
{
    return {{"n", d.n},       {"P", nombreJson(d.P)}, {"Q", nombreJson(d.Q)},
            {"type", typeJson(d)}, {"parity", nomParite(d.parite)},
            {"max", nombreJson(d.max)}, {"prefix", prefixeJson(d)}, {"unit", unite},
            {"shard", std::to_string(d.tranche) + "/" + std::to_string(d.tranches)}};
}

std::string erreur() { return std::strerror(errno); }

void ecritTout(int fd, const std::string& texte)
{
    const char* p = texte.data();
    std::size_t reste = texte.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, reste);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(erreur());
        }
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
}

// Opens `chemin` for writing as a regular file of this run's, never
// through a link; -1 with errno set otherwise.
int ouvreRegulier(const std::string& chemin, int drapeaux)
{
    const int fd = ::open(chemin.c_str(), drapeaux | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// The checkpoint whose text this is; throws json::exception.
json contenu(const std::string& texte, const std::string& fichier)
{
    const json tout = json::parse(texte);
    const json& c = tout.at("content");
    if (c.at("format").get<std::string>() != FORMAT)
        throw Erreur{"the checkpoint " + fichier + " was written by another version (" +
                              c.at("format").dump() + ")"};
    if (tout.at("checksum").get<std::string>() != empreinte(c.dump()))
        throw Erreur{"the checkpoint " + fichier + " is damaged (its checksum does not match)"};
    return c;
}

}  // namespace

FichierPoint::FichierPoint(std::string chemin)
    : chemin_(std::move(chemin)), temporaire_(chemin_ + ".tmp"), verrou_(chemin_ + ".lock")
{
    if (chemin_.empty())
        throw Erreur{"--checkpoint: the file name is empty"};
    struct stat st;
    if (::lstat(chemin_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw Erreur{"the checkpoint " + chemin_ + " is a folder"};
        if (!S_ISREG(st.st_mode))
            throw Erreur{"the checkpoint " + chemin_ +
                                  " exists and is not a regular file (a link, a device): it is left as it is"};
        // A file that is not a checkpoint is not this program's to replace;
        // every checkpoint begins with its checksum, even one cut short.
        if (st.st_size > 0 && lisFichier(chemin_, "checkpoint", limites::FICHIER_MAX).rfind(DEBUT, 0) != 0)
            throw Erreur{"the file " + chemin_ + " is not a checkpoint: it is left as it is"};
    } else if (errno != ENOENT) {
        throw Erreur{"the checkpoint " + chemin_ + " cannot be used (" + erreur() + ")"};
    }
    // The lock file stays in place while a run holds it; a run that finds
    // it again after it was removed by the run before takes it anew.
    for (;;) {
        fdVerrou_ = ouvreRegulier(verrou_, O_RDWR | O_CREAT);
        if (fdVerrou_ < 0)
            throw Erreur{"the checkpoint " + chemin_ + " cannot be written (" + verrou_ + ": " + erreur() +
                                  ")"};
        if (::flock(fdVerrou_, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fdVerrou_);
            fdVerrou_ = -1;
            if (e == EWOULDBLOCK)
                throw Erreur{"the checkpoint " + chemin_ + " is in use by another run"};
            errno = e;
            throw Erreur{"the checkpoint " + chemin_ + " cannot be locked (" + erreur() + ")"};
        }
        struct stat tenu, present;
        if (::fstat(fdVerrou_, &tenu) == 0 && ::stat(verrou_.c_str(), &present) == 0 &&
            tenu.st_dev == present.st_dev && tenu.st_ino == present.st_ino)
            break;
        ::close(fdVerrou_);
    }
    // The folder takes the temporary file and its rename: tried now, so
    // that a checkpoint that cannot be saved stops the run before any work.
    const int fd = ouvreRegulier(temporaire_, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0) {
        const std::string raison = erreur();
        libere();
        throw Erreur{"the checkpoint " + chemin_ + " cannot be written (" + temporaire_ + ": " + raison +
                              ")"};
    }
    ::close(fd);
    ::unlink(temporaire_.c_str());
}

FichierPoint::~FichierPoint() { libere(); }

void FichierPoint::libere()
{
    if (fdVerrou_ < 0)
        return;
    ::unlink(verrou_.c_str());
    ::close(fdVerrou_);
    fdVerrou_ = -1;
}

void FichierPoint::ecrisTexte(const std::string& texte)
{
    if (static_cast<std::int64_t>(texte.size()) > limites::FICHIER_MAX)
        throw std::runtime_error("the checkpoint would be larger than " + std::to_string(limites::FICHIER_MAX) +
                                 " bytes");
    const int fd = ouvreRegulier(temporaire_, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd < 0)
        throw std::runtime_error(temporaire_ + ": " + erreur());
    try {
        ecritTout(fd, texte);
        if (::fsync(fd) != 0)
            throw std::runtime_error(erreur());
        if (::close(fd) != 0)
            throw std::runtime_error(erreur());
    } catch (const std::runtime_error& e) {
        ::close(fd);
        ::unlink(temporaire_.c_str());
        throw std::runtime_error(temporaire_ + ": " + e.what());
    }
    if (::rename(temporaire_.c_str(), chemin_.c_str()) != 0) {
        const std::string raison = erreur();
        ::unlink(temporaire_.c_str());
        throw std::runtime_error(chemin_ + ": " + raison);
    }
    // The rename itself reaches the disk with its folder.
    const auto barre = chemin_.rfind('/');
    const std::string dossier = barre == std::string::npos ? "." : chemin_.substr(0, barre + 1);
    const int fdd = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdd >= 0) {
        ::fsync(fdd);
        ::close(fdd);
    }
}

void FichierPoint::ecris(const Enonce& d, double unite, const Point& p)
{
    json c;
    c["format"] = FORMAT;
    c["count"] = identite(d, unite);
    c["next"] = p.suivante;
    c["total"] = p.total.enJson(d);
    json termines = json::array();
    for (const auto& [indice, b] : p.termines) {
        json e = bilanJson(b, d.lesDeux);
        e["unit"] = indice;
        termines.push_back(e);
    }
    c["finished"] = termines;
    ecrisTexte(json{{"checksum", empreinte(c.dump())}, {"content", c}}.dump() + "\n");
}

Point lisPoint(const std::string& fichier, const Enonce& d, double unite)
{
    const std::string texte = lisFichier(fichier, "checkpoint", limites::FICHIER_MAX);
    Point p;
    try {
        const json c = contenu(texte, fichier);
        if (c.at("count") != identite(d, unite))
            throw Erreur{"the checkpoint " + fichier + " belongs to another count: " + c.at("count").dump()};
        p.suivante = c.at("next").get<std::int64_t>();
        p.total = Total::deJson(c.at("total"), d);
        for (const json& e : c.at("finished"))
            p.termines[e.at("unit").get<std::int64_t>()] = bilanDeJson(e, d.n, d.lesDeux);
    } catch (const json::exception& e) {
        throw Erreur{"the checkpoint " + fichier + " is damaged: " + e.what()};
    }
    return p;
}

}  // namespace fractions_unitaires::moteur
