// pipewell-run's command line: the options, their checks and the help text.
#ifndef PIPEWELL_RUN_OPTIONS_H_
#define PIPEWELL_RUN_OPTIONS_H_

#include <string>

namespace pipewell_run {

// What the command line asks for.
struct Options {
  int mode = 0;       // the Shell's Mode: 0, 1 or 2
  int timeout = -1;   // the Shell's TimeOut in ms; -1 is no limit
  std::string plugin;  // library to load; empty for the default lookup
  std::string command;
  bool haveParameters = false;
  std::string parameters;
};

enum class Request {
  kRun,      // run options.command
  kHelp,     // print HelpText() to standard output, exit 0
  kVersion,  // print VersionText() to standard output, exit 0
  kUsageError  // print UsageText() and the error to standard error, exit 2
};

// Parses argv[1..argc-1]. Options come before COMMAND; "--help", "-h" and
// "--version" count only there, so they can still be passed on as
// PARAMETERS. On kUsageError, `error` says what was wrong.
Request ParseArgs(int argc, const char* const* argv, Options* options,
                  std::string* error);

// "usage: pipewell-run ...", one line with its line break.
std::string UsageText();

// The usage line and a summary of options, input, output and exit status.
std::string HelpText();

// "pipewell-run VERSION" and a line break.
std::string VersionText();

}  // namespace pipewell_run

#endif  // PIPEWELL_RUN_OPTIONS_H_
