#pragma once

namespace Ombrel::GUI {

class CGrid;
class CGridImpl;

// The process-wide registry of grids: which implementation belongs to which live grid object.
// Components that are handed a CGrid* from elsewhere (drag sources, print preview) find the
// implementation here. An ordered map keyed by the grid's address, guarded by its own lock;
// any thread may use it. A grid enters it in its constructor and leaves it in its destructor.
class CGridRegistry
{
public:
    static void Add(const CGrid* grid, CGridImpl* impl);
    static void Remove(const CGrid* grid);
    // Null for an object that is not a live grid.
    static CGridImpl* Find(const CGrid* grid);
    static int GetCount();
};

} // namespace Ombrel::GUI
