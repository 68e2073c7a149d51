// End-to-end fixture for the web commands through the movie service: the
// real downloader reaches the API stand-in of the local site (api.tmdb.test,
// image.tmdb.test; see tests/site/site.py).
#ifndef FLORRIN_TESTS_E2E_WEB_SERVICE_E2E_FIXTURE_H_
#define FLORRIN_TESTS_E2E_WEB_SERVICE_E2E_FIXTURE_H_

#include <filesystem>
#include <string>
#include <vector>

#include "support/user_text.h"
#include "web_e2e_fixture.h"

inline const char kToken[] = "test-token-7f3a";
inline const char kKey[] = "test-key-19c2";
inline const char kApi[] = "api.tmdb.test/3/";

inline const char kInceptionList[] =
    "Inception (2010) | /movie/27205 || Syndrome Halla, the Inception of "
    "Croatian Professional Film \xE2\x80\x93 Born to Die (2017) | "
    "/movie/1370380 || The Inception of Dramatic Representation (?\?\?\?) | "
    "/movie/350632 || The Crack: Inception (2019) | /movie/613092 || "
    "Inception (1980) | /movie/1359046 || The Inception of Seeking (2025) | "
    "/movie/1524492 || Inception: Music from the Motion Picture (2010) | "
    "/movie/973484 || Inception: The Cobol Job (2010) | /movie/64956 || WWA "
    "The Inception (2001) | /movie/250845 || Bikini Inception (2015) | "
    "/movie/542438 || ";

// Every file under `folder` whose bytes hold `secret`.
inline std::vector<std::string> FilesHolding(const std::string& folder,
                                             const std::string& secret) {
  std::vector<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    if (ReadFile(e.path().string()).find(secret) != std::string::npos)
      found.push_back(e.path().string());
  }
  return found;
}

class ServiceE2eTest : public WebE2eTest {
 protected:
  // The service's addresses on the local site, and the test token unless
  // `credential` says otherwise ("" for none).
  std::vector<std::string> Env(const std::vector<std::string>& more = {},
                               const std::string& credential =
                                   std::string("FLORRIN_TMDB_TOKEN=") + kToken) {
    std::vector<std::string> env = {"FLORRIN_TMDB_API=http://api.tmdb.test/3",
                                    "FLORRIN_TMDB_IMAGES=http://image.tmdb.test/t/p/"};
    if (!credential.empty()) env.push_back(credential);
    env.insert(env.end(), more.begin(), more.end());
    return env;
  }
  void Expect(const std::vector<std::string>& args, const std::string& out,
              const std::vector<std::string>& more = {}) {
    ExpectRun(args, out, Env(more));
  }

  // Writes `text` as the user's florrin.conf (none when empty), adding to
  // `*env` what the run needs to find it.
  void WriteConfig(const std::string& text, std::vector<std::string>* env) {
    const std::string path = ConfigFileIn(home_.path(), env);
    std::filesystem::remove(path);
    if (text.empty()) return;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, text);
  }

  static std::string Api(const std::string& rest) { return kApi + rest; }
  static std::string Details(const std::string& id,
                             const std::string& language = "en-US") {
    return Api("movie/" + id + "?append_to_response=credits&language=" + language);
  }

  static std::string Inception(const std::string& name, const std::string& pic) {
    return Record(name, {"Cobb, a skilled thief who commits corporate espionage "
                         "by infiltrating the subconscious of his targets, is "
                         "offered a chance to regain his old life.",
                         "Your mind is the scene of the crime.", "8.4/10", "2010",
                         "Christopher Nolan", "148 min", "", pic,
                         " - Leonardo DiCaprio - Cobb - Joseph Gordon-Levitt - "
                         "Arthur - Elliot Page - Ariadne",
                         " - Action - Science Fiction - Adventure", ""},
                  "\ntmdb=27205\nimdb=tt1375666");
  }
};

#endif  // FLORRIN_TESTS_E2E_WEB_SERVICE_E2E_FIXTURE_H_
