// Reading a file given on the command line (a checkpoint, a shard's
// result): only a regular file, and no larger than such a file can be, so
// that a device or a folder is refused before anything is read.
#pragma once

#include <cstdint>
#include <string>

namespace fractions_unitaires::moteur {

// The text of a regular file of at most `limite` bytes; throws
// Erreur naming `quoi` (a folder, a device, a file too large).
std::string lisFichier(const std::string& fichier, const std::string& quoi, std::int64_t limite);

}  // namespace fractions_unitaires::moteur
