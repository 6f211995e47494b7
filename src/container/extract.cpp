#include "container/extract.h"

#include <algorithm>
#include <cstring>

#include "container/format.h"
#include "io/failure.h"
#include "io/guarded_file.h"
#include "io/output.h"

namespace {

// The state of the one run of this process.
std::string ContainerPath;
std::string OutputDir;
OsHandle Container;
OsFileId ContainerId;
// False for a container with no file identity, such as NUL or a pipe on Windows: no member path
// can lead to it, and no member file can cut it short.
bool ContainerHasId;
OsHandle MemberFile;
// Receives the header and then every block of every member; never reallocated.
unsigned char CopyBuffer[CopyBlockSize];
std::uint32_t ReadCount;
MemberTable Members;
std::string MemberName;

void ReadHeader() {
  // The signature and the table in one read: a header that ends early fails in the same order
  // as reading field by field would, the signature first, and before any member exists.
  ReadCount = ReadBlock(Container, CopyBuffer, HeaderSize);
  if (ReadCount < sizeof ContainerSignature) {
    CloseFile(Container);
    FatalEndOfFile();
  }
  if (std::memcmp(CopyBuffer, ContainerSignature, sizeof ContainerSignature) != 0) {
    CloseFile(Container);
    FatalError("sygnatura jest nieprawidlowa");
  }
  if (ReadCount < HeaderSize) {
    CloseFile(Container);
    FatalEndOfFile();
  }
  DecodeMemberTable(CopyBuffer, Members);
}

void ExtractMember(int index) {
  const MemberEntry& member = Members[index];
  MemberName = MemberFileName(index);
  // Announced before the file is created, so the line shows even when creating it fails.
  WriteLine("znalazlem " + MemberName);
  std::string memberPath = OutputDir + PathSeparator + MemberName;
  if (ContainerHasId) {
    RefuseSameFile(ContainerId, memberPath);
  }
  MemberFile = CreateMemberFile(memberPath);
  // Every member is positioned on its own: none relies on where the previous one ended. A
  // position past the end is not an error; the first read then finds nothing.
  SetPosition(Container, static_cast<std::uint32_t>(member.Offset));
  auto remaining = static_cast<std::uint32_t>(member.Size);
  while (remaining > 0) {
    std::uint32_t block = std::min(remaining, CopyBlockSize);
    ReadCount = ReadBlock(Container, CopyBuffer, block);
    if (ReadCount < block) {
      // Keep what the container still had, then stop the run.
      if (ReadCount > 0) {
        WriteBlock(MemberFile, CopyBuffer, ReadCount);
      }
      CloseFile(Container);
      CloseFile(MemberFile);
      FatalEndOfFile();
    }
    WriteBlock(MemberFile, CopyBuffer, block);
    remaining -= block;
  }
  CloseFile(MemberFile);
}

}  // namespace

void ExtractContainer(const std::string& containerPath, const std::string& outputDir) {
  ContainerPath = containerPath;
  OutputDir = outputDir;
  if (!OsIsExistingFile(ContainerPath)) {
    FatalError("nie znalazlem " + ContainerPath);
  }
  // Made before the container is read, so a container that turns out bad can leave an empty
  // directory behind. A failure here shows when the first member cannot be created.
  if (!OsIsExistingFile(OutputDir)) {
    OsMakeDirectory(OutputDir);
  }
  Container = OpenForReading(ContainerPath);
  // Looking the identity up is no file operation of the run, so it never ends the run.
  ContainerHasId = OsIdentifyFile(Container, &ContainerId);
  ReadHeader();
  for (int index = 0; index < MemberCount; ++index) {
    if (Members[index].Size > 0) {
      ExtractMember(index);
    }
  }
  CloseFile(Container);
}
