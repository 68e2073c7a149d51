// Windows: a rewrite cannot replace the catalogue while another program reads
// it (the C runtime opens files without delete sharing). It waits for the
// reader, about two seconds at most, and otherwise fails with the catalogue
// unchanged. Readers, for their part, cannot open the catalogue during the
// moment it is being replaced; they wait for that moment to pass.
#include <windows.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "florrin_fixture.h"

namespace {

const std::string kOne = kHeader + "\n\n[First]\n" + MovieBody("a");

class ReplaceTest : public FlorrinTest {
 protected:
  // Opens the catalogue for reading as a C runtime reader does, or (with
  // `share` 0) as the system does while it replaces the file; the handle
  // stays open until Release.
  void HoldDb(DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE) {
    const std::string path = dir_.File("db");
    const std::wstring name(path.begin(), path.end());
    reader_ = CreateFileW(name.c_str(), GENERIC_READ, share, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, reader_);
  }
  void Release() {
    if (reader_ != INVALID_HANDLE_VALUE) CloseHandle(reader_);
    reader_ = INVALID_HANDLE_VALUE;
  }
  ~ReplaceTest() override { Release(); }

  HANDLE reader_ = INVALID_HANDLE_VALUE;
};

TEST_F(ReplaceTest, ARewriteWaitsForAReaderThatLetsGo) {
  GivenDb(kOne);
  HoldDb();
  auto edit = std::async(std::launch::async,
                         [this] { return Run({"--edit", "First", "year", "x"}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Release();
  EXPECT_EQ("!ok!", edit.get());
  EXPECT_EQ("x", Run({"--get", "First", "year"}));
}

TEST_F(ReplaceTest, AReaderWaitsWhileTheCatalogueCannotBeOpened) {
  GivenDb(kOne);
  HoldDb(0);
  auto list = std::async(std::launch::async, [this] { return Run({"--list"}); });
  auto get = std::async(std::launch::async,
                        [this] { return Run({"--get", "First", "year"}); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Release();
  EXPECT_EQ("First|", list.get());
  EXPECT_EQ("a4", get.get());
}

// --- error paths ---

TEST_F(ReplaceTest, ARewriteWhileAReaderHoldsTheCatalogueFailsAndChangesNothing) {
  GivenDb(kOne);
  HoldDb();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("!error!", Run({"--edit", "First", "year", "x"}));
  // It did wait for the reader before giving up.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ("!error! Could not change record.",
            Run(Movie("--change", "First", "c")));
  EXPECT_EQ("!error!", Run({"--del", "First"}));
  Release();
  EXPECT_EQ(kOne, Db());
  EXPECT_EQ("a4", Run({"--get", "First", "year"}));
}

TEST_F(ReplaceTest, ACatalogueHeldLongerThanTheRetryFailsEveryCommand) {
  // Held without sharing for longer than readers and rewrites wait: every
  // command ends with its failure marker, prints no data, and leaves the
  // catalogue as it was. It exists, so the listings do not say it is gone.
  GivenDb(kOne);
  HoldDb(0);
  EXPECT_EQ("!error!", Run({"--list"}));
  EXPECT_EQ("!error!", Run({"--listbyname"}));
  EXPECT_EQ("!error!", Run({"--get", "First", "year"}));
  EXPECT_EQ("!error!", Run({"--printrec", "First"}));
  EXPECT_EQ("!error!", Run({"--filter", "year", "a"}));
  EXPECT_EQ("!error!", Run({"--edit", "First", "year", "x"}));
  EXPECT_EQ("!error!", Run({"--del", "First"}));
  EXPECT_EQ("!error!", Run(Movie("--add", "Second", "b")));
  EXPECT_EQ("!error! Could not open DataBase.",
            Run(Movie("--change", "First", "c")));
  Release();
  EXPECT_EQ(kOne, Db());
}

}  // namespace
