#pragma once

// Everything public of the visual layer (namespace Ombrel::GUI).

#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/grid/GridTypes.h"
#include "ombrel/gui/grid/GridClock.h"
#include "ombrel/gui/grid/GridItem.h"
#include "ombrel/gui/grid/ChildList.h"
#include "ombrel/gui/grid/VisibleSequence.h"
#include "ombrel/gui/grid/ItemContainer.h"
#include "ombrel/gui/grid/RowComparator.h"
#include "ombrel/gui/grid/RowFilter.h"
#include "ombrel/gui/grid/GridRowsOwner.h"
#include "ombrel/gui/grid/GridRows.h"
#include "ombrel/gui/grid/Dispatcher.h"
