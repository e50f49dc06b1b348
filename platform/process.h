#pragma once
// Starting other programs: always from an argument vector (no shell ever parses a path), with
// no descriptor of ours inherited beyond the three standard ones.

#include <string>
#include <vector>

#include "platform/expected.h"

namespace kest::platform {

// Starts argv[0] (a path, or a name looked up in PATH) with its arguments, standard input from
// /dev/null, and does not wait. The program is detached (started through an intermediate
// process), so no zombie is left behind whenever it ends. Fails when the program cannot be
// executed.
Status StartDetached(const std::vector<std::string>& argv);

struct RunOptions {
  bool quiet = false;  // standard output and error to /dev/null instead of ours
};

// Starts argv and waits for it without a time limit. Standard input is /dev/null, so a program
// that asks a question gets end-of-file instead of hanging. The value is the exit status, or
// 128 + the signal number when it was killed.
Expected<int> RunAndWait(const std::vector<std::string>& argv, const RunOptions& options = {});

// The running executable's full path and its folder (no trailing "/").
std::string ProgramPath();
std::string ProgramFolder();

}  // namespace kest::platform
