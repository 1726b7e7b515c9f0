#pragma once

// The Ombrel side: a CGrid sorted by quantity then name, showing CRecord objects.

#include <memory>

#include "PeerSide.h"

namespace OmbrelBench {

// How the Ombrel side puts its rows into the grid.
enum class OmbrelLoadMode
{
    AddPerObject, // one Add per object: what most applications write
    AddMany,      // every object in one AddMany call
};

std::unique_ptr<IPeerSide> CreateOmbrelSide(OmbrelLoadMode mode);

} // namespace OmbrelBench
