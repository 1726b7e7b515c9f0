#pragma once

#include <string>
#include <vector>

namespace Ombrel::Viewer {

// The command line of ombrel_view.
struct ViewerOptions
{
    std::string path;                    // the table file
    // Sort levels by column name, first level first; a leading "-" sorts that level descending.
    std::vector<std::string> sortColumns;
    std::string screenshotPath;          // write the window to this PNG after the load, then exit
    bool stats = false;                  // print rows, columns, load time and memory, then exit
    bool showHelp = false;
};

// Reads `arguments` (without the program name). False with a message for the user when they
// are not understood.
bool ParseViewerOptions(const std::vector<std::string>& arguments, ViewerOptions& options, std::string& error);

// The usage text, ending with a line break.
std::string ViewerUsage();

} // namespace Ombrel::Viewer
