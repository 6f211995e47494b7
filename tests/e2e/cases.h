// The end-to-end cases that hold alike on every platform the tool is built for.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"

// Expected standard output pieces.
inline const std::string UsageLine = "skladnia: ulmor <uq_file> <out_dir>\r\n";
std::string FoundLine(int index);
// The progress lines of these members, in this order.
std::string FoundLines(const std::vector<int>& indices);
std::string FatalLine(const std::string& text);
std::string ReportLines(const std::string& message);
inline const std::string EndOfFileLine = "Blad: nieoczekiwany koniec pliku.\r\n";

struct E2ECase {
  std::string name;
  // Makes the container written as `containerName` (none when `writeContainer` is false); `rows`
  // are those its header was made from, which tell what each member file must hold. Made only when
  // the case runs, as some containers are large.
  std::function<Bytes()> container;
  std::map<int, Row> rows;
  bool writeContainer = true;
  // Further set-up in the working directory, before the run.
  std::function<void(const std::string& dir)> setUp;
  // Runs right after the tool, before the files are checked: checks of the case's own, or modes
  // put back so that the test can read what the tool was refused.
  std::function<void(const std::string& dir)> afterRun;
  std::vector<std::string> args = {"c.uq", "out"};
  // Where the container is written and where its members are looked for, relative to the
  // working directory and with "/" between names; `args` must name them.
  std::string containerName = "c.uq";
  std::string outDir = "out";
  std::string output;  // see OutputMatches
  int status = 0;
  bool pauses = true;  // a 1000 ms pause before the end
  // The member files `outDir` must hold afterwards, each with the bytes its row covers; nothing
  // else may be there but `kept`. With `outDirMade` false, `outDir` must not exist.
  std::vector<int> written;
  std::vector<std::string> kept;
  // Member files cut short by a failure: each holds only the first so many bytes of its row.
  std::map<int, std::size_t> cut;
  bool outDirMade = true;
};

std::vector<E2ECase> SharedCases();

// Names the case in test reports, instead of a dump of its bytes.
void PrintTo(const E2ECase& c, std::ostream* out);

// Runs one case in a fresh directory and checks output, status, pauses and files.
void CheckCase(const Tool& tool, const E2ECase& c, const RunSetUp& setUp = {});
