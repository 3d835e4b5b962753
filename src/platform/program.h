#pragma once
#include <functional>

namespace platform {

// Ends the program at once, with no further step of the caller (the
// database is neither closed nor compacted). Tests replace the ending.
[[noreturn]] void endProgram();
void setEndProgramHandler(std::function<void()> handler);

// Thrown in place of ending when a test has replaced the ending, so the
// caller's remaining steps are skipped as they would be.
struct ProgramEnded {};

}  // namespace platform
