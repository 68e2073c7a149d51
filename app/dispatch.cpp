#include "dispatch.h"

#include <filesystem>
#include <new>
#include <string_view>
#include <system_error>

#include "catalogue-lock.h"
#include "commands.h"
#include "output.h"

namespace {

// The answer to "--help" and "-h". A calling program never asks for it, so
// unlike every other answer it ends with a line break, for a person.
constexpr char kUsage[] =
    "usage: florrin COMMAND [ARGUMENT...]\n"
    "Keeps a movie catalogue in the file db in the current folder; one\n"
    "command per run, its answer on standard output without a line break.\n"
    "Start one with florrin --new.\n"
    "\n"
    "  -n,   --new                       start an empty catalogue (db) here\n"
    "  -l,   --list                      titles in file order, each with a |\n"
    "  -lbn, --listbyname                titles sorted, each with a |\n"
    "  -d,   --del TITLE                 delete a record\n"
    "  -g,   --get TITLE FIELD           print one field\n"
    "  -e,   --edit TITLE FIELD VALUE    change one field\n"
    "  -a,   --add TITLE F1 ... F11      add a record with the eleven fields\n"
    "  -c,   --change TITLE F1 ... F11   replace the eleven fields\n"
    "  -pr,  --printrec TITLE            the eleven values, each with a |\n"
    "  -fl,  --filter FIELD TEXT         titles whose FIELD contains TEXT\n"
    "  -t,   --autoadd TITLE             import the first match found\n"
    "  -u,   --urladd TITLE ADDRESS      import from a known page or movie id\n"
    "  -ps,  --printsearch TITLE         list the matches found\n"
    "  -h,   --help                      this summary\n"
    "        --version                   the version\n"
    "\n"
    "Fields, in order: plot tagline rate year director runtime comments pic\n"
    "Act Genre Type. Changes answer !ok! or an !error! marker; a command line\n"
    "that matches no command answers \"!err in parameters!\". Exit status: 0.\n"
    "\n"
    "Imports read the IMDb site, or The Movie Database (TMDB) once a\n"
    "credential is set up: get a free API key at https://www.themoviedb.org/\n"
    "(Settings, API) and put \"tmdb-token = TOKEN\" (or \"tmdb-key = KEY\") in\n"
    "~/.config/florrin/florrin.conf (%APPDATA%\\Florrin\\florrin.conf on\n"
    "Windows), readable by you only, or set FLORRIN_TMDB_TOKEN or\n"
    "FLORRIN_TMDB_KEY. FLORRIN_LOG=FILE notes why an import failed.\n"
    "This product uses the TMDB API but is not endorsed or certified by TMDB.\n"
    "\n"
    "Downloads go through wget; on Windows through wget.exe beside florrin.exe\n"
    "or on the PATH, else the system's curl.exe. FLORRIN_DOWNLOADER=wget or\n"
    "FLORRIN_DOWNLOADER=curl chooses one.\n"
    "\n"
    "See florrin(1).\n";

constexpr char kVersion[] = "florrin " FLORRIN_VERSION "\n";

// "--help", "-h" and "--version" alone (`sWord` followed by `iArgs` more
// words); with any argument they are unknown words like every other.
bool AnswerAboutItself(std::string_view sWord, size_t iArgs) {
  if (iArgs != 0) return false;
  const char* sText = nullptr;
  if (sWord == "--help" || sWord == "-h") sText = kUsage;
  if (sWord == "--version") sText = kVersion;
  if (sText == nullptr) return false;
  Print(sText);
  return true;
}

// In the order the dispatcher tests them. Words are only recognised with
// their own argument count.
const CommandRow kCommands[] = {
    {"-n", "--new", 0, Locking::kNoCatalogue, "!error!",
     [](const sString*) { fNew(); }},
    {"-l", "--list", 0, Locking::kNone, "!error!", [](const sString*) { fList(); }},
    {"-lbn", "--listbyname", 0, Locking::kNone, "!error!",
     [](const sString*) { fListByName(); }},
    {"-d", "--del", 1, Locking::kCatalogue, "!error!",
     [](const sString* p) { fDel(p[0]); }},
    {"-t", "--autoadd", 1, Locking::kCatalogue, "!error!",
     [](const sString* p) { fAutoAdd(p[0]); }},
    {"-pr", "--printrec", 1, Locking::kNone, "!error!",
     [](const sString* p) { fPrintRec(p[0]); }},
    {"-ps", "--printsearch", 1, Locking::kCatalogue, "!download error! !error!",
     [](const sString* p) { fPrintImdbSearch(p[0]); }},
    {"-g", "--get", 2, Locking::kNone, "!error!",
     [](const sString* p) { fGet(p[0], p[1]); }},
    {"-u", "--urladd", 2, Locking::kCatalogue, "!error! Could not add to DataBase.",
     [](const sString* p) { fUrlAdd(p[0], p[1]); }},
    {"-fl", "--filter", 2, Locking::kNone, "!error!",
     [](const sString* p) { fFilter(p[0], p[1]); }},
    {"-e", "--edit", 3, Locking::kCatalogue, "!error!",
     [](const sString* p) { fEdit(p[0], p[1], p[2]); }},
    {"-a", "--add", 12, Locking::kCatalogue, "!error!",
     [](const sString* p) {
       fAdd(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10],
            p[11]);
     }},
    {"-c", "--change", 12, Locking::kCatalogue, "!error! Could not change record.",
     [](const sString* p) {
       fChangeRec(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9],
                  p[10], p[11]);
     }},
};

