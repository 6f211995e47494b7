// How the Wine suites start ulmor.exe: through the launcher with a command line given byte for
// byte, or straight under Wine.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cases.h"

inline std::string WithBackslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') {
      c = '\\';
    }
  }
  return path;
}

// Wine maps the whole Unix tree to drive Z:.
inline std::string WindowsPath(const std::string& path) {
  return "Z:" + WithBackslashes(path);
}

inline std::string Hex(const std::string& bytes) {
  std::string hex;
  for (unsigned char byte : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", byte);
    hex += digits;
  }
  return hex;
}

inline Tool Wine() {
  Tool tool;
  tool.command = {WINE};
  tool.env = {"WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all"};
  tool.module = "ulmor.exe";
  return tool;
}

// ulmor.exe started through the launcher with the line that `args[0]` gives byte for byte. The
// programs are those of the Windows build unless copies of them are named.
inline Tool RawLine(const std::vector<std::string>& launcherOptions = {},
                    const std::string& exe = ULMOR_EXE, const std::string& launcher = LAUNCHER) {
  Tool tool = Wine();
  tool.command.push_back(launcher);
  tool.command.insert(tool.command.end(), launcherOptions.begin(), launcherOptions.end());
  tool.command.push_back(WindowsPath(exe));
  tool.probed = true;
  tool.preloadProbe = false;
  tool.arguments = [](const std::vector<std::string>& args) {
    return std::vector<std::string>{Hex(args.at(0))};
  };
  return tool;
}

// ulmor.exe through the launcher, with a line made from the arguments the way a Windows shell
// would write them: each one quoted where it is empty or holds a blank or control byte. The
// paths of the shared cases are written with '/'; Windows gets its own separator.
inline Tool Launched(const std::string& exe = ULMOR_EXE, const std::string& launcher = LAUNCHER) {
  Tool tool = RawLine({}, exe, launcher);
  tool.arguments = [](const std::vector<std::string>& args) {
    std::string line = "ulmor.exe";
    for (const std::string& arg : args) {
      bool quoted = arg.empty();
      for (unsigned char byte : arg) {
        quoted = quoted || (byte >= 1 && byte <= 32);
      }
      line += quoted ? " \"" + WithBackslashes(arg) + "\"" : " " + WithBackslashes(arg);
    }
    return std::vector<std::string>{Hex(line)};
  };
  return tool;
}

// ulmor.exe started by Wine itself, which builds the command line from the arguments, with the
// Windows separator as above.
inline Tool Direct() {
  Tool tool = Wine();
  tool.command.push_back(ULMOR_EXE);
  tool.arguments = [](const std::vector<std::string>& args) {
    std::vector<std::string> windows;
    for (const std::string& arg : args) {
      windows.push_back(WithBackslashes(arg));
    }
    return windows;
  };
  return tool;
}

inline const E2ECase& SharedCase(const std::string& name) {
  static const std::vector<E2ECase> cases = SharedCases();
  for (const E2ECase& c : cases) {
    if (c.name == name) {
      return c;
    }
  }
  throw std::invalid_argument("no shared case " + name);
}
