#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fuzz {
namespace {

std::filesystem::path& ScratchFolder() {
  static std::filesystem::path folder;
  return folder;
}

void RemoveScratchFolder() {
  std::error_code ec;
  std::filesystem::current_path("/", ec);
  if (!ScratchFolder().empty())
    std::filesystem::remove_all(ScratchFolder(), ec);
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

void EnterScratchFolder() {
  // The store flushes every rewrite to disk: a memory file system, when
  // there is one, keeps that from setting the pace.
  const char* base = std::getenv("TMPDIR");
  if (base == nullptr || *base == '\0')
    base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/florrin-fuzz-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr || chdir(pattern.c_str()) != 0)
    Fail("cannot make a scratch folder", pattern);
  ScratchFolder() = pattern;
  std::atexit(RemoveScratchFolder);
}

void WriteFile(const char* name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) Fail("cannot write", name);
}

bool ReadFile(const char* name, std::string* out) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in),
              std::istreambuf_iterator<char>());
  return !in.bad();
}

bool Exists(const char* name) {
  std::error_code ec;
  return std::filesystem::symlink_status(name, ec).type() !=
         std::filesystem::file_type::not_found;
}

void ClearFolder() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec))
    std::filesystem::remove_all(entry.path(), ec);
}

void SilenceStdout() {
  std::fflush(stdout);
  int fd = open("/dev/null", O_WRONLY);
  if (fd < 0 || dup2(fd, 1) < 0) Fail("cannot silence standard output");
  close(fd);
}

StdoutCapture::StdoutCapture() : saved_fd_(-1) {
  std::fflush(stdout);
  saved_fd_ = dup(1);
  // A file, not a pipe: a large output cannot fill it and block the writer.
  int fd = open(".stdout-capture", O_RDWR | O_CREAT | O_TRUNC, 0600);
  if (saved_fd_ < 0 || fd < 0 || dup2(fd, 1) < 0)
    Fail("cannot capture standard output");
  close(fd);
}

StdoutCapture::~StdoutCapture() { Take(); }

std::string StdoutCapture::Take() {
  if (saved_fd_ < 0) return std::string();
  std::fflush(stdout);
  dup2(saved_fd_, 1);
  close(saved_fd_);
  saved_fd_ = -1;
  std::string text;
  ReadFile(".stdout-capture", &text);
  std::remove(".stdout-capture");
  return text;
}

void Fail(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "\nFUZZ CHECK FAILED: %.*s\n", static_cast<int>(what.size()),
               what.data());
  if (!detail.empty())
    std::fprintf(stderr, "  %s\n", Escaped(detail).c_str());
  std::abort();
}

std::string TakeText(FuzzedDataProvider* in, int iMaxPieces) {
  static const char* const kPieces[] = {
      "A",     "B",      "Alien", "[",         "]",        "=",
      "\r",    "\n",     " ",     "plot",      "Genre",    "pic",
      "x=y",   "[A]",    "[B]",   "a",         "1.0.0-TALVERO_sTxtDB",
      "\xe9",  "comments", "/\">", "<",        "..",
  };
  constexpr int kCount = static_cast<int>(sizeof kPieces / sizeof kPieces[0]);
  std::string text;
  const int n = in->ConsumeIntegralInRange<int>(0, iMaxPieces);
  for (int i = 0; i < n; ++i) {
    const int pick = in->ConsumeIntegralInRange<int>(0, kCount);
    if (pick == kCount)
      text += in->ConsumeRandomLengthString(8);
    else
      text += kPieces[pick];
  }
  return text;
}

}  // namespace fuzz
