#include "cases.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

std::string FoundLine(int index) {
  char name[8];
  std::snprintf(name, sizeof name, "%03d", index);
  return "znalazlem " + std::string(name) + ".bin\r\n";
}

std::string FatalLine(const std::string& text) {
  return "Blad: " + text + ".\r\n";
}

std::string ReportLines(const std::string& message) {
  return "Exception EInOutError in module {module} at {addr}.\n" + message + "\r\n";
}

std::string FoundLines(const std::vector<int>& indices) {
  std::string lines;
  for (int index : indices) {
    lines += FoundLine(index);
  }
  return lines;
}

namespace {

Bytes Signature() {
  return MakeHeader({}).substr(0, 4);
}

// Members that are copied whole: every one of the rows that fits in the container.
std::vector<int> Indices(const std::map<int, Row>& rows) {
  std::vector<int> indices;
  for (const auto& row : rows) {
    indices.push_back(row.first);
  }
  return indices;
}

E2ECase Usage(std::string name, std::vector<std::string> args) {
  E2ECase c;
  c.name = std::move(name);
  c.rows = {{0, {1, 1}}};
  c.container = [] { return MakeContainer({{0, {1, 1}}}, 1); };
  c.args = std::move(args);
  c.output = UsageLine;
  c.outDirMade = false;
  return c;
}

// A container whose header ends early, or is wrong, so that no member is ever written.
E2ECase BadHeader(std::string name, Bytes container, std::string output) {
  E2ECase c;
  c.name = std::move(name);
  c.container = [container] { return container; };
  c.output = std::move(output);
  c.status = 1;
  return c;
}

// A container whose rows all fit, copied whole.
E2ECase Whole(std::string name, std::map<int, Row> rows, std::uint32_t dataSectors) {
  E2ECase c;
  c.name = std::move(name);
  c.container = [rows, dataSectors] { return MakeContainer(rows, dataSectors); };
  c.rows = rows;
  c.written = Indices(rows);
  c.output = FoundLines(c.written);
  return c;
}

}  // namespace

