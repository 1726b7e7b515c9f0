#include "DemoOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Ombrel::Demo {
namespace {

// The whole text must be the number; strtol and strtod alone accept trailing garbage.
bool ReadWholeNumber(const std::string& text, long long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size())
        return false;
    out = value;
    return true;
}

bool ReadNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

// The shortest text of a limit: 86400 rather than 86400.000000.
std::string ShortNumber(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

bool ParseDemoOptions(const std::vector<CString>& arguments, DemoOptions& options, std::string& error)
{
    DemoOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string option = arguments[i].ToStdString();
        auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = option + " needs a value";
                return false;
            }
            out = arguments[++i].ToStdString();
            return true;
        };
        std::string text;
        if (option == "--live") {
            parsed.liveUpdates = true;
        } else if (option == "--new-window") {
            parsed.newWindow = true;
        } else if (option == "--drag-preview") {
            parsed.dragPreview = true;
        } else if (option == "--help" || option == "-h") {
            parsed.showHelp = true;
        } else if (option == "--objects") {
            long long count = 0;
            if (!value(text))
                return false;
            if (!ReadWholeNumber(text, count) || count < 1 || count > DemoOptions::kMaxObjects) {
                error = "--objects takes a whole number from 1 to " + std::to_string(DemoOptions::kMaxObjects) +
                        ", not '" + text + "'";
                return false;
            }
            parsed.objectCount = static_cast<int>(count);
        } else if (option == "--quit-after") {
            double seconds = 0.0;
            if (!value(text))
                return false;
            if (!ReadNumber(text, seconds) || seconds <= 0.0 || seconds > DemoOptions::kMaxQuitAfterSeconds) {
                error = "--quit-after takes a number of seconds above 0 and at most " +
                        ShortNumber(DemoOptions::kMaxQuitAfterSeconds) + ", not '" + text + "'";
                return false;
            }
            parsed.quitAfterSeconds = seconds;
        } else if (option == "--screenshot" || option == "--screenshot-edit") {
            if (!value(text))
                return false;
            if (text.empty()) {
                error = option + " needs a file name";
                return false;
            }
            parsed.screenshotPath = text;
            parsed.editBeforeScreenshot = option == "--screenshot-edit";
        } else if (option == "--print-pdf" || option == "--screenshot-preview" || option == "--screenshot-columns") {
            if (!value(text))
                return false;
            if (text.empty()) {
                error = option + " needs a file name";
                return false;
            }
            std::string& path = option == "--print-pdf"            ? parsed.printPdfPath
                                 : option == "--screenshot-preview" ? parsed.previewScreenshotPath
                                                                    : parsed.columnsScreenshotPath;
            path = text;
        } else {
            error = "unknown option '" + option + "'";
            return false;
        }
    }
    options = parsed;
    return true;
}

std::string DemoUsage()
{
    return std::string("Usage: ombrel_demo [options]\n") +
           "  --objects N          show N objects instead of ten (1 to " +
           std::to_string(DemoOptions::kMaxObjects) + ")\n"
           "  --live               start with live updates on\n"
           "  --quit-after SECONDS close the window after that time (above 0, at most " +
           ShortNumber(DemoOptions::kMaxQuitAfterSeconds) + ")\n"
           "  --screenshot FILE    write the main window to a PNG file; without --quit-after\n"
           "                       right after the first paint, with it when the time is up\n"
           "  --new-window         open a second window (File > New window) to drag rows to\n"
           "  --drag-preview       show a drag of the selected rows over the grid, with its\n"
           "                       drop mark (for screenshots)\n"
           "  --print-pdf FILE     print every page of the grid to a PDF file and exit\n"
           "  --screenshot-preview FILE\n"
           "                       write the print preview (two pages) to a PNG file and exit\n"
           "  --screenshot-edit FILE  as --screenshot, with the date editor open on the first\n"
           "                       row's Date cell\n"
           "  --screenshot-columns FILE\n"
           "                       write the header configuration dialog (View > Columns...)\n"
           "                       to a PNG file and exit\n"
           "  --help               show this text\n"
           "Without a display the program runs offscreen and writes ombrel_demo.png unless\n"
           "--quit-after or --screenshot says otherwise.\n";
}

} // namespace Ombrel::Demo
