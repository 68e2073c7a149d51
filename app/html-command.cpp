// --html FILE: the catalogue as one page for a person's browser.
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "catalogue-movies.h"
#include "commands.h"
#include "file-argument.h"
#include "html-page.h"
#include "page-file.h"
#include "poster-address.h"

namespace fs = std::filesystem;

namespace {

// The scratch files of the catalogue's own commands, made beside it.
constexpr const char* kScratchNames[] = {"tmpfl", "tempout", "db.lock"};

std::string FoldedAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool SameName(const fs::path& a, const char* sName) {
  const std::string s = AddressText(a);
  if (kPagePathStyle == PathStyle::kPosix) return s == sName;
  return FoldedAscii(s) == sName;
}

// The plain files of the catalogue's folder, listed once: one pass over the
// folder costs far less than a lookup of each poster's name, most of all
// for names that are not there. Windows compares names ignoring case; a
// name that differs only in a letter beyond ASCII is asked of the system.
class PosterFiles {
 public:
  explicit PosterFiles(const fs::path& folder) : folder_(folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::error_code ecType;
      if (it->is_regular_file(ecType)) names_.insert(Key(it->path().filename()));
    }
  }

  bool Has(const fs::path& name) const {
    if (names_.count(Key(name)) > 0) return true;
    if (kPagePathStyle == PathStyle::kPosix) return false;
    std::error_code ec;
    return fs::is_regular_file(folder_ / name, ec);
  }

 private:
  static std::string Key(const fs::path& name) {
    const std::string s = AddressText(name);
    return kPagePathStyle == PathStyle::kPosix ? s : FoldedAscii(s);
  }

  fs::path folder_;
  std::unordered_set<std::string> names_;
};

// The file the page replaces: FILE, or the file a link named FILE points to,
// with its folder's links resolved. False (nothing to write) when FILE names
// no file that a page may become: its folder is missing, it is a folder or
// another kind of file, a dangling link, or has no name of its own.
bool PageTarget(const fs::path& arg, fs::path* pTarget) {
  std::error_code ec;
  if (arg.empty()) return false;
  fs::path path = fs::absolute(arg, ec);
  if (ec) return false;
  const fs::file_status link = fs::symlink_status(path, ec);
  if (fs::is_symlink(link)) {
    path = fs::canonical(path, ec);
    if (ec) return false;
  }
  const fs::path name = path.filename();
  if (name.empty() || name == "." || name == "..") return false;
  const fs::path folder = fs::canonical(path.parent_path(), ec);
  if (ec || !fs::is_directory(folder, ec)) return false;
  *pTarget = folder / name;
  const fs::file_status status = fs::status(*pTarget, ec);
  if (fs::exists(status)) return fs::is_regular_file(status);
  return ec.value() == 0 || status.type() == fs::file_type::not_found;
}

// True when the page must not be written over `target`: the catalogue
// itself (by identity: any name or link of it), or one of its scratch files.
bool IsCataloguesOwn(const fs::path& target, const fs::path& cwd) {
  if (SameFile(target, fs::path(DBfile))) return true;
  std::error_code ec;
  std::vector<fs::path> folders{cwd};
  const fs::path db = fs::canonical(fs::path(DBfile), ec);
  if (!ec) folders.push_back(db.parent_path());
  for (const char* sName : kScratchNames) {
    if (!SameName(target.filename(), sName)) continue;
    for (const fs::path& folder : folders) {
      if (SameFile(target.parent_path(), folder)) return true;
    }
  }
  return false;
}

bool WriteHtml(const sString& sFile) {
  CatalogueMovies catalogue;
  bool bMissing = false;
  if (!catalogue.Read(DBfile, &bMissing)) return false;
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return false;
  fs::path target;
  if (!PageTarget(ArgumentPath(sFile), &target)) return false;
  if (IsCataloguesOwn(target, cwd) || !MayWritePage(target)) return false;

  const std::string sPageFolder = AddressText(target.parent_path());
  const std::string sCatalogueFolder = AddressText(cwd);
  const PosterFiles posters(cwd);
  std::vector<PageMovie> movies(catalogue.size());
  for (size_t i = 0; i < catalogue.size(); ++i) {
    PageMovie& m = movies[i];
    const auto value = [&](MovieField f) { return catalogue.Value(i, f); };
    m.title = catalogue.Title(i);
    m.plot = value(MovieField::kPlot);
    m.tagline = value(MovieField::kTagline);
    m.rate = value(MovieField::kRate);
    m.year = value(MovieField::kYear);
    m.director = value(MovieField::kDirector);
    m.runtime = value(MovieField::kRuntime);
    m.comments = value(MovieField::kComments);
    m.cast = value(MovieField::kAct);
    m.genre = value(MovieField::kGenre);
    m.type = value(MovieField::kType);
    const std::string_view sPic = value(MovieField::kPic);
    fs::path pic;
    if (IsPlainFileName(sPic) && StoredNamePath(sPic, &pic) &&
        posters.Has(pic)) {
      m.poster = PosterAddress(sPageFolder, sCatalogueFolder, AddressText(pic),
                               kPagePathStyle);
    }
  }
  fs::path name = cwd.filename();
  const std::string sName = AddressText(name.empty() ? cwd : name);
  PageFile page;
  if (!page.Open(target)) return false;
  const bool bWritten =
      WriteHtmlPage(sName, movies, [&page](std::string* pText) {
        const bool bOk = page.Write(*pText);
        pText->clear();
        return bOk;
      });
  return bWritten && page.Commit();
}

}  // namespace

void fHtml(const sString& sFile) { Print(WriteHtml(sFile) ? "!ok!" : "!error!"); }
