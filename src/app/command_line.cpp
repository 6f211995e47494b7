#include "app/command_line.h"

namespace {

bool IsSeparator(unsigned char byte) {
  return byte >= 1 && byte <= 32;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> elements;
  std::size_t pos = 0;
  const std::size_t end = line.size();
  for (;;) {
    while (pos < end) {
      if (IsSeparator(static_cast<unsigned char>(line[pos]))) {
        ++pos;
      } else if (line[pos] == '"' && pos + 1 < end && line[pos + 1] == '"') {
        pos += 2;
      } else {
        break;
      }
    }
    std::string element;
    while (pos < end && !IsSeparator(static_cast<unsigned char>(line[pos]))) {
      if (line[pos] == '"') {
        std::size_t close = line.find('"', pos + 1);
        std::size_t stop = close == std::string::npos ? end : close;
        element.append(line, pos + 1, stop - pos - 1);
        pos = close == std::string::npos ? end : close + 1;
      } else {
        element += line[pos++];
      }
    }
    if (element.empty()) {
      return elements;
    }
    elements.push_back(std::move(element));
  }
}
