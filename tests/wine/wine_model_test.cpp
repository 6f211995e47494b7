// The Windows build against the same model as the native build (model.h), on the same random
// containers: container n of a seed is the same on both, so ULMOR_TEST_SEED replays a difference
// on either.
#include <gtest/gtest.h>

#include "model.h"
#include "wine_tool.h"

namespace {

// Fewer than natively, as each run under Wine takes a fifth of a second: about ten seconds in all.
TEST(WineRandomContainers, MatchTheModel) {
  ExpectModelOnRandomContainers(Launched(), 0, 40);
}

}  // namespace
