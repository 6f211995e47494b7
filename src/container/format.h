// The container format.
//
// A container starts with a header one sector long: the 4-byte signature, then MemberCount rows
// of two little-endian 16-bit values, the member's start sector and its length in sectors.
// 4 + 127 * 4 = 512, so the table fills the sector exactly. Member data lies wherever the table
// points; members may overlap, leave gaps, cover the header or reach past the end of the file.
#pragma once

#include <cstdint>
#include <string>

inline constexpr std::uint32_t SectorSize = 512;
inline constexpr int MemberCount = 127;
inline constexpr std::uint32_t HeaderSize = SectorSize;
inline constexpr unsigned char ContainerSignature[4] = {0x56, 0x61, 0xAA, 0x55};

// The size of the one transfer buffer, and so of the largest read and write.
inline constexpr std::uint32_t CopyBlockSize = 65536;

// Both values count bytes. A 16-bit sector count times 512 is at most 33553920, so neither is
// ever negative.
struct MemberEntry {
  std::int32_t Offset;
  std::int32_t Size;
};

using MemberTable = MemberEntry[MemberCount];

// Decodes the table that follows the signature in a full header.
void DecodeMemberTable(const unsigned char* header, MemberTable& table);

// The member's file name: the index in three digits, zero-padded, and ".bin".
std::string MemberFileName(int index);
