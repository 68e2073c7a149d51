#include "service-json.h"

#include "movie-ids.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "json-pick.h"

namespace {

using Json = nlohmann::json;

// The cast entries a record keeps.
const int kMaxCast = 15;

// What each reader keeps of its answer (see json-pick.h); the rest of an
// answer is dropped as it is read.
const JsonShape kLeaf{};
const JsonShape kResult{{{"id", &kLeaf},
                         {"title", &kLeaf},
                         {"original_title", &kLeaf},
                         {"release_date", &kLeaf}}};
const JsonShape kResults{{}, &kResult};
const JsonShape kSearchAnswer{{{"results", &kResults}}};

const JsonShape kFound{{{"id", &kLeaf}}};
const JsonShape kFoundList{{}, &kFound};
const JsonShape kFindAnswer{{{"movie_results", &kFoundList}}};

const JsonShape kCrewMember{{{"job", &kLeaf}, {"name", &kLeaf}}};
const JsonShape kCrew{{}, &kCrewMember};
const JsonShape kCastMember{{{"name", &kLeaf}, {"character", &kLeaf}}};
const JsonShape kCastList{{}, &kCastMember};
const JsonShape kCredits{{{"crew", &kCrew}, {"cast", &kCastList}}};
const JsonShape kGenre{{{"name", &kLeaf}}};
const JsonShape kGenres{{}, &kGenre};
const JsonShape kMovieAnswer{{{"id", &kLeaf},
                              {"imdb_id", &kLeaf},
                              {"overview", &kLeaf},
                              {"tagline", &kLeaf},
                              {"vote_count", &kLeaf},
                              {"vote_average", &kLeaf},
                              {"release_date", &kLeaf},
                              {"runtime", &kLeaf},
                              {"poster_path", &kLeaf},
                              {"credits", &kCredits},
                              {"genres", &kGenres}}};

const JsonShape kErrorBody{{{"status_message", &kLeaf}}};

// Reads what `shape` keeps of `sBody`; a body that is no answer at all (not
// JSON, too deep, a value too long) gives null, which has no members.
Json Parse(std::string_view sBody, const JsonShape& shape) {
  Json value;
  ParsePicked(sBody, shape, &value);
  return value;
}

// The member `sKey` of the object `j`, or null when `j` is no object or has
// no such member.
const Json* Member(const Json& j, const char* sKey) {
  if (!j.is_object()) return nullptr;
  const auto it = j.find(sKey);
  return it == j.end() ? nullptr : &*it;
}

Json* Member(Json& j, const char* sKey) {
  return const_cast<Json*>(Member(static_cast<const Json&>(j), sKey));
}

// Each line break of `*pText` made one space, and every other control
// byte but tab a space too, in place.
void MakeOneLine(sString* pText) {
  sString& s = *pText;
  size_t iOut = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    const bool bControl = static_cast<unsigned char>(c) < 0x20 && c != '\t';
    s[iOut++] = bControl ? ' ' : c;
  }
  s.resize(iOut);
}

// The text of member `sKey`, made one line; empty when it is not a string.
// The text is taken out of `j` rather than copied: an answer's texts may
// add up to most of its size, and each is read once.
sString Text(Json& j, const char* sKey) {
  Json* m = Member(j, sKey);
  if (m == nullptr || !m->is_string()) return sString();
  sString sText = std::move(m->get_ref<std::string&>());
  MakeOneLine(&sText);
  return sText;
}

// A whole number of member `sKey` that is 0 or more, into `*pValue`.
bool Count(const Json& j, const char* sKey, uint64_t* pValue) {
  const Json* m = Member(j, sKey);
  if (m == nullptr) return false;
  if (m->is_number_unsigned()) {
    *pValue = m->get<uint64_t>();
    return true;
  }
  if (m->is_number_integer() && m->get<int64_t>() >= 0) {
    *pValue = static_cast<uint64_t>(m->get<int64_t>());
    return true;
  }
  return false;
}

// Four digits at the start of a date such as "1999-10-15", or empty.
sString YearOf(const sString& sDate) {
  if (sDate.size() < 4) return sString();
  for (int i = 0; i < 4; ++i) {
    if (sDate[i] < '0' || sDate[i] > '9') return sString();
  }
  return sDate.substr(0, 4);
}

