#include "ViewerOptions.h"

#include <sstream>

namespace Ombrel::Viewer {

namespace {

std::vector<std::string> SplitList(const std::string& list)
{
    std::vector<std::string> items;
    std::stringstream stream(list);
    for (std::string item; std::getline(stream, item, ',');)
        items.push_back(item);
    return items;
}

} // namespace

std::string ViewerUsage()
{
    return "Usage: ombrel_view FILE [options]\n"
           "Shows a CSV file (a header line, then rows) or a JSON array of flat records in a sorted grid.\n"
           "  --sort COL[,COL...]   sort by these columns (a leading - sorts descending)\n"
           "  --screenshot FILE     write the window to FILE (PNG) once the file is loaded, then exit\n"
           "  --stats               print rows, columns, load time and memory once loaded, then exit\n"
           "  --help                show this text\n";
}

bool ParseViewerOptions(const std::vector<std::string>& arguments, ViewerOptions& options, std::string& error)
{
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        const bool hasValue = index + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            options.showHelp = true;
        } else if (argument == "--stats") {
            options.stats = true;
        } else if (argument == "--sort" || argument == "--screenshot") {
            if (!hasValue || arguments[index + 1].empty()) {
                error = argument + " needs a value";
                return false;
            }
            const std::string& value = arguments[++index];
            if (argument == "--screenshot")
                options.screenshotPath = value;
            else
                options.sortColumns = SplitList(value);
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (!options.path.empty()) {
            error = "one file at a time: " + options.path + " and " + argument;
            return false;
        } else {
            options.path = argument;
        }
    }
    if (options.path.empty() && !options.showHelp) {
        error = "no file given";
        return false;
    }
    for (const std::string& column : options.sortColumns)
        if (column.empty() || column == "-") {
            error = "--sort names an empty column";
            return false;
        }
    return true;
}

} // namespace Ombrel::Viewer
