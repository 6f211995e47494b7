// Starts a program with a command line given byte for byte, and ends with its exit status.
//
//   launch.exe [--hold <file>] [--no-std-handles | --closed-stdout] <program>
//              <command line in hexadecimal>
//
// Wine builds a Windows command line from the Unix arguments it is given and quotes them its own
// way, so a line with empty quote pairs, tabs or a backslash before a quote cannot reach the
// program unchanged through Wine itself. Hexadecimal digits pass through any quoting untouched;
// the launcher decodes them and hands the exact bytes to CreateProcessA.
//
// --hold opens the file without sharing it for as long as the program runs, as another process
// that holds it would.
//
// --no-std-handles starts the program with no standard handles at all, as a scheduler or a
// service may: GetStdHandle gives it null. --closed-stdout hands it, for standard output, a
// handle that the launcher closed before the start, as a parent that closed its own may.
//
// When ULMOR_TEST_SLEEP_LOG names a file, the launcher runs the program as its debugger and
// answers every call of Sleep itself: it returns at once and appends a line to that file with the
// milliseconds asked and the bytes the launcher's standard output holds at that moment. A test
// can then tell whether and when the run paused without waiting a second for every case. When
// ULMOR_TEST_PAUSE_MARK is set too, each answer also writes its text to the launcher's standard
// output, which the program shares: on a console the order then shows whether its lines came
// before the pause.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// Outside the statuses the tool uses, so a failed launch is never mistaken for a run.
constexpr int LaunchFailed = 125;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "launch: %s failed, error %lu\n", what, GetLastError());
  std::exit(LaunchFailed);
}

int HexDigit(char digit) {
  if (digit >= '0' && digit <= '9') {
    return digit - '0';
  }
  if (digit >= 'a' && digit <= 'f') {
    return digit - 'a' + 10;
  }
  if (digit >= 'A' && digit <= 'F') {
    return digit - 'A' + 10;
  }
  return -1;
}

bool DecodeHex(const std::string& hex, std::string* bytes) {
  if (hex.size() % 2 != 0) {
    return false;
  }
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = HexDigit(hex[i]);
    int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    *bytes += static_cast<char>(high << 4 | low);
  }
  return true;
}

void RecordPause(const char* log, DWORD milliseconds) {
  LARGE_INTEGER held;
  if (!GetFileSizeEx(GetStdHandle(STD_OUTPUT_HANDLE), &held)) {
    held.QuadPart = -1;
  }
  FILE* file = std::fopen(log, "a");
  if (file == nullptr) {
    Fail("opening the pause log");
  }
  std::fprintf(file, "%lu %lld\n", milliseconds, static_cast<long long>(held.QuadPart));
  std::fclose(file);
  if (const char* mark = std::getenv("ULMOR_TEST_PAUSE_MARK")) {
    DWORD written;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), mark, static_cast<DWORD>(std::strlen(mark)),
                   &written, nullptr)) {
      Fail("writing the pause mark");
    }
  }
}

// Returns from Sleep at once, in the thread stopped on its first instruction: the return address
// goes from the stack into the instruction pointer, as the function's own ret would.
void AnswerSleep(HANDLE process, HANDLE thread, const char* log) {
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_FULL;
  DWORD64 returnAddress;
  if (!GetThreadContext(thread, &context) ||
      !ReadProcessMemory(process, reinterpret_cast<void*>(context.Rsp), &returnAddress,
                         sizeof returnAddress, nullptr)) {
    Fail("reading the caller of Sleep");
  }
  RecordPause(log, static_cast<DWORD>(context.Rcx));
  context.Rip = returnAddress;
  context.Rsp += sizeof returnAddress;
  if (!SetThreadContext(thread, &context)) {
    Fail("returning from Sleep");
  }
}

