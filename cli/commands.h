#pragma once
// The table of `kest` commands. Each command lives in cli/cmd_<name>.cpp and adds one line here
// and one in commands.cpp.

#include <span>

#include "cli/cli_options.h"

namespace kest::cli {

std::span<const Command> AllCommands();

}  // namespace kest::cli
