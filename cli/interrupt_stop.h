#pragma once
// Ctrl-C while a command changes the card: the first one asks the work to stop at its next
// checkpoint (the stop flag), so that no item is left half-written; a second one ends the
// program at once.

namespace kest::cli {

class StopOnInterrupt final {
 public:
  // From here on, the first Ctrl-C sets the stop flag and prints
  // "kest `command`: stopping after the current `item` (Ctrl-C again to quit at once)"; the
  // handler then resets itself, so the second one ends the program.
  StopOnInterrupt(const char* command, const char* item);
  ~StopOnInterrupt();  // Ctrl-C ends the program again
  StopOnInterrupt(const StopOnInterrupt&) = delete;
  StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
};

}  // namespace kest::cli
