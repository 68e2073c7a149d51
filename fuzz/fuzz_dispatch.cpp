// The dispatcher with command lines decoded from the input, run in a scratch
// folder on a small catalogue (or none).
//
// No download can reach the network: the PATH names only a folder that does
// not exist, so the downloader cannot be started and every web command takes its failure
// path, and the proxy variables point at a closed local port besides.
#include <cstddef>
#include <cstdint>
#include <cstdlib>  // setenv
#include <string>
#include <vector>

#include "commands.h"
#include "dispatch.h"
#include "fuzz_support.h"

namespace {

const char* const kWords[] = {
    "-l",  "--list",   "-lbn", "--listbyname", "-d",  "--del",
    "-t",  "--autoadd", "-pr", "--printrec",   "-ps", "--printsearch",
    "-g",  "--get",    "-u",   "--urladd",     "-fl", "--filter",
    "-e",  "--edit",   "-a",   "--add",        "-c",  "--change",
    "-L",  "--List",   "",     "--",          "-h",  "--help",
    "--version", "-n", "--new",
};
constexpr int kWordCount = static_cast<int>(sizeof kWords / sizeof kWords[0]);

// Argument counts the commands take, and a few they do not.
const int kCounts[] = {0, 1, 2, 3, 12, 4, 13};

const char kCatalogue[] =
    "1.0.0-TALVERO_sTxtDB\n"
    "\n\n[Alien]\nplot=A crew meets a creature.\ntagline=\nrate=8.5\n"
    "year=1979\ndirector=Ridley Scott\nruntime=117 min\ncomments=\n"
    "pic=Alien.jpg\nAct= - Sigourney Weaver\nGenre= - Horror - Sci-Fi\n"
    "Type=DVD"
    "\n\n[Brazil]\nplot=A clerk [dreams].\ntagline=\nrate=7.9\nyear=1985\n"
    "director=Terry Gilliam\nruntime=142 min\ncomments=\npic=\n"
    "Act= - Jonathan Pryce\nGenre= - Drama - Sci-Fi\nType=VHS";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::EnterScratchFolder();
  setenv("PATH", "/florrin-fuzz-no-programs", 1);
  setenv("http_proxy", "http://127.0.0.1:9/", 1);
  setenv("https_proxy", "http://127.0.0.1:9/", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  fuzz::ClearFolder();
  const int iDb = in.ConsumeIntegralInRange(0, 3);
  if (iDb == 1) fuzz::WriteFile("db", in.ConsumeRandomLengthString(300));
  if (iDb >= 2) fuzz::WriteFile("db", kCatalogue);
  const bool bHadDb = iDb != 0;

  std::vector<sString> words;
  const int iCount = kCounts[in.ConsumeIntegralInRange(0, 6)];
  if (in.ConsumeIntegralInRange(0, 7) != 0)
    words.push_back(kWords[in.ConsumeIntegralInRange(0, kWordCount - 1)]);
  else
    words.push_back(fuzz::TakeText(&in, 2));
  for (int i = 0; i < iCount; ++i) words.push_back(fuzz::TakeText(&in, 3));
  if (in.ConsumeIntegralInRange(0, 15) == 0) words.clear();

  fuzz::StdoutCapture capture;
  Dispatch(words);
  const std::string out = capture.Take();

  // The calling program reads one line: only the parameters marker ends
  // with a line break. The usage and the version, asked for by a person,
  // are lines of text.
  const bool bForPerson =
      words.size() == 1 &&
      (words[0] == "-h" || words[0] == "--help" || words[0] == "--version");
  if (!bForPerson && out.find('\n') != std::string::npos &&
      out != "!err in parameters!\n")
    fuzz::Fail("output holds a line break", out);
  // Only "--new" makes a catalogue, and only where there was none.
  const bool bNew =
      words.size() == 1 && (words[0] == "-n" || words[0] == "--new");
  if (bNew && out != (bHadDb ? "!error!" : "!ok!"))
    fuzz::Fail("--new answered wrongly", out);
  std::string sMade;
  if (bNew && !bHadDb &&
      (!fuzz::ReadFile("db", &sMade) || sMade != "1.0.0-TALVERO_sTxtDB\n"))
    fuzz::Fail("--new wrote something else than the header line", out);
  if (!bHadDb && !bNew && fuzz::Exists("db"))
    fuzz::Fail("a command created db", out);
  if (!bHadDb && !bNew && fuzz::Exists("db.lock"))
    fuzz::Fail("a lock file was left where there is no catalogue", out);
  if (fuzz::Exists("tmpfl") || fuzz::Exists("tempout"))
    fuzz::Fail("a scratch file was left behind", out);
  return 0;
}
