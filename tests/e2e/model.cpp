#include "model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

std::size_t Field(const Bytes& container, std::size_t at) {
  return static_cast<unsigned char>(container[at]) |
         static_cast<std::size_t>(static_cast<unsigned char>(container[at + 1])) << 8;
}

}  // namespace

Outcome Model(const Bytes& container) {
  const std::string endOfFile = "Blad: nieoczekiwany koniec pliku.\r\n";
  Outcome outcome;
  if (container.size() < 4) {
    outcome.output = endOfFile;
    return outcome;
  }
  if (container.compare(0, 4, "\x56\x61\xAA\x55") != 0) {
    outcome.output = "Blad: sygnatura jest nieprawidlowa.\r\n";
    return outcome;
  }
  if (container.size() < 512) {
    outcome.output = endOfFile;
    return outcome;
  }
  for (std::size_t index = 0; index < 127; ++index) {
    const std::size_t start = Field(container, 4 + 4 * index) * 512;
    const std::size_t size = Field(container, 6 + 4 * index) * 512;
    if (size == 0) {
      continue;
    }
    char name[8];
    std::snprintf(name, sizeof name, "%03zu.bin", index);
    outcome.output += "znalazlem " + std::string(name) + "\r\n";
    const Bytes there = start < container.size() ? container.substr(start, size) : Bytes();
    outcome.members[name] = there;
    if (there.size() < size) {
      outcome.output += endOfFile;
      return outcome;
    }
  }
  outcome.status = 0;
  return outcome;
}

void ExpectModel(const Tool& tool, const Bytes& container, const std::string& label) {
  SCOPED_TRACE(label);
  const std::string dir = MakeTempDir();
  WriteBytes(dir + "/c.uq", container);
  const RunResult run = RunTool(tool, dir, {"c.uq", "out"});
  const Outcome expected = Model(container);
  EXPECT_EQ(run.output, expected.output);
  EXPECT_EQ(run.status, expected.status);
  if (tool.probed) {
    EXPECT_EQ(run.pauses, std::vector<long>{1000});
  }
  if (tool.quietStderr) {
    EXPECT_EQ(run.errors, "");
  }
  EXPECT_EQ(ReadBytes(dir + "/c.uq"), container) << "the container changed";
  std::vector<std::string> names;
  for (const auto& [name, bytes] : expected.members) {
    names.push_back(name);
    EXPECT_EQ(ReadBytes(dir + "/out/" + name), bytes) << name;
  }
  EXPECT_EQ(ListDir(dir + "/out"), names);
  RemoveTree(dir);
}

std::uint64_t Seed() {
  static const std::uint64_t seed = [] {
    const char* given = std::getenv("ULMOR_TEST_SEED");
    const std::uint64_t chosen =
        given != nullptr ? std::strtoull(given, nullptr, 10) : std::random_device{}();
    std::cout << "random containers from seed " << chosen << "; ULMOR_TEST_SEED=" << chosen
              << " replays them\n";
    return chosen;
  }();
  return seed;
}

// A small container with a random table. Most rows lie within the file, the header included,
// often overlapping; the others start at 0xFFFF, anywhere at all or just past the end, or run
// around a block's length or anywhere up to 0xFFFF sectors. Now and then the whole table is
// random bytes or the signature is damaged, and often the container is cut at a random point.
Bytes RandomContainer(std::uint64_t number) {
  std::seed_seq seeds{Seed(), number};
  std::mt19937_64 random(seeds);
  auto below = [&random](std::uint64_t bound) { return random() % bound; };
  const std::uint64_t dataSectors = below(140);
  Bytes container(512 + 512 * dataSectors, '\0');
  for (char& byte : container) {
    byte = static_cast<char>(random());
  }
  container.replace(0, 4, "\x56\x61\xAA\x55");
  if (below(20) == 0) {
    container[below(4)] ^= static_cast<char>(1 + below(255));
  }
  if (below(10) != 0) {
    std::fill(container.begin() + 4, container.begin() + 512, '\0');
    for (std::uint64_t rows = below(8); rows > 0; --rows) {
      std::uint64_t start = below(dataSectors + 1);
      std::uint64_t length = 1 + below(dataSectors + 1 - start);
      if (below(6) == 0) {
        const std::uint64_t starts[] = {0xFFFF, below(0x10000), dataSectors + 1 + below(2)};
        const std::uint64_t lengths[] = {126 + below(5), below(0x10000), 1 + below(3)};
        start = below(2) == 0 ? starts[below(3)] : start;
        length = lengths[below(3)];
      }
      const std::size_t at = 4 + 4 * below(127);
      container[at] = static_cast<char>(start);
      container[at + 1] = static_cast<char>(start >> 8);
      container[at + 2] = static_cast<char>(length);
      container[at + 3] = static_cast<char>(length >> 8);
    }
  }
  if (below(4) == 0) {
    container.resize(below(container.size() + 1));
  }
  return container;
}

void ExpectModelOnRandomContainers(const Tool& tool, std::uint64_t first, std::uint64_t count) {
  for (std::uint64_t number = first; number < first + count && !testing::Test::HasFailure();
       ++number) {
    ExpectModel(tool, RandomContainer(number),
                "seed " + std::to_string(Seed()) + ", container " + std::to_string(number));
  }
}
