#pragma once

// Everything public of the visual layer (namespace Ombrel::GUI).

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
