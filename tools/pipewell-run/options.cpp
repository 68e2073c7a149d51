#include "options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace pipewell_run {
namespace {

// A whole decimal number that fits an int.
bool ParseInt(const char* text, int* out) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE) return false;
  if (value < INT_MIN || value > INT_MAX) return false;
  *out = static_cast<int>(value);
  return true;
}

}  // namespace

Request ParseArgs(int argc, const char* const* argv, Options* o,
                  std::string* error) {
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (positional == 0) {
      if (arg == "--help" || arg == "-h") return Request::kHelp;
      if (arg == "--version") return Request::kVersion;
      const bool takesValue =
          arg == "--mode" || arg == "--timeout" || arg == "--plugin";
      if (takesValue && i + 1 >= argc) {
        *error = arg + " needs a value";
        return Request::kUsageError;
      }
      if (arg == "--mode") {
        const char* value = argv[++i];
        // The Shell ignores any other Mode silently; say so here instead.
        if (!ParseInt(value, &o->mode) || o->mode < 0 || o->mode > 2) {
          *error = std::string("--mode must be 0, 1 or 2, not '") + value + "'";
          return Request::kUsageError;
        }
        continue;
      }
      if (arg == "--timeout") {
        const char* value = argv[++i];
        // Other negative values would be huge unsigned limits in the Shell.
        if (!ParseInt(value, &o->timeout) || o->timeout < -1) {
          *error = std::string("--timeout must be milliseconds (0 or more) or "
                               "-1 for none, not '") + value + "'";
          return Request::kUsageError;
        }
        continue;
      }
      if (arg == "--plugin") {
        o->plugin = argv[++i];
        continue;
      }
      if (arg == "--") {
        if (i + 1 >= argc) break;
        o->command = argv[++i];  // a command that itself starts with '-'
        positional = 1;
        continue;
      }
      if (arg.size() > 1 && arg[0] == '-') {
        *error = "unknown option '" + arg + "'";
        return Request::kUsageError;
      }
      o->command = arg;
      positional = 1;
    } else if (positional == 1) {
      o->parameters = arg;
      o->haveParameters = true;
      positional = 2;
    } else {
      *error = "too many words: quote the command line as one word";
      return Request::kUsageError;
    }
  }
  if (positional == 0) {
    *error = "no COMMAND given";
    return Request::kUsageError;
  }
  return Request::kRun;
}

std::string UsageText() {
  return "usage: pipewell-run " PIPEWELL_RUN_SYNOPSIS "\n";
}

std::string HelpText() {
  return UsageText() +
         "Runs COMMAND, followed by PARAMETERS, through the Shell class of the\n"
         "Pipewell plug-in, as REALbasic code would, in /bin/sh.\n"
         "\n"
         "  --mode 0      wait for the command, then print its whole output\n"
         "                (Result) and a line \"ErrorCode: N\" (the default)\n"
         "  --mode 1, 2   print output as it is read, then \"Completed: "
         "ErrorCode N\"\n"
         "  --timeout MS  time limit of mode 0 in milliseconds (default none;\n"
         "                2000 is the Shell's own default); modes 1 and 2 have\n"
         "                none\n"
         "  --plugin PATH load this library instead of the installed one\n"
         "  --            the next word is COMMAND, even if it starts with '-'\n"
         "  -h, --help    print this help;  --version  print the version\n"
         "\n"
         "Input: in modes 1 and 2 whatever arrives on standard input is passed\n"
         "to the command (the Shell's Write) as it arrives. When standard "
         "input\n"
         "ends, the command's input does NOT end: the Shell can close it only\n"
         "together with the output, so the command sees an open input with\n"
         "nothing more to read, and one that reads to the end (cat, sort) "
         "waits\n"
         "until interrupted. In mode 0 nothing is passed on: the command's "
         "input\n"
         "stays open and empty while the Shell waits.\n"
         "\n"
         "Exit status: the command's exit code; 128+N when signal N ended it;\n"
         "124 when --timeout ended it; 127 when no shell could be started;\n"
         "125 when pipewell-run itself failed or the output was too large\n"
         "for the Shell (ErrorCode -3); 2 for a usage error.\n"
         "See pipewell-run(1).\n";
}

std::string VersionText() { return "pipewell-run " PIPEWELL_VERSION "\n"; }

}  // namespace pipewell_run
