// A program that is interrupted from its console in the middle of a private
// download, for the test of the console control handler: Wine's consoles
// cannot be reached from another program, so it sends the event itself.
//
// It downloads http://www.example.test/silent (a route that hangs: the
// stand-in wget.exe on the PATH starts a lingering child and waits for good)
// into "doc.out" of the current folder with a secret header, and once the
// stand-in has noted both process ids in FLORRIN_STAND_IN_PIDS, sends Ctrl-C
// to its own console. The download guard should end the stand-in and its
// child, remove the private folder and "doc.out", and let the system end
// the program with STATUS_CONTROL_C_EXIT. Should the program get past that,
// it prints what it saw and exits with status 3.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "download.h"

namespace {

std::string ReadWhole(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
  const char* pids = std::getenv("FLORRIN_STAND_IN_PIDS");
  if (pids == nullptr) return 2;
  // A program started without a console window may still have a console;
  // else it gets one of its own.
  if (GetConsoleWindow() == nullptr) AllocConsole();
  SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl-C is not to be ignored
  std::thread download([] {
    DownloadRequest request;
    request.sURL = "http://www.example.test/silent";
    request.sFile = "doc.out";
    request.bPrivate = true;
    request.headers = {"Authorization: Bearer probe-secret"};
    request.iTimeoutSeconds = 60;
    const DownloadResult r = Download(request);
    std::printf("the download returned: %s\n", r.sFailure.c_str());
  });
  for (int i = 0; i < 3000; ++i) {
    const std::string seen = ReadWhole(pids);
    if (std::count(seen.begin(), seen.end(), '\n') == 2) break;
    Sleep(10);
  }
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    std::printf("no console event: error %lu\n", GetLastError());
  }
  download.join();
  std::printf("still running after Ctrl-C\n");
  return 3;
}
