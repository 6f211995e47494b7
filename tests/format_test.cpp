#include "container/format.h"

#include <gtest/gtest.h>

namespace {

TEST(MemberFileName, ThreeDigitsZeroPadded) {
  const std::pair<int, const char*> names[] = {
      {0, "000.bin"}, {7, "007.bin"}, {42, "042.bin"}, {100, "100.bin"}, {126, "126.bin"}};
  for (const auto& [index, name] : names) {
    EXPECT_EQ(MemberFileName(index), name);
  }
}

TEST(DecodeMemberTable, LittleEndianSectorsToBytes) {
  unsigned char header[HeaderSize] = {0x56, 0x61, 0xAA, 0x55};
  // Row 0: start 1, length 0x0102 sectors. Row 126, the last: both 0xFFFF.
  const unsigned char first[] = {0x01, 0x00, 0x02, 0x01};
  std::copy(std::begin(first), std::end(first), header + 4);
  std::fill(header + 508, header + 512, 0xFF);

  MemberTable table;
  DecodeMemberTable(header, table);
  EXPECT_EQ(table[0].Offset, 512);
  EXPECT_EQ(table[0].Size, 0x0102 * 512);
  EXPECT_EQ(table[1].Offset, 0);
  EXPECT_EQ(table[1].Size, 0);
  // The largest value stays positive.
  EXPECT_EQ(table[126].Offset, 33553920);
  EXPECT_EQ(table[126].Size, 33553920);
}

}  // namespace
