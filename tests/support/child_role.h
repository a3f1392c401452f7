// Helper processes of a test: a test that needs a second process starts its
// own test program again in a named child role, which runs one function
// instead of the tests. A role is registered at start-up (a namespace-scope
// `const bool` initialised with RegisterChildRole) and never shows up as a
// test of its own.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// The work of a child role; its result is the child's exit code.
using ChildRole = int (*)();

// Makes `role` startable as `name`. Returns true, for use as an initialiser.
bool RegisterChildRole(const wchar_t* name, ChildRole role);

// When the command line asks for a registered child role, runs it, stores its
// exit code in `exit_code` and returns true; otherwise returns false.
bool RunChildRoleIfAsked(int argc, wchar_t** argv, int* exit_code);

// Starts this test program in the child role `name` and returns the child's
// process handle (the caller closes it), or null when it could not start.
// The child inherits this process's environment as it is at the call.
HANDLE StartChildRole(const wchar_t* name);

}  // namespace test_support
