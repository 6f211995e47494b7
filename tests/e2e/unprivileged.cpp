#include "unprivileged.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) {
      end = dirs.size();
    }
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

// Empty when done; otherwise what failed.
std::string GiveTree(const std::string& path, const RunUser& user) {
  if (lchown(path.c_str(), user.uid, user.gid) != 0) {
    return "cannot give " + path + " to uid " + std::to_string(user.uid) + ": " +
           std::strerror(errno);
  }
  struct stat info;
  if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    for (const std::string& name : ListDir(path)) {
      std::string failed = GiveTree(path + "/" + name, user);
      if (!failed.empty()) {
        return failed;
      }
    }
  }
  return {};
}

// What every case needs of the user: its working directory, the pause log beside it (which the
// Windows launcher makes itself) and the files it runs.
const char* const ProbeScript =
    ": >made && : >>\"$ULMOR_TEST_SLEEP_LOG\" || exit 1\n"
    "for path; do [ -r \"$path\" ] || { echo \"cannot read $path\"; exit 1; }; done\n";

std::vector<std::string>& StagingDirs() {
  static std::vector<std::string> dirs;
  return dirs;
}

void RemoveStagingDirs() {
  for (const std::string& dir : StagingDirs()) {
    RemoveTree(dir);
  }
}

}  // namespace

std::vector<std::string> StagedCopies(const std::vector<std::string>& files) {
  const std::string dir = MakeTempDir();
  // Registered after the list is made, so that the list is still there when it runs.
  if (StagingDirs().empty()) {
    std::atexit(RemoveStagingDirs);
  }
  StagingDirs().push_back(dir);
  chmod(dir.c_str(), 0755);
  std::vector<std::string> copies;
  for (const std::string& file : files) {
    if (!Exists(file)) {
      throw std::runtime_error("cannot stage " + file + ": it is missing");
    }
    const std::string copy = dir + "/" + file.substr(file.rfind('/') + 1);
    WriteBytes(copy, ReadBytes(file));
    chmod(copy.c_str(), 0755);
    copies.push_back(copy);
  }
  return copies;
}

RunUser UnprivilegedUser(const std::vector<std::string>& paths) {
  RunUser user;
  user.uid = getuid();
  user.gid = getgid();
  if (geteuid() == 0) {
    const std::string setpriv = FindProgram("setpriv");
    const passwd* nobody = getpwnam("nobody");
    if (setpriv.empty()) {
      user.unavailable =
          "setpriv (util-linux) is missing: run as root, the tool would pass every permission "
          "check";
      return user;
    }
    if (nobody == nullptr) {
      user.unavailable = "there is no user nobody to run as";
      return user;
    }
    user.uid = nobody->pw_uid;
    user.gid = nobody->pw_gid;
    user.prefix = {setpriv, "--reuid=" + std::to_string(user.uid),
                   "--regid=" + std::to_string(user.gid), "--clear-groups"};
  }

  Tool probe;
  probe.command = {"/bin/sh", "-c", ProbeScript, "probe"};
  probe.probed = true;
  probe.preloadProbe = false;
  const std::string dir = MakeTempDir();
  user.unavailable = GiveTree(dir, user);
  if (user.unavailable.empty()) {
    const RunResult run = RunTool(RunAs(probe, user), dir, paths);
    if (run.status != 0) {
      user.unavailable = "cannot run as uid " + std::to_string(user.uid) + " (status " +
                         std::to_string(run.status) + "): " + run.output + run.errors;
    }
  }
  RemoveTree(dir);
  return user;
}

Tool RunAs(Tool tool, const RunUser& user) {
  tool.command.insert(tool.command.begin(), user.prefix.begin(), user.prefix.end());
  return tool;
}

E2ECase OwnedBy(E2ECase c, const RunUser& user) {
  c.setUp = [setUp = c.setUp, user](const std::string& dir) {
    if (setUp) {
      setUp(dir);
    }
    ASSERT_EQ(GiveTree(dir, user), "");
  };
  return c;
}

void RequireRunUser(const RunUser& user) {
  if (user.unavailable.empty()) {
    return;
  }
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::strcmp(ci, "true") == 0) {
    GTEST_FAIL() << "under CI every case must run, and this one cannot: " << user.unavailable;
  }
  GTEST_SKIP() << user.unavailable;
}

std::vector<E2ECase> PermissionCases() {
  std::vector<E2ECase> cases;
  const std::map<int, Row> rows = {{0, {1, 1}}, {3, {2, 2}}};
  E2ECase refused;
  refused.rows = rows;
  refused.container = [rows] { return MakeContainer(rows, 3); };
  refused.output = FoundLine(0) + ReportLines("File access denied.");
  refused.status = 1;
  refused.pauses = false;
  {
    // An earlier member file made read-only is left as it was.
    E2ECase c = refused;
    c.name = "ReadOnlyMember";
    c.setUp = [](const std::string& dir) {
      mkdir((dir + "/out").c_str(), 0755);
      WriteBytes(dir + "/out/000.bin", "kept as it was");
      chmod((dir + "/out/000.bin").c_str(), 0444);
    };
    c.afterRun = [](const std::string& dir) {
      EXPECT_EQ(ReadBytes(dir + "/out/000.bin"), "kept as it was");
    };
    c.kept = {"000.bin"};
    cases.push_back(c);
  }
  {
    E2ECase c = refused;
    c.name = "UnwritableOutputDirectory";
    c.setUp = [](const std::string& dir) { mkdir((dir + "/out").c_str(), 0555); };
    cases.push_back(c);
  }
  {
    // Refused at the open, after the output directory was made.
    E2ECase c = refused;
    c.name = "UnreadableContainer";
    c.output = ReportLines("File access denied.");
    c.setUp = [](const std::string& dir) { chmod((dir + "/c.uq").c_str(), 0); };
    c.afterRun = [](const std::string& dir) { chmod((dir + "/c.uq").c_str(), 0644); };
    cases.push_back(c);
  }
  {
    // Only read access is asked for, so nothing about the container needs to be writable.
    E2ECase c;
    c.name = "ReadOnlyContainerInReadOnlyDirectory";
    c.rows = rows;
    c.container = refused.container;
    c.containerName = "ro/c.uq";
    c.args = {"ro/c.uq", "out"};
    c.setUp = [](const std::string& dir) {
      chmod((dir + "/ro/c.uq").c_str(), 0444);
      chmod((dir + "/ro").c_str(), 0555);
    };
    c.written = {0, 3};
    c.output = FoundLines(c.written);
    cases.push_back(c);
  }
  return cases;
}
