// The POSIX side of the plug-in test fixture: paths as given, words quoted
// for /bin/sh, processes read from /proc.
#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "child_processes_posix.h"
#include "plugin_fixture.h"

namespace pwtest {
namespace {

char ProcessState(long pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return 0;
  size_t paren = line.rfind(')');
  return paren + 2 < line.size() ? line[paren + 2] : 0;
}

// Child processes of this process, only the zombies or all of them.
int CountChildren(bool zombiesOnly) {
  int count = 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return -1;
  const std::string self = std::to_string(getpid());
  while (dirent* d = readdir(proc)) {
    if (d->d_name[0] < '0' || d->d_name[0] > '9') continue;
    std::ifstream stat(std::string("/proc/") + d->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    size_t paren = line.rfind(')');
    if (paren == std::string::npos) continue;
    std::istringstream rest(line.substr(paren + 2));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == self && (!zombiesOnly || state == "Z")) count++;
  }
  closedir(proc);
  return count;
}

}  // namespace

std::string NativePath(const std::string& path) { return path; }

std::string QuoteArgument(const std::string& word) {
  std::string q = "'";
  for (char c : word) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

long ProcessIdOf(int pidProperty) { return pidProperty; }

long OwnProcessId() { return static_cast<long>(getpid()); }

bool ProcessAlive(long pid) {
  char state = ProcessState(pid);
  return state != 0 && state != 'Z' && state != 'X';
}

int ZombieChildren() { return CountChildren(true); }

int ChildProcesses() { return CountChildren(false); }

}  // namespace pwtest
