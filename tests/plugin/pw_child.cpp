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
//   spew:PATH            the same, but the grandchild writes on stdout as
//                        fast as it can until a write fails; the step ends
//                        once the grandchild has written its id, so that
//                        it runs however slowly processes start
//   trickle:PATH         the same as spew, writing "tick\n" every 10 ms
//   forever:MS           write 64 KiB blocks without pause (MS 0), or
//                        "tick\n" every MS ms, until a write fails
//   closeout             close standard output and standard error
//   cwd                  write the current directory
//   exit:N               exit with status N
// and on POSIX systems only:
//   signal:N             raise signal N
//   fds                  write the open descriptor numbers, space-separated
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "pw_child_os.h"

namespace {

const char* g_self = "";

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    auto w = write(fd, p, static_cast<unsigned>(std::min<size_t>(n, 1 << 20)));
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

void WritePid(const char* path) {
  FILE* f = std::fopen(path, "w");
  if (f == nullptr) return;
  std::fprintf(f, "%ld\n", pwchild::ProcessId());
  std::fclose(f);
}

// Waits (10 s at most) until the file at `path` holds a line.
void WaitForLine(const char* path) {
  for (int i = 0; i < 1000; ++i) {
    if (FILE* f = std::fopen(path, "r")) {
      char line[64] = {0};
      const bool whole = std::fgets(line, sizeof line, f) != nullptr &&
                         std::string(line).find('\n') != std::string::npos;
      std::fclose(f);
      if (whole) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Ends when the reader has gone (here or, under POSIX, by SIGPIPE).
void WriteForever(int pauseMs) {
  static char pattern[65536];
  for (size_t i = 0; i < sizeof pattern; ++i) {
    pattern[i] = static_cast<char>(i % 251);
  }
  for (;;) {
    const char* bytes = pauseMs == 0 ? pattern : "tick\n";
    const unsigned size = pauseMs == 0 ? sizeof pattern : 5;
    if (write(1, bytes, size) <= 0) return;
    if (pauseMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
  }
}

void Step(const std::string& arg) {
  size_t colon = arg.find(':');
  std::string verb = arg.substr(0, colon);
  const char* value = colon == std::string::npos ? "" : arg.c_str() + colon + 1;
  if (verb == "out" || verb == "err") {
    std::string s = Unescape(value);
    WriteAll(verb == "out" ? 1 : 2, s.data(), s.size());
  } else if (verb == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(value)));
  } else if (verb == "echo") {
    char buf[4096];
    int n;
    while ((n = static_cast<int>(read(0, buf, sizeof buf))) > 0) {
      WriteAll(1, buf, static_cast<size_t>(n));
    }
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
      int n = static_cast<int>(
          read(0, buf, static_cast<unsigned>(std::min<long>(left, sizeof buf))));
      if (n <= 0) break;
      WriteAll(1, buf, static_cast<size_t>(n));
      left -= n;
    }
  } else if (verb == "stdin") {
    std::string state = std::string(pwchild::StdinState()) + "\n";
    WriteAll(1, state.data(), state.size());
  } else if (verb == "big") {
    long long total = std::atoll(value);
    static char buf[65536];
    for (long long done = 0; done < total;) {
      size_t n = static_cast<size_t>(
          std::min<long long>(total - done, static_cast<long long>(sizeof buf)));
      for (size_t i = 0; i < n; ++i) {
        buf[i] = static_cast<char>((done + static_cast<long long>(i)) % 251);
      }
      WriteAll(1, buf, n);
      done += static_cast<long long>(n);
    }
  } else if (verb == "bytes") {
    char all[256];
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    WriteAll(1, all, sizeof all);
  } else if (verb == "pidfile") {
    WritePid(value);
  } else if (verb == "grandchild") {
    pwchild::StartGrandchild(g_self, value, "sleep:30000");
  } else if (verb == "spew") {
    pwchild::StartGrandchild(g_self, value, "forever:0");
    WaitForLine(value);
  } else if (verb == "trickle") {
    pwchild::StartGrandchild(g_self, value, "forever:10");
    WaitForLine(value);
  } else if (verb == "forever") {
    WriteForever(std::atoi(value));
  } else if (verb == "closeout") {
    close(1);
    close(2);
  } else if (verb == "cwd") {
    char dir[4096];
    if (getcwd(dir, sizeof dir) != nullptr) WriteAll(1, dir, std::string(dir).size());
  } else if (verb == "exit") {
    std::exit(std::atoi(value));
  } else {
    pwchild::SystemStep(verb, value);
  }
}

}  // namespace

int main(int argc, char** argv) {
  pwchild::PrepareStreams();
  g_self = argv[0];
  for (int i = 1; i < argc; ++i) Step(argv[i]);
  return 0;
}
