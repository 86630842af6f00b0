// Checkpoints of a long count: what has been merged so far and the units
// finished beyond it, with the problem they belong to and a checksum of
// the whole, written to a temporary file then renamed over the old one,
// so that the file on disk is always a whole checkpoint.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "batch/total.h"

struct Point {
    std::int64_t suivante = 0;  // units before it are merged into total
    Total total;
    std::map<std::int64_t, Bilan> termines;  // finished, not yet merged
};

// Writes the checkpoint of the count d (units of `unite` prefixes,
// `unites` of them) atomically; throws std::runtime_error when it cannot.
void ecrisPoint(const std::string& fichier, const Demande& d, double unite, std::int64_t unites, const Point& p);

// Reads it back; throws MauvaisArgument (nothing written) when the file is
// damaged or belongs to another count.
Point lisPoint(const std::string& fichier, const Demande& d, double unite, std::int64_t unites);
