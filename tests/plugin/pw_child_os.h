#ifndef PIPEWELL_TESTS_PW_CHILD_OS_H_
#define PIPEWELL_TESTS_PW_CHILD_OS_H_

#include <string>

// What the test helper pw-child does differently per system
// (pw_child_<platform>.cpp).

namespace pwchild {

// Makes the standard streams pass bytes through unchanged.
void PrepareStreams();

// This process's id.
long ProcessId();

// Starts another pw-child (program `self`) that writes its id to `pidPath`
// and then runs the one step `then` holding this process's standard output
// open; it outlives this process.
void StartGrandchild(const char* self, const char* pidPath, const char* then);

// "open" when standard input has nothing to read now, "eof" at its end,
// "data" when bytes wait; never waits.
const char* StdinState();

// Steps only this system has; false when `verb` is not one of them.
bool SystemStep(const std::string& verb, const char* value);

}  // namespace pwchild

#endif  // PIPEWELL_TESTS_PW_CHILD_OS_H_
