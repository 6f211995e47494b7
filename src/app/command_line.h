#pragma once

#include <string>
#include <vector>

// Splits a Windows command line into its elements, the program name first:
// - elements are separated by runs of bytes 1 to 32; bytes 128 to 255 are ordinary;
// - before an element, separators and empty pairs of double quotes are skipped, in any order;
// - inside an element a double quote opens a stretch that runs to the next double quote or the
//   end of the line, blanks and tabs included; the quotes themselves are dropped;
// - a backslash is an ordinary byte, also before a double quote.
// Only the last element of a line can come out empty, and it is not returned.
std::vector<std::string> SplitCommandLine(const std::string& line);
