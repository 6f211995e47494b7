// Every guarded operation of the tool made to fail once, on the real binary. Real conditions
// make the failure where the system offers one: a descriptor limit, a file-size limit, a
// directory in the way, a device that refuses writes. The fault-injection shim makes the rest.
// Each run must end with the exact report and status 1 at once, with nothing after the failed
// step: no further output, no pause, no later member file; and every byte written before the
// failure stays in its member file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>

#include "cases.h"
#include "native.h"

namespace {

struct Fixture {
  std::map<int, Row> rows;
  std::uint32_t dataSectors;
};

// Member 0 is a full block and a remainder, so copying it takes two reads and two writes;
// members 2 and 3 follow. On c.uq the calls are: open; read (header); lseek, read, read
// (member 0); lseek, read (member 2); lseek, read (member 3); close.
const Fixture ThreeMembers = {{{0, {1, 129}}, {2, {130, 1}}, {3, {1, 1}}}, 130};
// Member 1 runs past the end of the container, which holds 1024 of its 2048 bytes.
const Fixture EndsInsideMember = {{{0, {1, 1}}, {1, {2, 4}}}, 3};
// The 128-byte output buffer fills, and is first handed over, during the seventh progress line.
const Fixture EightMembers = {{{0, {1, 1}},
                               {1, {2, 1}},
                               {2, {3, 1}},
                               {3, {4, 1}},
                               {4, {5, 1}},
                               {5, {6, 1}},
                               {6, {7, 1}},
                               {7, {8, 1}}},
                              8};

std::string Fault(const std::string& call, const std::string& target, int n, int error) {
  return call + " " + target + " " + std::to_string(n) + " " + std::to_string(error);
}

RunSetUp Injected(const std::string& fault) {
  RunSetUp setUp;
  setUp.fault = fault;
  return setUp;
}

// A run that fails with `output` on standard output; `written` members are whole, `cut` ones
// hold only their first bytes, and no other member file exists.
NativeCase Fails(std::string name, const Fixture& fixture, RunSetUp setUp, std::string output,
                 std::vector<int> written, std::map<int, std::size_t> cut = {}) {
  NativeCase c;
  c.expected.name = std::move(name);
  c.expected.rows = fixture.rows;
  c.expected.container = [fixture] { return MakeContainer(fixture.rows, fixture.dataSectors); };
  c.expected.output = std::move(output);
  c.expected.status = 1;
  c.expected.pauses = false;
  c.expected.written = std::move(written);
  c.expected.cut = std::move(cut);
  c.setUp = std::move(setUp);
  return c;
}

std::vector<NativeCase> FaultCases() {
  std::vector<NativeCase> cases;
  const std::string first = FoundLine(0);
  const std::string firstTwo = FoundLines({0, 2});

  // Opening the container. With standard input closed at start, the loader and then the tool's
  // own start-up use descriptor 0, and a limit of 3 leaves none for the container.
  cases.push_back(Fails("OpenContainer", ThreeMembers, Injected(Fault("open", "c.uq", 1, EACCES)),
                        ReportLines("File access denied."), {}));
  {
    RunSetUp setUp;
    setUp.closed = {0};
    setUp.openFileLimit = 3;
    NativeCase c = Fails("OpenContainerAtDescriptorLimit", ThreeMembers, setUp,
                         ReportLines("Too many open files."), {});
    c.notSanitized =
        "the sanitizer runtime loops at start-up when it finds descriptor 0 closed and no "
        "descriptor free above 2";
    cases.push_back(c);
  }
  cases.push_back(Fails("ReadHeader", ThreeMembers, Injected(Fault("read", "c.uq", 1, EIO)),
                        ReportLines("I/O error 1117."), {}));

  // Creating a member, always after its progress line.
  {
    NativeCase c = Fails("CreateMemberOverDirectory", ThreeMembers, {},
                         first + ReportLines("File access denied."), {});
    c.expected.setUp = [](const std::string& dir) {
      mkdir((dir + "/out").c_str(), 0755);
      mkdir((dir + "/out/000.bin").c_str(), 0755);
    };
    c.expected.kept = {"000.bin"};
    cases.push_back(c);
  }
  {
    // The container takes descriptor 3, the last one the limit allows.
    RunSetUp setUp;
    setUp.openFileLimit = 4;
    cases.push_back(Fails("CreateMemberAtDescriptorLimit", ThreeMembers, setUp,
                          first + ReportLines("Too many open files."), {}));
  }
  cases.push_back(Fails("CreateLaterMember", ThreeMembers,
                        Injected(Fault("open", "002.bin", 1, ENOSPC)),
                        firstTwo + ReportLines("I/O error 112."), {0}));

  // Positioning the container, after the member file exists.
  cases.push_back(Fails("PositionContainer", ThreeMembers,
                        Injected(Fault("lseek", "c.uq", 2, EINVAL)),
                        firstTwo + ReportLines("I/O error 87."), {0}, {{2, 0}}));

  // Reading a member: the block before the failed read stays written.
  cases.push_back(Fails("ReadMember", ThreeMembers, Injected(Fault("read", "c.uq", 3, EIO)),
                        first + ReportLines("I/O error 1117."), {}, {{0, 65536}}));

  // Writing a member: failed outright, or cut short by a file-size limit or by the system.
  cases.push_back(Fails("WriteMember", ThreeMembers, Injected(Fault("write", "000.bin", 2, ENOSPC)),
                        first + ReportLines("I/O error 112."), {}, {{0, 65536}}));
  {
    RunSetUp setUp;
    setUp.fileSizeLimit = 66000;
    cases.push_back(Fails("ShortWriteAtFileSizeLimit", ThreeMembers, setUp,
                          first + ReportLines("Disk full."), {}, {{0, 66000}}));
    // A limit at the block's end lets no byte of the next write through: that write fails.
    setUp.fileSizeLimit = 65536;
    cases.push_back(Fails("WriteAtFileSizeLimit", ThreeMembers, setUp,
                          first + ReportLines("I/O error 223."), {}, {{0, 65536}}));
  }
  cases.push_back(Fails("ShortWrite", ThreeMembers, Injected("write 002.bin 1 short"),
                        firstTwo + ReportLines("Disk full."), {0}, {{2, 256}}));

  // Closing the container, after the last member and before the end-of-file message.
  cases.push_back(Fails("CloseContainer", ThreeMembers, Injected(Fault("close", "c.uq", 1, EIO)),
                        FoundLines({0, 2, 3}) + ReportLines("I/O error 1117."), {0, 2, 3}));
  cases.push_back(Fails("CloseContainerAtEndOfFile", EndsInsideMember,
                        Injected(Fault("close", "c.uq", 1, EIO)),
                        FoundLines({0, 1}) + ReportLines("I/O error 1117."), {0, 1}));

  // Closing a member, after a whole copy and before the end-of-file message.
  cases.push_back(Fails("CloseMember", ThreeMembers, Injected(Fault("close", "000.bin", 1, EIO)),
                        first + ReportLines("I/O error 1117."), {0}));
  cases.push_back(Fails("CloseMemberAtEndOfFile", EndsInsideMember,
                        Injected(Fault("close", "001.bin", 1, EIO)),
                        FoundLines({0, 1}) + ReportLines("I/O error 1117."), {0, 1}));

  // Writing a console line. The failed hand-over loses the buffer it held, so the report is all
  // that shows; the member whose line failed is never made.
  cases.push_back(Fails("ConsoleLine", EightMembers, Injected(Fault("write", "stdout", 1, EIO)),
                        ReportLines("I/O error 1117."), {0, 1, 2, 3, 4, 5}));
  {
    // On a device that refuses every write, the first line fails and so does the report.
    RunSetUp setUp;
    setUp.outputPath = "/dev/full";
    cases.push_back(Fails("ConsoleLineOnFullDevice", ThreeMembers, setUp, "", {}));
  }
  return cases;
}

class FailedOperation : public testing::TestWithParam<NativeCase> {};

TEST_P(FailedOperation, EndsAtOnceKeepingWhatWasWritten) {
  CheckNativeCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(E2E, FailedOperation, testing::ValuesIn(FaultCases()), NativeCaseName);

}  // namespace
