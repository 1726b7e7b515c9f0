#pragma once

#include <string>
#include <string_view>

#include "TableReadResult.h"
#include "TableSink.h"

namespace Ombrel::Viewer {

enum class TableFileFormat { Csv, Json };

// JSON for a ".json" name or text that starts with "[" or "{" (after blanks and a byte-order
// mark), comma-separated values otherwise.
TableFileFormat GuessTableFileFormat(std::string_view fileName, std::string_view firstBytes);

// Reads the table in `path` into `sink` with the reader its format needs. A file that cannot
// be opened fails with the system's reason.
TableReadResult ReadTableFile(const std::string& path, ITableSink& sink);

} // namespace Ombrel::Viewer
