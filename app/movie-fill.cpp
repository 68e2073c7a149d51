#include "movie-fill.h"

#include <filesystem>
#include <system_error>

#include "movie-ids.h"

namespace {

// The fields a movie source fills, as positions in MovieRecord::values and
// members of MovieDetails.
struct Filled {
  MovieField field;
  sString MovieDetails::*value;
};
const Filled kFilled[] = {
    {kPlot, &MovieDetails::sPlot},   {kTagline, &MovieDetails::sTag},
    {kRate, &MovieDetails::sRate},   {kYear, &MovieDetails::sYear},
    {kDirector, &MovieDetails::sDir}, {kRuntime, &MovieDetails::sTime},
    {kAct, &MovieDetails::sAct},     {kGenre, &MovieDetails::sGen},
};

}  // namespace

MovieRecord RecordOf(const sString& sRec, const MovieDetails& d,
                     const sString& sPic) {
  MovieRecord m;
  m.sName = sRec;
  FillMissing(d, &m);
  m.values[kPic] = sPic;
  FillMissingIds(d, &m);
  return m;
}

bool FillMissing(const MovieDetails& d, MovieRecord* m) {
  bool bChanged = false;
  for (const Filled& f : kFilled) {
    sString& sValue = m->values[f.field];
    if (!sValue.empty() || (d.*f.value).empty()) continue;
    sValue = d.*f.value;
    bChanged = true;
  }
  return bChanged;
}

bool FillMissingIds(const MovieDetails& d, MovieRecord* m) {
  bool bChanged = false;
  if (m->sTmdb.empty() && IsTmdbId(d.sTmdbId)) {
    m->sTmdb = d.sTmdbId;
    bChanged = true;
  }
  if (m->sImdb.empty() && IsImdbId(d.sImdbId)) {
    m->sImdb = d.sImdbId;
    bChanged = true;
  }
  return bChanged;
}

bool LacksPoster(const MovieRecord& m) {
  const sString& sPic = m.values[kPic];
  if (sPic.empty()) return true;
  std::error_code ec;
  return !std::filesystem::is_regular_file(sPic, ec);
}

bool LacksNothing(const MovieRecord& m) {
  for (const Filled& f : kFilled)
    if (m.values[f.field].empty()) return false;
  return !LacksPoster(m);
}
