// pw-child: a scriptable child process for the plug-in tests. Each argument
// is one step, run in order:
//   out:TEXT  err:TEXT   write TEXT ("\n" stands for a newline)
//   sleep:MS             pause
//   echo                 copy standard input to standard output until EOF
//   line                 read one line (through LF) and write it back
//   take:N               read N bytes (fewer at end of file), write them back
//   stdin                write "open\n" when standard input has nothing to
//                        read, "eof\n" at its end, "data\n" when bytes wait
//   big:N                write N bytes of a known pattern (byte i = i % 251)
//   bytes                write every byte value 0..255 once
//   pidfile:PATH         write this process's id to PATH
//   grandchild:PATH      start a grandchild that writes its id to PATH and
//                        sleeps 30 s holding stdout open
//   signal:N             raise signal N
//   closeout             close standard output and standard error
//   fds                  write the open descriptor numbers, space-separated
//   exit:N               exit with status N
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

std::string Unescape(const char* text) {
  std::string s;
  for (const char* p = text; *p != '\0'; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      s += '\n';
      ++p;
    } else {
      s += *p;
    }
  }
  return s;
}

void WritePid(const char* path, pid_t pid) {
  FILE* f = std::fopen(path, "w");
  if (f == nullptr) return;
  std::fprintf(f, "%d\n", static_cast<int>(pid));
  std::fclose(f);
}

void Step(const std::string& arg) {
  size_t colon = arg.find(':');
  std::string verb = arg.substr(0, colon);
  const char* value = colon == std::string::npos ? "" : arg.c_str() + colon + 1;
  if (verb == "out" || verb == "err") {
    std::string s = Unescape(value);
    WriteAll(verb == "out" ? 1 : 2, s.data(), s.size());
  } else if (verb == "sleep") {
    usleep(static_cast<useconds_t>(std::atoi(value)) * 1000u);
  } else if (verb == "echo") {
    char buf[4096];
    ssize_t n;
    while ((n = read(0, buf, sizeof buf)) > 0) WriteAll(1, buf, static_cast<size_t>(n));
  } else if (verb == "line") {
    std::string line;
    char c;
    while (read(0, &c, 1) == 1) {
      line += c;
      if (c == '\n') break;
    }
    WriteAll(1, line.data(), line.size());
  } else if (verb == "take") {
    char buf[4096];
    for (long left = std::atol(value); left > 0;) {
      ssize_t n = read(0, buf, static_cast<size_t>(std::min<long>(left, sizeof buf)));
      if (n <= 0) break;
      WriteAll(1, buf, static_cast<size_t>(n));
      left -= n;
    }
  } else if (verb == "stdin") {
    struct pollfd p = {0, POLLIN, 0};
    const char* state = "open\n";
    if (poll(&p, 1, 0) > 0) {
      char c;
      state = read(0, &c, 1) == 1 ? "data\n" : "eof\n";
    }
    WriteAll(1, state, std::strlen(state));
  } else if (verb == "big") {
    long total = std::atol(value);
    char buf[65536];
    for (long done = 0; done < total;) {
      size_t n = static_cast<size_t>(std::min<long>(total - done, sizeof buf));
      for (size_t i = 0; i < n; ++i) buf[i] = static_cast<char>((done + static_cast<long>(i)) % 251);
      WriteAll(1, buf, n);
      done += static_cast<long>(n);
    }
  } else if (verb == "bytes") {
    char all[256];
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    WriteAll(1, all, sizeof all);
  } else if (verb == "pidfile") {
    WritePid(value, getpid());
  } else if (verb == "grandchild") {
    if (fork() == 0) {
      WritePid(value, getpid());
      sleep(30);
      _exit(0);
    }
  } else if (verb == "signal") {
    raise(std::atoi(value));
  } else if (verb == "closeout") {
    close(1);
    close(2);
  } else if (verb == "fds") {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return;
    std::string list;
    while (dirent* d = readdir(dir)) {
      if (d->d_name[0] == '.' || std::atoi(d->d_name) == dirfd(dir)) continue;
      list += std::string(d->d_name) + " ";
    }
    closedir(dir);
    WriteAll(1, list.data(), list.size());
  } else if (verb == "exit") {
    std::exit(std::atoi(value));
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) Step(argv[i]);
  return 0;
}