// A poster path the image base can take: "/" and then letters, digits and
// "._-" only; anything else could make the address point elsewhere.
bool IsPlainPath(const sString& sPath) {
  if (sPath.size() < 2 || sPath[0] != '/') return false;
  for (size_t i = 1; i < sPath.size(); ++i) {
    const char c = sPath[i];
    const bool bOk = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                     (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                     c == '-';
    if (!bOk) return false;
  }
  return sPath.find("..") == sString::npos;
}

sString Director(Json& movie) {
  Json* crew = Member(movie, "credits");
  crew = crew == nullptr ? nullptr : Member(*crew, "crew");
  if (crew == nullptr || !crew->is_array()) return sString();
  for (Json& member : *crew) {
    const Json* job = Member(member, "job");
    if (job != nullptr && job->is_string() &&
        job->get_ref<const std::string&>() == "Director")
      return Text(member, "name");
  }
  return sString();
}

sString Cast(Json& movie) {
  Json* cast = Member(movie, "credits");
  cast = cast == nullptr ? nullptr : Member(*cast, "cast");
  if (cast == nullptr || !cast->is_array()) return sString();
  sString sAct;
  int iTaken = 0;
  for (Json& actor : *cast) {
    if (iTaken == kMaxCast) break;
    const sString sName = Text(actor, "name");
    if (sName.empty()) continue;
    ++iTaken;
    sAct += " - " + sName;
    const sString sRole = Text(actor, "character");
    if (!sRole.empty()) sAct += " - " + sRole;
  }
  return sAct;
}

sString Genres(Json& movie) {
  Json* genres = Member(movie, "genres");
  if (genres == nullptr || !genres->is_array()) return sString();
  sString sGen;
  for (Json& genre : *genres) {
    const sString sName = Text(genre, "name");
    if (!sName.empty()) sGen += " - " + sName;
  }
  return sGen;
}

sString Rate(const Json& movie) {
  uint64_t iVotes = 0;
  if (!Count(movie, "vote_count", &iVotes) || iVotes == 0) return sString();
  const Json* average = Member(movie, "vote_average");
  if (average == nullptr || !average->is_number()) return sString();
  return FormatRate(average->get<double>()) + "/10";
}

sString Runtime(const Json& movie) {
  uint64_t iMinutes = 0;
  if (!Count(movie, "runtime", &iMinutes) || iMinutes == 0) return sString();
  return std::to_string(iMinutes) + " min";
}

}  // namespace

sString OneLine(std::string_view sText) {
  sString sLine(sText);
  MakeOneLine(&sLine);
  return sLine;
}

sString FormatRate(double dAverage) {
  // to_chars rounds the exact binary value, like a correct printf, and
  // does not depend on the C library (MinGW's printf differs).
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, dAverage,
                               std::chars_format::fixed, 1);
  if (r.ec != std::errc()) return sString();
  return sString(buffer, r.ptr);
}

bool ReadSearchAnswer(std::string_view sBody,
                      std::vector<ServiceMatch>* pMatches) {
  pMatches->clear();
  Json answer = Parse(sBody, kSearchAnswer);
  Json* results = Member(answer, "results");
  if (results == nullptr || !results->is_array()) return false;
  for (Json& result : *results) {
    uint64_t iId = 0;
    if (!Count(result, "id", &iId)) continue;
    ServiceMatch match;
    match.sId = std::to_string(iId);
    match.sTitle = Text(result, "title");
    match.sOriginalTitle = Text(result, "original_title");
    match.sYear = YearOf(Text(result, "release_date"));
    pMatches->push_back(match);
  }
  return true;
}

bool ReadFindAnswer(std::string_view sBody, sString* pId) {
  const Json answer = Parse(sBody, kFindAnswer);
  const Json* movies = Member(answer, "movie_results");
  if (movies == nullptr || !movies->is_array()) return false;
  for (const Json& movie : *movies) {
    uint64_t iId = 0;
    if (Count(movie, "id", &iId)) {
      *pId = std::to_string(iId);
      return true;
    }
  }
  return false;
}

bool ReadMovieAnswer(std::string_view sBody, ServiceMovie* pMovie) {
  Json movie = Parse(sBody, kMovieAnswer);
  uint64_t iId = 0;
  if (!Count(movie, "id", &iId)) return false;
  ServiceMovie m;
  m.sPlot = Text(movie, "overview");
  m.sTag = Text(movie, "tagline");
  m.sRate = Rate(movie);
  m.sYear = YearOf(Text(movie, "release_date"));
  m.sDir = Director(movie);
  m.sTime = Runtime(movie);
  m.sAct = Cast(movie);
  m.sGen = Genres(movie);
  const sString sPoster = Text(movie, "poster_path");
  if (IsPlainPath(sPoster)) m.sPosterPath = sPoster;
  m.sTmdbId = std::to_string(iId);
  const sString sImdb = Text(movie, "imdb_id");
  if (IsImdbId(sImdb)) m.sImdbId = sImdb;
  *pMovie = m;
  return true;
}

sString ReadStatusMessage(std::string_view sBody) {
  Json body = Parse(sBody, kErrorBody);
  return Text(body, "status_message");
}
