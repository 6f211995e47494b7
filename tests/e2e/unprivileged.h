// Runs as a user without privileges, for the cases that need a permission check to refuse: the
// tests run as root, and root passes every one of them.
#pragma once

#include <string>
#include <vector>

#include "cases.h"
#include "harness.h"

struct RunUser {
  // Put before a command, starts it as this user; empty when the tests already run as it.
  std::vector<std::string> prefix;
  unsigned uid = 0;
  unsigned gid = 0;
  // Why nothing can run as this user; empty when runs work.
  std::string unavailable;
};

// As root: nobody, through setpriv. Otherwise: the user running the tests. Tried once with a
// real run, which must reach each of `paths` (the program and what it loads) and a directory
// of its own, as every case does.
RunUser UnprivilegedUser(const std::vector<std::string>& paths);

// Copies of `files`, each under its own name (a report names the module by it), in a fresh
// directory of the temporary directory that every user may enter and run from, removed when the
// test program ends. The build tree may sit where nobody cannot go, such as in root's home.
std::vector<std::string> StagedCopies(const std::vector<std::string>& files);

// `tool`, started as `user`.
Tool RunAs(Tool tool, const RunUser& user);

// `c`, with every file of its working directory given to `user` once it is set up, so that the
// case's own modes decide what the run may do.
E2ECase OwnedBy(E2ECase c, const RunUser& user);

// The cases that only a user without privileges can show: read-only and unreadable files and
// directories, each refused by the system or, for reading, let through.
std::vector<E2ECase> PermissionCases();

// Called from a test's set-up: when nothing can run as `user`, says why and skips the test, or
// fails it under CI (CI=true), where every suite must run.
void RequireRunUser(const RunUser& user);
