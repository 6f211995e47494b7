// Files and directories that the system refuses to a user without privileges, on the native
// build. Root passes every permission check, so as root the tool runs as nobody for these cases,
// from copies that nobody can reach wherever the build tree is.
#include <gtest/gtest.h>

#include "native.h"
#include "unprivileged.h"

namespace {

class Permission : public testing::TestWithParam<E2ECase> {
 protected:
  void SetUp() override {
    // The tool and the sleep probe it loads.
    static const std::vector<std::string> staged = StagedCopies({ULMOR_BINARY, BuiltSleepProbe()});
    static const RunUser user = UnprivilegedUser(staged);
    tool_ = NativeTool();
    tool_.command = {staged.at(0)};
    tool_.sleepProbe = staged.at(1);
    user_ = user;
    RequireRunUser(user_);
  }
  Tool tool_;
  RunUser user_;
};

TEST_P(Permission, Native) {
  CheckCase(RunAs(tool_, user_), OwnedBy(GetParam(), user_));
}

INSTANTIATE_TEST_SUITE_P(E2E, Permission, testing::ValuesIn(PermissionCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

}  // namespace
