// Checkpoints of a long count: what has been merged so far and the units
// finished beyond it, with the problem they belong to and a checksum of
// the whole. The file of a run is checked and locked before any work, and
// replaced atomically (a temporary file renamed over it), so that the file
// on disk is always a whole checkpoint and only ever replaces one.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "moteur/total.h"

namespace fractions_unitaires::moteur {

struct Point {
    std::int64_t suivante = 0;  // units before it are merged into total
    Total total;
    std::map<std::int64_t, Bilan> termines;  // finished, not yet merged
};

// The checkpoint file a run writes, held for the life of the run.
class FichierPoint {
public:
    // Before any work: `chemin` must be absent, empty or a checkpoint (a
    // regular file, never a link, a device or a folder), and its folder
    // writable. A lock on CHEMIN.lock keeps any other run off it until the
    // destructor. Throws Erreur, leaving nothing behind.
    explicit FichierPoint(std::string chemin);
    ~FichierPoint();
    FichierPoint(const FichierPoint&) = delete;
    FichierPoint& operator=(const FichierPoint&) = delete;

    const std::string& chemin() const { return chemin_; }
    // Writes the checkpoint of the count d (units of `unite` prefixes)
    // atomically; throws std::runtime_error, with the old file intact and
    // no temporary file left, when it cannot.
    void ecris(const Enonce& d, double unite, const Point& p);
    // Unlocks at once (before the process ends on a signal).
    void libere();

private:
    void ecrisTexte(const std::string& texte);

    std::string chemin_, temporaire_, verrou_;
    int fdVerrou_ = -1;
};

// Reads a checkpoint back; throws Erreur (nothing written) when
// the file is not a regular file of a checkpoint's size, is damaged or
// belongs to another count.
Point lisPoint(const std::string& fichier, const Enonce& d, double unite);

}  // namespace fractions_unitaires::moteur
