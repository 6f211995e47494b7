#include "container/format.h"

namespace {

std::int32_t SectorsToBytes(const unsigned char* value) {
  return static_cast<std::int32_t>((value[0] | value[1] << 8) * SectorSize);
}

}  // namespace

void DecodeMemberTable(const unsigned char* header, MemberTable& table) {
  const unsigned char* row = header + sizeof ContainerSignature;
  for (MemberEntry& entry : table) {
    entry.Offset = SectorsToBytes(row);
    entry.Size = SectorsToBytes(row + 2);
    row += 4;
  }
}

std::string MemberFileName(int index) {
  const char name[] = {static_cast<char>('0' + index / 100),
                       static_cast<char>('0' + index / 10 % 10),
                       static_cast<char>('0' + index % 10), '\0'};
  return std::string(name) + ".bin";
}
