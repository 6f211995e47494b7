#include "harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

Bytes MakeHeader(const std::map<int, Row>& rows) {
  Bytes header(512, '\0');
  header[0] = '\x56';
  header[1] = '\x61';
  header[2] = '\xAA';
  header[3] = '\x55';
  for (const auto& [index, row] : rows) {
    const std::size_t at = 4 + 4 * static_cast<std::size_t>(index);
    header[at] = static_cast<char>(row.start & 0xFF);
    header[at + 1] = static_cast<char>(row.start >> 8);
    header[at + 2] = static_cast<char>(row.length & 0xFF);
    header[at + 3] = static_cast<char>(row.length >> 8);
  }
  return header;
}

Bytes MakeContainer(const std::map<int, Row>& rows, std::uint32_t dataSectors) {
  Bytes container = MakeHeader(rows);
  container.reserve(512 + 512 * static_cast<std::size_t>(dataSectors));
  for (std::uint32_t sector = 1; sector <= dataSectors; ++sector) {
    // The sector number in every 4-byte word, plus a running byte: no two sectors are alike.
    for (std::uint32_t i = 0; i < 512; i += 4) {
      container += static_cast<char>(sector & 0xFF);
      container += static_cast<char>(sector >> 8);
      container += static_cast<char>(sector >> 16);
      container += static_cast<char>(i >> 2);
    }
  }
  return container;
}

Bytes MemberBytes(const Bytes& container, Row row) {
  const std::size_t offset = std::size_t{row.start} * 512;
  const std::size_t size = std::size_t{row.length} * 512;
  if (offset >= container.size()) {
    return {};
  }
  return container.substr(offset, size);
}

std::string BuiltSleepProbe() {
  return SLEEP_PROBE_PATH;
}

std::string MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/ulmor-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return pattern;
}

