// ulmor: unpacks the members of a container file into a directory.
#include <string>
#include <vector>

#include "container/extract.h"
#include "io/failure.h"
#include "io/output.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  OsStartProcess();
  std::vector<std::string> arguments = OsArguments(argc, argv);
  // Exactly two: extra arguments are never ignored in favour of the first two.
  if (arguments.size() == 2) {
    ExtractContainer(arguments[0], arguments[1]);
  } else {
    WriteLine("skladnia: ulmor <uq_file> <out_dir>");
  }
  OsSleep(ExitPauseMs);
  EndProcess(0);
}