std::vector<E2ECase> SharedCases() {
  std::vector<E2ECase> cases;

  // The argument count: anything but two prints the usage line, touches nothing and ends
  // normally. Empty arguments never count.
  cases.push_back(Usage("NoArguments", {}));
  cases.push_back(Usage("OneArgument", {"c.uq"}));
  cases.push_back(Usage("ThreeArguments", {"c.uq", "out", "extra"}));
  cases.push_back(Usage("EmptyArgumentAfterContainer", {"c.uq", ""}));
  {
    E2ECase c = Whole("EmptyArgumentsAreDropped", {{0, {1, 1}}}, 1);
    c.args = {"", "c.uq", "", "out"};
    cases.push_back(c);
  }

  // The container must exist as a file; until it does, nothing else is touched.
  {
    E2ECase c;
    c.name = "MissingContainer";
    c.writeContainer = false;
    c.output = FatalLine("nie znalazlem c.uq");
    c.status = 1;
    c.outDirMade = false;
    cases.push_back(c);
  }
  {
    E2ECase c = cases.back();
    c.name = "MissingContainerEndingInFullStop";
    c.args = {"x.", "out"};
    c.output = "Blad: nie znalazlem x..\r\n";
    cases.push_back(c);
  }
  {
    E2ECase c = cases.back();
    c.name = "ContainerIsADirectory";
    c.setUp = [](const std::string& dir) { mkdir((dir + "/c.uq").c_str(), 0755); };
    c.args = {"c.uq", "out"};
    c.output = FatalLine("nie znalazlem c.uq");
    cases.push_back(c);
  }

  // Short and wrong headers: the output directory is made, but no member is written.
  for (std::size_t size = 0; size <= 3; ++size) {
    cases.push_back(BadHeader("ShortOf4Bytes_" + std::to_string(size), Signature().substr(0, size),
                              EndOfFileLine));
  }
  cases.push_back(BadHeader("SignatureOnly", Signature(), EndOfFileLine));
  cases.push_back(
      BadHeader("HeaderOf511Bytes", MakeHeader({{0, {1, 1}}}).substr(0, 511), EndOfFileLine));
  cases.push_back(BadHeader("SignatureSwapped", "\x56\x61\x55\xAA" + MakeHeader({}).substr(4),
                            FatalLine("sygnatura jest nieprawidlowa")));
  // Three bytes of a wrong signature are too short to be judged.
  cases.push_back(BadHeader("WrongSignatureTooShort", "XYZ", EndOfFileLine));
  cases.push_back(
      BadHeader("WrongSignatureShortHeader", "XYZW", FatalLine("sygnatura jest nieprawidlowa")));

  cases.push_back(Whole("AllZeroTable", {}, 0));

  // Members come out in index order whatever their offsets, and may overlap each other or the
  // header.
  cases.push_back(
      Whole("IndexOrderNotOffsetOrder", {{2, {9, 2}}, {5, {1, 3}}, {9, {0, 2}}, {40, {2, 8}}}, 10));
  // One sector, exactly one block, one block and a sector, and the last index.
  cases.push_back(
      Whole("BlockBoundaries", {{0, {1, 1}}, {1, {2, 128}}, {2, {3, 129}}, {126, {1, 2}}}, 140));
  cases.push_back(Whole("LargestMember", {{3, {1, 65535}}}, 65535));
  {
    // Enough progress lines to fill the 128-byte output buffer many times over, all in order.
    std::map<int, Row> rows;
    for (int index = 0; index < 127; ++index) {
      rows[index] = {static_cast<std::uint16_t>(index + 1), 1};
    }
    cases.push_back(Whole("EveryIndex", rows, 127));
  }

  // A member that runs past the end keeps what was there; later members are not written.
  {
    E2ECase c;
    c.name = "MemberEnds100BytesShort";
    c.rows = {{0, {1, 1}}, {4, {2, 3}}, {7, {1, 1}}};
    c.container = [rows = c.rows] {
      Bytes container = MakeContainer(rows, 4);
      container.resize(container.size() - 100);
      return container;
    };
    c.written = {0, 4};
    c.output = FoundLine(0) + FoundLine(4) + EndOfFileLine;
    c.status = 1;
    cases.push_back(c);
  }
  {
    E2ECase c;
    c.name = "MemberStartsBeyondEnd";
    c.rows = {{0, {1, 1}}, {1, {0xFFFF, 1}}, {2, {1, 1}}};
    c.container = [rows = c.rows] { return MakeContainer(rows, 1); };
    c.written = {0, 1};
    c.output = FoundLine(0) + FoundLine(1) + EndOfFileLine;
    c.status = 1;
    cases.push_back(c);
  }
  {
    // A block boundary inside the missing part: the first block arrives whole, the second short.
    E2ECase c;
    c.name = "MemberEndsInSecondBlock";
    c.rows = {{0, {1, 200}}};
    c.container = [rows = c.rows] { return MakeContainer(rows, 150); };
    c.written = {0};
    c.output = FoundLine(0) + EndOfFileLine;
    c.status = 1;
    cases.push_back(c);
  }

  // Member files that cannot be created: the progress line, then the report, with no pause.
  {
    E2ECase c;
    c.name = "OutputParentMissing";
    c.rows = {{0, {1, 1}}};
    c.container = [rows = c.rows] { return MakeContainer(rows, 1); };
    c.args = {"c.uq", "missing/out"};
    c.output = FoundLine(0) + ReportLines("Invalid filename.");
    c.status = 1;
    c.pauses = false;
    c.outDirMade = false;
    cases.push_back(c);
  }
  {
    E2ECase c = cases.back();
    c.name = "OutputIsAFile";
    c.setUp = [](const std::string& dir) { WriteBytes(dir + "/outfile", "not a directory"); };
    c.args = {"c.uq", "outfile"};
    cases.push_back(c);
  }

  // An existing member file is replaced, never appended to; other files stay.
  {
    E2ECase c = Whole("ExistingMemberReplaced", {{0, {1, 1}}}, 1);
    c.setUp = [](const std::string& dir) {
      mkdir((dir + "/out").c_str(), 0755);
      WriteBytes(dir + "/out/000.bin", Bytes(2000, 'x'));
      WriteBytes(dir + "/out/notes.txt", "kept");
    };
    c.kept = {"notes.txt"};
    cases.push_back(c);
  }
  {
    // A trailing separator on the output directory is kept and one more is added.
    E2ECase c = Whole("OutputWithTrailingSeparator", {{0, {1, 1}}}, 1);
    c.args = {"c.uq", "out/"};
    cases.push_back(c);
  }

  // The output directory is the container's own, and the container's name is that of a member:
  // creating the member would destroy the container, so the run ends as if the file were held
  // open elsewhere. Members before it are kept; later ones are never made.
  {
    E2ECase c;
    c.name = "MemberPathIsTheContainer";
    c.rows = {{0, {1, 1}}, {3, {2, 1}}, {5, {1, 2}}, {8, {3, 1}}};
    c.container = [rows = c.rows] { return MakeContainer(rows, 3); };
    c.containerName = "d/005.bin";
    c.outDir = "d";
    c.args = {"d/005.bin", "d"};
    c.output = FoundLines({0, 3, 5}) + ReportLines("I/O error 32.");
    c.status = 1;
    c.pauses = false;
    c.written = {0, 3};
    c.kept = {"005.bin"};
    cases.push_back(c);
  }
  {
    // The same place under a name no member has: an ordinary run beside the container.
    E2ECase c = Whole("ContainerInOutputDirectory", {{0, {1, 1}}, {5, {2, 1}}, {126, {0, 1}}}, 2);
    c.containerName = "d/010.bin";
    c.outDir = "d";
    c.args = {"d/010.bin", "d"};
    c.kept = {"010.bin"};
    cases.push_back(c);
  }
  return cases;
}

