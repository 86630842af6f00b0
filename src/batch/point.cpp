// Checkpoint files: JSON with an FNV-1a checksum, replaced atomically.
#include "batch/point.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

using nlohmann::json;

namespace {

const char* const FORMAT = "fractions-compte checkpoint 1";

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

json identite(const Demande& d, double unite, std::int64_t unites)
{
    return {{"n", d.n},       {"P", nombreJson(d.P1)}, {"Q", nombreJson(d.Q1)},
            {"type", d.type}, {"parity", nomParite(d.parite)},
            {"max", nombreJson(d.max)}, {"unit", unite}, {"units", unites},
            {"shard", std::to_string(d.tranche) + "/" + std::to_string(d.tranches)}};
}

void ecritTout(int fd, const std::string& texte)
{
    const char* p = texte.data();
    std::size_t reste = texte.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, reste);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(std::strerror(errno));
        }
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
}

}  // namespace

void ecrisPoint(const std::string& fichier, const Demande& d, double unite, std::int64_t unites, const Point& p)
{
    json contenu;
    contenu["format"] = FORMAT;
    contenu["count"] = identite(d, unite, unites);
    contenu["next"] = p.suivante;
    contenu["total"] = p.total.enJson(d);
    json termines = json::array();
    for (const auto& [indice, b] : p.termines) {
        json e = bilanJson(b);
        e["unit"] = indice;
        termines.push_back(e);
    }
    contenu["finished"] = termines;
    const std::string corps = contenu.dump();
    const std::string texte = json{{"checksum", empreinte(corps)}, {"content", contenu}}.dump() + "\n";

    const std::string temporaire = fichier + ".tmp";
    const int fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error(temporaire + ": " + std::strerror(errno));
    try {
        ecritTout(fd, texte);
        if (::fsync(fd) != 0)
            throw std::runtime_error(std::strerror(errno));
    } catch (const std::runtime_error& e) {
        ::close(fd);
        ::unlink(temporaire.c_str());
        throw std::runtime_error(temporaire + ": " + e.what());
    }
    ::close(fd);
    if (::rename(temporaire.c_str(), fichier.c_str()) != 0)
        throw std::runtime_error(fichier + ": " + std::strerror(errno));
    // The rename itself reaches the disk with its directory.
    const auto barre = fichier.rfind('/');
    const std::string dossier = barre == std::string::npos ? "." : fichier.substr(0, barre + 1);
    const int fdd = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdd >= 0) {
        ::fsync(fdd);
        ::close(fdd);
    }
}

Point lisPoint(const std::string& fichier, const Demande& d, double unite, std::int64_t unites)
{
    std::ifstream in(fichier);
    if (!in)
        throw MauvaisArgument{"cannot read the checkpoint " + fichier};
    std::stringstream tampon;
    tampon << in.rdbuf();
    Point p;
    try {
        const json tout = json::parse(tampon.str());
        const json& contenu = tout.at("content");
        if (tout.at("checksum").get<std::string>() != empreinte(contenu.dump()) ||
            contenu.at("format").get<std::string>() != FORMAT)
            throw MauvaisArgument{"the checkpoint " + fichier + " is damaged (its checksum does not match)"};
        if (contenu.at("count") != identite(d, unite, unites))
            throw MauvaisArgument{"the checkpoint " + fichier + " belongs to another count: " +
                                  contenu.at("count").dump()};
        p.suivante = contenu.at("next").get<std::int64_t>();
        p.total = Total::deJson(contenu.at("total"), d.n);
        for (const json& e : contenu.at("finished"))
            p.termines[e.at("unit").get<std::int64_t>()] = bilanDeJson(e, d.n);
    } catch (const json::exception& e) {
        throw MauvaisArgument{"the checkpoint " + fichier + " is damaged: " + e.what()};
    }
    return p;
}
