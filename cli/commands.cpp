#include "cli/commands.h"

#include <array>

namespace kest::cli {

// Each command's definition, from its own file.
extern const Command kInstallCommand;

std::span<const Command> AllCommands() {
  static const Command commands[] = {
      kInstallCommand,
  };
  return commands;
}

}  // namespace kest::cli