void PrintTo(const E2ECase& c, std::ostream* out) {
  *out << c.name;
}

void CheckCase(const Tool& tool, const E2ECase& c, const RunSetUp& setUp) {
  const std::string dir = MakeTempDir();
  const std::string containerPath = dir + "/" + c.containerName;
  const Bytes container = c.writeContainer ? c.container() : Bytes();
  if (c.writeContainer) {
    for (std::size_t slash = 0; (slash = c.containerName.find('/', slash)) != std::string::npos;
         ++slash) {
      mkdir((dir + "/" + c.containerName.substr(0, slash)).c_str(), 0755);
    }
    WriteBytes(containerPath, container);
  }
  if (c.setUp) {
    c.setUp(dir);
  }
  const RunResult run = RunTool(tool, dir, c.args, setUp);
  if (c.afterRun) {
    c.afterRun(dir);
  }

  EXPECT_TRUE(OutputMatches(c.output, tool.module, run.output)) << "expected:\n"
                                                                << c.output << "\nactual:\n"
                                                                << run.output;
  EXPECT_EQ(run.status, c.status);
  if (tool.quietStderr) {
    EXPECT_EQ(run.errors, "");
  }
  if (tool.probed) {
    EXPECT_EQ(run.pauses, c.pauses ? std::vector<long>{1000} : std::vector<long>{});
  } else if (c.pauses) {
    EXPECT_GE(run.seconds, 1.0);
  }

  if (c.writeContainer) {
    EXPECT_EQ(ReadBytes(containerPath), container) << "the container changed";
  }
  const std::string out = dir + "/" + c.outDir;
  if (!c.outDirMade) {
    EXPECT_FALSE(Exists(out));
  } else {
    std::vector<std::string> expected = c.kept;
    auto expectMember = [&](int index, std::size_t size) {
      const std::string name = FoundLine(index).substr(10, 7);
      expected.push_back(name);
      EXPECT_EQ(ReadBytes(out + "/" + name),
                MemberBytes(container, c.rows.at(index)).substr(0, size))
          << name;
    };
    for (int index : c.written) {
      expectMember(index, Bytes::npos);
    }
    for (const auto& [index, size] : c.cut) {
      expectMember(index, size);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListDir(out), expected);
  }
  RemoveTree(dir);
}
