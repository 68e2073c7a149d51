// Runs a built program with bytes fed to its standard input, for end-to-end
// tests of programs that read it.
#ifndef FLORRIN_TESTS_SUPPORT_RUN_WITH_INPUT_H_
#define FLORRIN_TESTS_SUPPORT_RUN_WITH_INPUT_H_

#include <string>
#include <vector>

#include "support/run_program.h"

struct InputPlan {
  std::string bytes;            // written to the program's standard input
  bool keep_open = false;       // true: no end of input until the program exits
  int deadline_ms = 20000;      // the program is killed when it runs longer
};

// Runs `exe` with `args` in `cwd`, writes `plan.bytes` to its standard input
// while collecting its output, then closes the input (unless
// `plan.keep_open`) and waits for it. When the deadline passes, the program
// is killed and `*deadline_passed` set.
RunResult RunWithInput(const std::string& exe,
                       const std::vector<std::string>& args,
                       const std::string& cwd, const InputPlan& plan,
                       bool* deadline_passed);

#endif  // FLORRIN_TESTS_SUPPORT_RUN_WITH_INPUT_H_
