// "--refresh NAME [ADDRESS]": fills what a record lacks from the movie
// service, never what the user wrote.
#include <memory>

#include "commands.h"
#include "failure-log.h"
#include "movie-fill.h"
#include "movie-ids.h"
#include "movie-record.h"
#include "movie-sources.h"
#include "poster-name.h"
#include "service-address.h"
#include "service-config.h"
#include "smDB.h"

namespace {

// The address of the movie to ask for: `sAddress` when given (one the
// service knows by its form), else the record's service id, else its site
// id. Empty when there is none.
sString MovieAddress(const MovieRecord& m, const sString& sAddress) {
  sString sId;
  if (!sAddress.empty())
    return ClassifyAddress(sAddress, &sId) == AddressKind::kOther ? sString()
                                                                  : sAddress;
  if (IsTmdbId(m.sTmdb)) return "/movie/" + m.sTmdb;
  if (IsImdbId(m.sImdb)) return m.sImdb;
  return sString();
}

// The refresh; false (record unchanged) on any failure, with a log line.
bool Refresh(const sString& sName, const sString& sAddress,
             const FailureLog& log) {
  if (!LoadServiceSettings(ProcessEnvironment()).HasCredential()) {
    log(sName + ": --refresh asks the movie service, which needs a "
                "credential (see florrin.conf)");
    return false;
  }
  smDB db;
  MovieRecord m;
  if (!db.open(DBfile) || !db.mayChange() || !ReadMovie(DBfile, sName, &m)) {
    log(sName + ": no such record, or the catalogue may not be changed");
    return false;
  }
  const sString sMovie = MovieAddress(m, sAddress);
  if (sMovie.empty()) {
    log(sName + (sAddress.empty()
                     ? ": the record has no movie id; give the movie's address"
                     : ": not an address of the movie service: " + sAddress));
    return false;
  }
  std::unique_ptr<MovieSource> source = SourceForAddress(sMovie);
  MovieDetails d;
  if (source->Details(sMovie, &d) != DetailsStatus::kOk) return false;
  MovieRecord updated = m;
  bool bChanged = FillMissing(d, &updated);
  if (!sAddress.empty()) {
    // The movie named is the record's movie from now on.
    updated.sTmdb = IsTmdbId(d.sTmdbId) ? d.sTmdbId : sString();
    updated.sImdb = IsImdbId(d.sImdbId) ? d.sImdbId : sString();
    bChanged = bChanged || updated.sTmdb != m.sTmdb || updated.sImdb != m.sImdb;
  } else {
    bChanged = FillMissingIds(d, &updated) || bChanged;
  }
  const sString sPicFile = PosterFileName(sName);
  if (LacksPoster(m) && !d.sPosterURL.empty() && !sPicFile.empty() &&
      source->FetchPoster(d.sPosterURL, sPicFile)) {
    updated.values[kPic] = sPicFile;
    bChanged = bChanged || sPicFile != m.values[kPic];
  }
  return !bChanged || RewriteMovie(DBfile, updated);
}

}  // namespace

void fRefresh(const sString& sName, const sString& sAddress) {
  Print(Refresh(sName, sAddress, EnvironmentFailureLog()) ? "!ok!"
                                                          : "!error!");
}