const CommandRow* FindRow(std::string_view sWord, int iArgs) {
  for (const CommandRow& row : kCommands) {
    if (row.iArgs == iArgs && (sWord == row.sShort || sWord == row.sLong))
      return &row;
  }
  return nullptr;
}

}  // namespace

const CommandRow* FindCommand(const sString& sWord, int iArgs) {
  return FindRow(sWord, iArgs);
}

namespace {

void RunRow(const CommandRow* pRow, const sString* pArgs) {
  // Readers need no lock: changes replace the catalogue atomically, so a
  // reader sees the old file or the new one, whole. Without a catalogue
  // nothing needs one either: a change fails at its open and a search only
  // writes its page, and a lock file would only be left behind. Starting a
  // catalogue is the other way round: where there is one it only refuses;
  // where there is none it is locked, so that a change that finds the new
  // catalogue waits until it is whole.
  std::error_code ec;
  const bool bCatalogue = std::filesystem::exists(DBfile, ec);
  if (pRow->lock == Locking::kNone ||
      (pRow->lock == Locking::kCatalogue && !bCatalogue) ||
      (pRow->lock == Locking::kNoCatalogue && bCatalogue)) {
    pRow->run(pArgs);
    return;
  }
  CatalogueLock lock(DBfile + ".lock");
  pRow->run(pArgs);
}

void Run(const std::vector<sString>& words) {
  if (!words.empty() && AnswerAboutItself(words[0], words.size() - 1)) return;
  const CommandRow* pRow =
      words.empty() ? nullptr
                    : FindCommand(words[0], static_cast<int>(words.size()) - 1);
  if (pRow == nullptr) {
    ShowHelp();
    return;
  }
  try {
    RunRow(pRow, words.data() + 1);
  } catch (const std::bad_alloc&) {
    // The files and the lock were let go on the way out; what was printed
    // is no answer.
    DiscardOutput();
    Print(pRow->sOutOfMemory);
  }
}

}  // namespace

void Dispatch(const std::vector<sString>& words) {
  Run(words);
  FlushOutput();
}

void RefuseForWantOfMemory(std::string_view sWord, int iArgs) {
  if (iArgs < 0 || !AnswerAboutItself(sWord, static_cast<size_t>(iArgs))) {
    const CommandRow* pRow = iArgs < 0 ? nullptr : FindRow(sWord, iArgs);
    if (pRow != nullptr) {
      Print(pRow->sOutOfMemory);
    } else {
      ShowHelp();
    }
  }
  FlushOutput();
}