void RemoveTree(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    chmod(path.c_str(), 0700);
    for (const std::string& name : ListDir(path)) {
      RemoveTree(path + "/" + name);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        names.emplace_back(entry->d_name);
      }
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// Where the sleep probe writes its log: an inherited descriptor far above those the tool opens,
// so that it never changes their numbers and stays usable under a descriptor limit.
constexpr int SleepLogFd = 100;

std::string Joined(const std::vector<std::string>& parts, char separator) {
  std::string joined;
  for (const std::string& part : parts) {
    joined += (joined.empty() ? "" : std::string(1, separator)) + part;
  }
  return joined;
}

// A sanitizer option added to those the caller's environment may already give.
std::string SanitizerOptions(const char* name, const std::string& added) {
  const char* given = std::getenv(name);
  return std::string(name) + "=" + (given != nullptr ? std::string(given) + ":" : "") + added;
}

void SetLimit(int resource, unsigned long value) {
  rlimit limit;
  if (value == 0 || getrlimit(resource, &limit) == -1) {
    return;
  }
  limit.rlim_cur = value;
  if (setrlimit(resource, &limit) == -1) {
    _exit(126);
  }
}

// A pseudo-terminal whose slave end goes to the tool. Output processing is off: with it, the line
// discipline would turn every LF into CR LF, and the tool's CR LF into CR CR LF, so the bytes
// arrive as the tool (or a console drawn there) wrote them.
void OpenTerminal(int* master, int* slave) {
  *master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (*master == -1 || grantpt(*master) == -1 || unlockpt(*master) == -1) {
    throw std::runtime_error("cannot make a pseudo-terminal");
  }
  *slave = open(ptsname(*master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios mode;
  if (*slave == -1 || tcgetattr(*slave, &mode) == -1) {
    throw std::runtime_error("cannot open the pseudo-terminal's slave");
  }
  mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  if (tcsetattr(*slave, TCSANOW, &mode) == -1) {
    throw std::runtime_error("cannot set the pseudo-terminal's mode");
  }
}

// Everything that reaches the terminal, until every process that held its slave end has closed
// it (Wine's console outlives the program it serves). Read while the run goes on, so that no
// writer ever waits for room. A minute of silence with the slave still open ends the run.
Bytes ReadTerminal(int master, pid_t pid) {
  Bytes bytes;
  char buffer[4096];
  for (;;) {
    pollfd ready{master, POLLIN, 0};
    if (poll(&ready, 1, 60000) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      throw std::runtime_error("the terminal stayed open a minute without output");
    }
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got > 0) {
      bytes.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      return bytes;  // EIO: no slave end is open any more
    }
  }
}

}  // namespace

RunResult RunTool(const Tool& tool, const std::string& dir, const std::vector<std::string>& args,
                  const RunSetUp& setUp) {
  // The run's own files sit beside the working directory, never inside it.
  const std::string outputPath = dir + ".stdout";
  const std::string errorPath = dir + ".stderr";
  const std::string sleepLog = dir + ".pauses";
  unlink(sleepLog.c_str());

  std::vector<std::string> argv = tool.command;
  const std::vector<std::string> passed = tool.arguments ? tool.arguments(args) : args;
  argv.insert(argv.end(), passed.begin(), passed.end());
  std::vector<std::string> env = tool.env;
  std::vector<std::string> preload;
  if (tool.probed) {
    env.push_back("ULMOR_TEST_SLEEP_LOG=" + sleepLog);
    if (tool.preloadProbe) {
      preload.push_back(tool.sleepProbe);
      env.push_back("ULMOR_TEST_SLEEP_FD=" + std::to_string(SleepLogFd));
    }
  }
  if (!setUp.fault.empty()) {
    preload.push_back(FAULT_INJECT_PATH);
    env.push_back("ULMOR_TEST_FAULT=" + setUp.fault);
  }
  if (!preload.empty()) {
    env.push_back("LD_PRELOAD=" + Joined(preload, ':'));
  }
  // For a build with sanitizers: preloaded shims come before their runtime, which is harmless
  // here, and a finding must end the run with a status the tool itself never gives.
  env.push_back(SanitizerOptions("ASAN_OPTIONS", "verify_asan_link_order=0:exitcode=86"));
  env.push_back(SanitizerOptions("UBSAN_OPTIONS", "exitcode=86:print_stacktrace=1"));

  // A pipe with no reader from the start, so that the first write to it fails.
  int pipeEnds[2] = {-1, -1};
  if (setUp.outputToClosedPipe && (pipe(pipeEnds) == -1 || close(pipeEnds[0]) == -1)) {
    throw std::runtime_error("cannot make a pipe");
  }
  int terminal = -1;
  int terminalSlave = -1;
  if (setUp.outputToTerminal) {
    OpenTerminal(&terminal, &terminalSlave);
  }
  const bool outputCaptured =
      setUp.outputPath.empty() && !setUp.outputToClosedPipe && !setUp.outputToTerminal;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = setUp.outputToClosedPipe ? pipeEnds[1]
              : setUp.outputToTerminal
                  ? terminalSlave
                  : open(outputCaptured ? outputPath.c_str() : setUp.outputPath.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in == -1 || out == -1 || err == -1 || dup2(in, 0) == -1 || dup2(out, 1) == -1 ||
        dup2(err, 2) == -1 || chdir(dir.c_str()) == -1) {
      _exit(126);
    }
    // Nothing else of the test process reaches the tool: it numbers its files as it would when
    // started from a shell.
    close_range(3, ~0U, 0);
    if (tool.probed && tool.preloadProbe) {
      int log = open(sleepLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (log == -1 || dup2(log, SleepLogFd) == -1) {
        _exit(126);
      }
      close(log);
    }
    for (int fd : setUp.closed) {
      close(fd);
    }
    SetLimit(RLIMIT_FSIZE, setUp.fileSizeLimit);
    SetLimit(RLIMIT_NOFILE, setUp.openFileLimit);
    for (const std::string& entry : env) {
      putenv(const_cast<char*>(entry.c_str()));
    }
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
      pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  if (setUp.outputToClosedPipe) {
    close(pipeEnds[1]);
  }
  RunResult result;
  if (setUp.outputToTerminal) {
    close(terminalSlave);
    const Bytes shown = ReadTerminal(terminal, pid);
    close(terminal);
    result.output = tool.consoleView ? tool.consoleView(shown) : shown;
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  if (outputCaptured) {
    result.output = ReadBytes(outputPath);
  }
  result.errors = ReadBytes(errorPath);
  unlink(outputPath.c_str());
  unlink(errorPath.c_str());
  std::istringstream pauses(ReadBytes(sleepLog));
  long ms;
  long held;
  while (pauses >> ms >> held) {
    result.pauses.push_back(ms);
    result.outputAtPause.push_back(held);
  }
  unlink(sleepLog.c_str());
  return result;
}

bool OutputMatches(const std::string& expected, const std::string& module, const Bytes& actual) {
  std::string pattern = expected;
  for (std::size_t at; (at = pattern.find("{module}")) != std::string::npos;) {
    pattern.replace(at, 8, module);
  }
  std::size_t a = 0;
  for (std::size_t p = 0; p < pattern.size();) {
    if (pattern.compare(p, 6, "{addr}") == 0) {
      for (int digit = 0; digit < 8; ++digit, ++a) {
        if (a >= actual.size() || !std::isxdigit(static_cast<unsigned char>(actual[a])) ||
            std::islower(static_cast<unsigned char>(actual[a]))) {
          return false;
        }
      }
      p += 6;
    } else {
      if (a >= actual.size() || actual[a] != pattern[p]) {
        return false;
      }
      ++a;
      ++p;
    }
  }
  return a == actual.size();
}
