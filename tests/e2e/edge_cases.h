// Containers that are no disk file, the same on every platform: a device read as the container,
// and a FIFO fed from a thread of the test. Whether or not such a container has a file identity
// for the guard, what it delivers decides the run, by the container format and the guarded
// operations.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cases.h"
#include "harness.h"

inline std::string CaseName(const testing::TestParamInfo<E2ECase>& info) {
  return info.param.name;
}

// A device read as the container, by its path on the platform.
inline E2ECase DeviceCase(std::string name, std::string device, std::string output) {
  E2ECase c;
  c.name = std::move(name);
  c.writeContainer = false;
  c.args = {std::move(device), "out"};
  c.output = std::move(output);
  c.status = 1;
  return c;
}

// A writer feeding a FIFO, and a reading end the test may hold meanwhile.
struct FifoFeed {
  std::string path;
  std::thread writer;
  std::shared_ptr<std::atomic<bool>> done;
  int heldReader = -1;
};

// The writer's side of a feed: opens the FIFO unless `fd` is already open, writes the pieces
// with a short wait between them, and closes it.
inline void WriteFifo(const std::string& path, int fd, const std::vector<Bytes>& pieces,
                      const std::function<void()>& opened) {
  // When the tool has gone, a write fails with EPIPE instead of ending the test by a signal.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
  if (fd == -1 && (fd = open(path.c_str(), O_WRONLY)) == -1) {
    return;
  }
  if (opened) {
    opened();
  }
  bool writing = true;
  for (std::size_t piece = 0; writing && piece < pieces.size(); ++piece) {
    if (piece > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const Bytes& bytes = pieces[piece];
    for (std::size_t at = 0; writing && at < bytes.size();) {
      const ssize_t put = write(fd, bytes.data() + at, bytes.size() - at);
      writing = put > 0;
      at += writing ? static_cast<std::size_t>(put) : 0;
    }
  }
  close(fd);
}

// Makes a FIFO at `path` and writes `pieces` into it from a thread, with a short wait between
// pieces so that a read finds only part of what it asked for, then closes it: the reader sees
// the end there. The thread's open waits for a reader, as the native tool's open waits for a
// writer; `opened` runs once both are there.
//
// Wine opens a FIFO without waiting and finds it at its end at once when no writer has come
// yet. With `holdReader` the test holds a reading end from the start and opens the writing end
// before it returns, so that the writer is there before Wine looks; the tool then reads what
// the pipe holds, and the end once the writer has finished.
inline FifoFeed FeedFifo(const std::string& path, std::vector<Bytes> pieces, bool holdReader,
                         std::function<void()> opened = {}) {
  if (mkfifo(path.c_str(), 0644) == -1) {
    throw std::runtime_error("cannot make the FIFO " + path);
  }
  FifoFeed feed;
  feed.path = path;
  feed.done = std::make_shared<std::atomic<bool>>(false);
  int fd = -1;
  if (holdReader && ((feed.heldReader = open(path.c_str(), O_RDONLY | O_NONBLOCK)) == -1 ||
                     (fd = open(path.c_str(), O_WRONLY)) == -1)) {
    throw std::runtime_error("cannot open the FIFO " + path);
  }
  feed.writer = std::thread(
      [path, fd, pieces = std::move(pieces), opened = std::move(opened), done = feed.done] {
        WriteFifo(path, fd, pieces, opened);
        *done = true;
      });
  return feed;
}

// Ends the feed whatever the tool did. A writer still waiting for a reader, when the tool never
// opened the FIFO, is let through by readers that come and go until it has finished.
inline void EndFeed(FifoFeed& feed) {
  if (feed.heldReader != -1) {
    close(feed.heldReader);
    feed.heldReader = -1;
  }
  while (!*feed.done) {
    const int reader = open(feed.path.c_str(), O_RDONLY | O_NONBLOCK);
    if (reader != -1) {
      close(reader);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  feed.writer.join();
}

// A run whose container arrives through a FIFO in these pieces.
struct PipeCase {
  E2ECase expected;
  std::vector<Bytes> pieces;
};

inline void PrintTo(const PipeCase& c, std::ostream* out) {
  *out << c.expected.name;
}

inline std::string PipeCaseName(const testing::TestParamInfo<PipeCase>& info) {
  return info.param.expected.name;
}

// Each case reads its container from the path that the test gives as its first argument.
inline std::vector<PipeCase> PipeCases() {
  E2ECase base;
  base.writeContainer = false;
  base.status = 1;

  // A valid header with an all-zero table, in two pieces: the tool reads on until it has the
  // whole header, and the run ends normally.
  PipeCase allZero{base, {}};
  allZero.expected.name = "AllZeroTable";
  allZero.expected.status = 0;
  const Bytes header = MakeHeader({});
  allZero.pieces = {header.substr(0, 100), header.substr(100)};

  // The writer leaves inside the header: the end of the container.
  PipeCase cut{base, {header.substr(0, 300)}};
  cut.expected.name = "HeaderCutShort";
  cut.expected.output = EndOfFileLine;

  // Members: the first one's file is made, but a pipe cannot be positioned, and that failed
  // operation ends the run with its report. The member file stays, empty.
  PipeCase members{base, {}};
  members.expected.name = "MemberNeedsAPosition";
  members.expected.rows = {{0, {1, 1}}, {1, {2, 1}}};
  members.pieces = {MakeContainer(members.expected.rows, 2)};
  members.expected.output = FoundLine(0) + ReportLines("I/O error 1.");
  members.expected.pauses = false;
  members.expected.cut = {{0, 0}};

  return {allZero, cut, members};
}

// Runs the case as CheckCase does, with its container fed through a FIFO at `fifoPath`, which
// `containerArgument` gives the tool as its first argument.
inline void CheckPipeCase(const Tool& tool, const PipeCase& c, const std::string& fifoPath,
                          const std::string& containerArgument, bool holdReader) {
  E2ECase expected = c.expected;
  expected.args = {containerArgument, "out"};
  FifoFeed feed = FeedFifo(fifoPath, c.pieces, holdReader);
  CheckCase(tool, expected);
  EndFeed(feed);
}
