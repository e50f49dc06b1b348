#include "cli/commands.h"

#include <array>

namespace kest::cli {

// Each command's definition, from its own file.

std::span<const Command> AllCommands() {
  static const std::array<Command, 0> commands = {};
  return commands;
}

}  // namespace kest::cli
