#include "support/PdfPages.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace Ombrel::Test {

int CountPdfPages(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return -1;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    int pages = 0;
    for (std::size_t at = text.find("/Type"); at != std::string::npos; at = text.find("/Type", at + 1)) {
        std::size_t name = at + 5;
        while (name < text.size() && std::isspace(static_cast<unsigned char>(text[name])))
            ++name;
        if (text.compare(name, 5, "/Page") != 0)
            continue;
        const std::size_t after = name + 5;
        if (after < text.size() && std::isalnum(static_cast<unsigned char>(text[after])))
            continue; // "/Pages" and longer names
        ++pages;
    }
    return pages;
}

} // namespace Ombrel::Test
