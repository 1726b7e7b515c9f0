#pragma once

// The Ombrel side: a CGrid sorted by quantity then name, showing CRecord objects.

#include <memory>

#include "PeerSide.h"

namespace OmbrelBench {

std::unique_ptr<IPeerSide> CreateOmbrelSide();

} // namespace OmbrelBench
