// --html FILE: the catalogue as one page for a person's browser.
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "catalogue-movies.h"
#include "commands.h"
#include "file-argument.h"
#include "html-escape.h"
#include "html-page.h"
#include "name-list.h"
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
      if (!it->is_regular_file(ecType)) continue;
      keys_.push_back(Key(AddressText(it->path().filename())));
      names_.insert(keys_.back());
    }
  }
  PosterFiles(const PosterFiles&) = delete;
  PosterFiles& operator=(const PosterFiles&) = delete;

  // True when the pic value `sPic` (a plain file name) names one of the
  // files; `*pName` is then its name as the poster's address takes it,
  // which may lie in `*pScratch`.
  bool Find(std::string_view sPic, std::string_view* pName,
            std::string* pScratch) const {
    if (kPagePathStyle == PathStyle::kPosix) {
      // A stored name is the file's name, byte for byte.
      *pName = sPic;
      return names_.count(sPic) > 0;
    }
    fs::path pic;
    if (!StoredNamePath(sPic, &pic)) return false;
    *pScratch = AddressText(pic);
    *pName = *pScratch;
    if (names_.count(Key(*pScratch)) > 0) return true;
    std::error_code ec;
    return fs::is_regular_file(folder_ / pic, ec);
  }

 private:
  static std::string Key(std::string s) {
    return kPagePathStyle == PathStyle::kPosix ? s : FoldedAscii(std::move(s));
  }

  fs::path folder_;
  std::deque<std::string> keys_;
  std::unordered_set<std::string_view> names_;  // views of keys_
};

// The catalogue's movies in title order, for the page: each looked up as
// the page asks for it, not copied first.
class PageSource : public PageMovies {
 public:
  PageSource(const CatalogueMovies& catalogue, std::vector<size_t> order,
             const PosterFiles& posters, std::string sPosterFolder)
      : catalogue_(catalogue),
        order_(std::move(order)),
        posters_(posters),
        sPosterFolder_(std::move(sPosterFolder)) {}

  size_t size() const override { return order_.size(); }

  // In file order: the page only gathers the names.
  std::string_view GenreOf(size_t i) const override {
    return catalogue_.Value(i, MovieField::kGenre);
  }

  void Get(size_t i, PageMovie* pMovie) const override {
    // Records in title order lie all over the file: fetching one a few
    // cards ahead keeps the wait for memory off the path of each.
    if (i + 2 * kAhead < order_.size())
      catalogue_.Prefetch(order_[i + 2 * kAhead], false);
    if (i + kAhead < order_.size())
      catalogue_.Prefetch(order_[i + kAhead], true);
    const size_t r = order_[i];
    PageMovie& m = *pMovie;
    const auto value = [&](MovieField f) { return catalogue_.Value(r, f); };
    m.title = catalogue_.Title(r);
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
    m.poster.clear();
    const std::string_view sPic = value(MovieField::kPic);
    std::string_view sName;
    if (IsPlainFileName(sPic) && posters_.Find(sPic, &sName, &scratch_)) {
      // An address is the folder's part, then the file's name encoded.
      m.poster = sPosterFolder_;
      AppendPercentEncoded(sName, &m.poster);
    }
  }

 private:
  static constexpr size_t kAhead = 4;

  const CatalogueMovies& catalogue_;
  std::vector<size_t> order_;
  const PosterFiles& posters_;
  std::string sPosterFolder_;  // the address of the posters' folder
  mutable std::string scratch_;
};

// The records of `catalogue` in title order (TitleBefore), equal titles in
// file order; false when memory ran out.
bool TitleOrder(const CatalogueMovies& catalogue, std::vector<size_t>* pOrder) {
  NameList titles(NameOrder::kIgnoringAsciiCase);
  for (size_t i = 0; i < catalogue.size(); ++i) titles.Add(catalogue.Title(i));
  titles.Sort();
  if (titles.Failed()) return false;
  pOrder->reserve(catalogue.size());
  titles.ForEachIndexed(
      [pOrder](size_t i, std::string_view) { pOrder->push_back(i); });
  return true;
}

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

  std::vector<size_t> order;
  if (!TitleOrder(catalogue, &order)) return false;
  const PosterFiles posters(cwd);
  const PageSource movies(
      catalogue, std::move(order), posters,
      PosterAddress(AddressText(target.parent_path()), AddressText(cwd), "",
                    kPagePathStyle));
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
