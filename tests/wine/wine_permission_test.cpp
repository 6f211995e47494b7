// Files and directories that the system refuses to a user without privileges, on the Windows
// build under Wine. As root, Wine would even replace a read-only file, so as root ulmor.exe runs
// as nobody for these cases, in a prefix of nobody's own, from copies of ulmor.exe and the
// launcher that nobody can reach wherever the build tree is. Each refusal reaches the tool as the
// system's access-denied code.
#include <gtest/gtest.h>

#include "unprivileged.h"
#include "wine_tool.h"

namespace {

class WinePermission : public testing::TestWithParam<E2ECase> {
 protected:
  void SetUp() override {
    static const std::vector<std::string> staged = StagedCopies({ULMOR_EXE, LAUNCHER});
    static const RunUser user =
        UnprivilegedUser({staged.at(0), staged.at(1), UNPRIVILEGED_WINE_PREFIX});
    exe_ = staged.at(0);
    launcher_ = staged.at(1);
    user_ = user;
    RequireRunUser(user_);
  }
  std::string exe_;
  std::string launcher_;
  RunUser user_;
};

TEST_P(WinePermission, Launched) {
  Tool tool = RunAs(Launched(exe_, launcher_), user_);
  tool.env.push_back("WINEPREFIX=" UNPRIVILEGED_WINE_PREFIX);
  tool.env.push_back("HOME=" UNPRIVILEGED_HOME);
  CheckCase(tool, OwnedBy(GetParam(), user_));
}

INSTANTIATE_TEST_SUITE_P(E2E, WinePermission, testing::ValuesIn(PermissionCases()),
                         [](const testing::TestParamInfo<E2ECase>& info) {
                           return info.param.name;
                         });

}  // namespace
