#include <cerrno>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(WindowsErrorCode, ErrnoTranslation) {
  struct Translation {
    int error;
    bool creating;
    int code;
  };
  const Translation translations[] = {
      {ENOENT, false, 2},        {ENOENT, true, 3},   {ENOTDIR, true, 3},   {EMFILE, false, 4},
      {ENFILE, false, 4},        {EACCES, true, 5},   {EPERM, false, 5},    {EROFS, true, 5},
      {EISDIR, true, 5},         {EBADF, false, 6},   {EBUSY, false, 32},   {ETXTBSY, true, 32},
      {EINVAL, false, 87},       {EPIPE, false, 109}, {ENOSPC, false, 112}, {EDQUOT, false, 112},
      {ENAMETOOLONG, true, 206}, {EFBIG, false, 223}, {EIO, false, 1117},   {ELOOP, true, 1921},
      {ESPIPE, false, 1},        {EXDEV, false, 31},  {ENOMEM, false, 31},
  };
  for (const Translation& t : translations) {
    EXPECT_EQ(WindowsErrorCode(t.error, t.creating), t.code) << t.error << " " << t.creating;
  }
}

}  // namespace
