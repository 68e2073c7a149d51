#include "dispatch.h"

#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

#include "catalogue-lock.h"
#include "commands.h"
#include "output.h"
#include "store-place.h"

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
    "  -r,   --refresh TITLE [ADDRESS]   fill a record's empty fields from\n"
    "                                    the movie service (needs a key)\n"
    "  -x,   --export FILE               write every record to a CSV file\n"
    "  -i,   --import FILE               add a record for each row of a CSV\n"
    "                                    file (Florrin's, IMDb's, Letterboxd's)\n"
    "  -ht,  --html FILE                 write the catalogue as a web page\n"
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
    {"-n", "--new", 0, Locking::kNoCatalogue,
     "!error!", "!error!",
     [](const sString*) { fNew(); }},
    {"-l", "--list", 0, Locking::kNone,
     "", "!error!",
     [](const sString*) { fList(); }},
    {"-lbn", "--listbyname", 0, Locking::kNone,
     "", "!error!",
     [](const sString*) { fListByName(); }},
    {"-d", "--del", 1, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) { fDel(p[0]); }},
    {"-t", "--autoadd", 1, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) { fAutoAdd(p[0]); }},
    {"-pr", "--printrec", 1, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fPrintRec(p[0]); }},
    {"-ps", "--printsearch", 1, Locking::kWorkFiles,
     "!download error! !error!", "!download error! !error!",
     [](const sString* p) { fPrintImdbSearch(p[0]); }},
    {"-ht", "--html", 1, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fHtml(p[0]); }},
    {"-g", "--get", 2, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fGet(p[0], p[1]); }},
    {"-u", "--urladd", 2, Locking::kCatalogue,
     "!error! Could not open DataBase.", "!error! Could not add to DataBase.",
     [](const sString* p) { fUrlAdd(p[0], p[1]); }},
    {"-fl", "--filter", 2, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fFilter(p[0], p[1]); }},
    {"-e", "--edit", 3, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) { fEdit(p[0], p[1], p[2]); }},
    {"-a", "--add", 12, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) {
       fAdd(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10],
            p[11]);
     }},
    {"-r", "--refresh", 1, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) { fRefresh(p[0], sString()); }},
    {"-r", "--refresh", 2, Locking::kCatalogue,
     "!error!", "!error!",
     [](const sString* p) { fRefresh(p[0], p[1]); }},
    {"-x", "--export", 1, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fExport(p[0]); }},
    // The import takes the lock itself: for the whole import when it makes
    // no requests, for each append only when it does, so that a calling
    // program's changes never wait for the network.
    {"-i", "--import", 1, Locking::kNone,
     "", "!error!",
     [](const sString* p) { fImport(p[0]); }},
    {"-c", "--change", 12, Locking::kCatalogue,
     "!error! Could not open DataBase.", "!error! Could not change record.",
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

// What stands at the catalogue's name, links followed.
enum class Found { kNothing, kCatalogue, kOther };

Found LookForCatalogue() {
  std::error_code ec;
  namespace fs = std::filesystem;
  // A link that leads nowhere is something, though no catalogue.
  if (fs::symlink_status(DBfile, ec).type() == fs::file_type::not_found)
    return Found::kNothing;
  return fs::is_regular_file(DBfile, ec) ? Found::kCatalogue : Found::kOther;
}

// The catalogue lock, taken in the folder of the file the catalogue's name
// leads to, or null when it cannot be had. That place is worked out again
// once the lock is held: a link changed meanwhile leads to a file this lock
// does not guard, so the lock is taken again at the new place.
std::unique_ptr<CatalogueLock> LockCatalogue() {
  for (int iTry = 0; iTry < 3; ++iTry) {
    sString sLockFile;
    if (!BesideStoreFile(DBfile, "db.lock", &sLockFile)) return nullptr;
    auto lock = std::make_unique<CatalogueLock>(sLockFile);
    if (!lock->held()) return nullptr;
    sString sNow;
    if (BesideStoreFile(DBfile, "db.lock", &sNow) && sNow == sLockFile)
      return lock;
  }
  return nullptr;
}

void RunRow(const CommandRow* pRow, const sString* pArgs) {
  // Without a catalogue nothing needs a lock: a change is refused at once
  // (a catalogue that turns up later is not this run's to change), and a
  // search only writes its page; a lock file would only be left behind.
  // Starting a catalogue is the other way round: where anything holds the
  // name it only refuses; where nothing does it is locked, so that a change
  // that finds the new catalogue waits until it is whole. A name that leads
  // to something else (a folder, a pipe, a device) is no catalogue: changes
  // are refused without a lock, which would only be left behind beside it,
  // and no command opens it in a way that waits.
  const Found found = LookForCatalogue();
  const bool bUnlocked =
      pRow->lock == Locking::kNone ||
      (pRow->lock == Locking::kWorkFiles && found != Found::kCatalogue) ||
      (pRow->lock == Locking::kNoCatalogue && found != Found::kNothing);
  if (bUnlocked) {
    pRow->run(pArgs);
    return;
  }
  if (pRow->lock == Locking::kCatalogue && found != Found::kCatalogue) {
    Print(pRow->sRefused);
    return;
  }
  const std::unique_ptr<CatalogueLock> lock = LockCatalogue();
  // Never a change unlocked; and a change only to the catalogue found
  // before the lock, which may have gone while the run waited.
  if (lock == nullptr || (pRow->lock == Locking::kCatalogue &&
                          LookForCatalogue() != Found::kCatalogue)) {
    Print(pRow->sRefused);
    return;
  }
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