// Runs the started process to its end as its debugger, with a breakpoint on Sleep, and returns
// its exit status.
DWORD RunProbed(const PROCESS_INFORMATION& process, const char* log) {
  // System DLLs sit at the same address in every process, so the launcher's own Sleep is the
  // program's too. The breakpoint goes in once the loader has mapped them, at its first stop.
  auto sleep = reinterpret_cast<BYTE*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep"));
  if (sleep == nullptr) {
    Fail("finding Sleep");
  }
  std::map<DWORD, HANDLE> threads = {{process.dwThreadId, process.hThread}};
  bool armed = false;
  for (;;) {
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, INFINITE)) {
      Fail("WaitForDebugEvent");
    }
    DWORD reply = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseHandle(event.u.LoadDll.hFile);
        break;
      case CREATE_THREAD_DEBUG_EVENT:
        threads[event.dwThreadId] = event.u.CreateThread.hThread;
        break;
      case EXIT_THREAD_DEBUG_EVENT:
        threads.erase(event.dwThreadId);
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return event.u.ExitProcess.dwExitCode;
      case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& exception = event.u.Exception.ExceptionRecord;
        const bool ours = exception.ExceptionCode == EXCEPTION_BREAKPOINT &&
                          (!armed || exception.ExceptionAddress == sleep);
        if (!ours) {
          reply = DBG_EXCEPTION_NOT_HANDLED;
        } else if (!armed) {
          const BYTE breakpoint = 0xCC;
          if (!WriteProcessMemory(process.hProcess, sleep, &breakpoint, 1, nullptr)) {
            Fail("placing the breakpoint on Sleep");
          }
          FlushInstructionCache(process.hProcess, sleep, 1);
          armed = true;
        } else {
          AnswerSleep(process.hProcess, threads.at(event.dwThreadId), log);
        }
        break;
      }
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, reply);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  HANDLE held = INVALID_HANDLE_VALUE;
  if (argc > next + 1 && std::string(argv[next]) == "--hold") {
    held = CreateFileA(argv[next + 1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
      Fail("holding the file");
    }
    next += 2;
  }
  bool noStdHandles = false;
  bool closedStdout = false;
  if (argc > next && std::string(argv[next]) == "--no-std-handles") {
    noStdHandles = true;
    ++next;
  } else if (argc > next && std::string(argv[next]) == "--closed-stdout") {
    closedStdout = true;
    ++next;
  }
  std::string line;
  if (argc != next + 2 || !DecodeHex(argv[next + 1], &line)) {
    std::fprintf(stderr,
                 "usage: launch [--hold <file>] [--no-std-handles | --closed-stdout] <program> "
                 "<command line in "
                 "hexadecimal>\n");
    return LaunchFailed;
  }
  const char* program = argv[next];
  const char* log = std::getenv("ULMOR_TEST_SLEEP_LOG");

  // The program writes straight to the launcher's own standard handles, so that it sees the same
  // kind of output (file, pipe or console) as a program started directly.
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  if (noStdHandles) {
    startup.hStdInput = nullptr;
    startup.hStdOutput = nullptr;
    startup.hStdError = nullptr;
  }
  if (closedStdout) {
    // A handle of the launcher's own, closed before the start: the program is handed a value
    // that names nothing in it, as when a parent closes its standard output and starts a child.
    // Windows gives the program that value as it stands; Wine gives it null.
    HANDLE closed = CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (closed == INVALID_HANDLE_VALUE || !CloseHandle(closed)) {
      Fail("closing a handle for standard output");
    }
    startup.hStdOutput = closed;
  }
  PROCESS_INFORMATION process;
  // CreateProcessA may write into the line it is given, so it gets a copy it can change.
  std::string commandLine = line;
  DWORD flags = log != nullptr ? DEBUG_ONLY_THIS_PROCESS : 0;
  if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                      &startup, &process)) {
    Fail("CreateProcessA");
  }
  DWORD status = LaunchFailed;
  if (log != nullptr) {
    status = RunProbed(process, log);
  } else {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (held != INVALID_HANDLE_VALUE) {
    CloseHandle(held);
  }
  return static_cast<int>(status);
}
