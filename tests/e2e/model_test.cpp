// Bad input at scale: the native tool against the model (model.h), on random containers and on
// every cut of one small container.
#include <gtest/gtest.h>

#include <cstdint>

#include "harness.h"
#include "model.h"
#include "native.h"

namespace {

constexpr std::uint64_t RandomShards = 4;
constexpr std::uint64_t ContainersPerShard = 50;

class RandomContainers : public testing::TestWithParam<std::uint64_t> {};

TEST_P(RandomContainers, MatchTheModel) {
  ExpectModelOnRandomContainers(NativeTool(), GetParam() * ContainersPerShard, ContainersPerShard);
}

INSTANTIATE_TEST_SUITE_P(E2E, RandomContainers, testing::Range<std::uint64_t>(0, RandomShards));

// Members in index order: one in the data, one that is the header itself, one overlapping the
// first, and one in the last sector.
Bytes SweptContainer() {
  return MakeContainer({{0, {1, 1}}, {2, {0, 1}}, {5, {1, 2}}, {9, {2, 1}}}, 2);
}

constexpr std::size_t CutsPerShard = 128;

class EveryCut : public testing::TestWithParam<std::size_t> {};

TEST_P(EveryCut, MatchesTheModel) {
  const Bytes whole = SweptContainer();
  const std::size_t first = GetParam() * CutsPerShard;
  for (std::size_t size = first; size < first + CutsPerShard && size <= whole.size(); ++size) {
    if (HasFailure()) {
      break;
    }
    ExpectModel(NativeTool(), whole.substr(0, size), "cut at " + std::to_string(size));
  }
}

INSTANTIATE_TEST_SUITE_P(E2E, EveryCut,
                         testing::Range<std::size_t>(0,
                                                     SweptContainer().size() / CutsPerShard + 1));

}  // namespace
