// Files and directories that the system refuses to a user without privileges, on the native
// build. Root passes every permission check, so as root the tool runs as nobody for these cases.
#include <gtest/gtest.h>

#include "native.h"
#include "unprivileged.h"

namespace {

class Permission : public testing::TestWithParam<E2ECase> {
 protected:
  void SetUp() override {
    static const RunUser user = UnprivilegedUser({ULMOR_BINARY});
    user_ = user;
    RequireRunUser(user_);
  }
  RunUser user_;
};

TEST_P(Permission, Native) {
  CheckCase(RunAs(NativeTool(), user_), OwnedBy(GetParam(), user_));
}

INSTANTIATE_TEST_SUITE_P(E2E, Permission, testing::ValuesIn(PermissionCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

}  // namespace
