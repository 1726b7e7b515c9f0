#pragma once

#include <string>

namespace Ombrel::Test {

// The number of page objects ("/Type /Page", not the page tree's "/Type /Pages") in a PDF
// file; -1 when the file cannot be read. Enough for the files Qt writes, which keep their
// page objects uncompressed.
int CountPdfPages(const std::string& path);

} // namespace Ombrel::Test
