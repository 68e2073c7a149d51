#ifndef PIPEWELL_TESTS_CHILD_PROCESSES_POSIX_H_
#define PIPEWELL_TESTS_CHILD_PROCESSES_POSIX_H_

// The test program's own child processes, read from /proc; POSIX tests only
// (plugin_fixture_posix.cpp).

namespace pwtest {

// Child processes of this process that are zombies.
int ZombieChildren();

// Child processes of this process in any state: running, dying or zombie.
// A killed or detached child is not yet a zombie at first, so "no zombies
// now" proves nothing until this has dropped to 0.
int ChildProcesses();

}  // namespace pwtest

#endif  // PIPEWELL_TESTS_CHILD_PROCESSES_POSIX_H_
