// A model of the tool written from the container format alone, and random containers to compare
// the two on. The model shares no code with the tool or with the fixture makers, so a fault in
// either shows as a difference. Its outcomes hold progress lines and fatal messages only: no I/O
// failure report, which names a module and so differs between the builds.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>

#include "harness.h"

// Everything a run must leave behind.
struct Outcome {
  Bytes output;
  int status = 1;
  std::map<std::string, Bytes> members;  // by file name
};

Outcome Model(const Bytes& container);

// Runs the tool on the container and compares everything with the model. `label` says how to
// make the container again.
void ExpectModel(const Tool& tool, const Bytes& container, const std::string& label);

// The seed of this run's random containers: ULMOR_TEST_SEED when set, to replay a failure. It is
// printed on first use.
std::uint64_t Seed();

// Random container number `number` of this seed: the same container on every build.
Bytes RandomContainer(std::uint64_t number);

// Compares the tool with the model on random containers first to first + count - 1, stopping at
// the first that differs.
void ExpectModelOnRandomContainers(const Tool& tool, std::uint64_t first, std::uint64_t count);
