// The service's settings from the environment and florrin.conf.
#include "service-config.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Vars = std::map<std::string, std::string>;

class Env {
 public:
  explicit Env(Vars values) : values_(std::move(values)) {}
  EnvironmentReader Reader() const {
    return [this](const char* name) -> const char* {
      const auto it = values_.find(name);
      return it == values_.end() ? nullptr : it->second.c_str();
    };
  }

 private:
  std::map<std::string, std::string> values_;
};

ServiceSettings From(Vars env,
                     const std::string& file = "") {
  Env e(std::move(env));
  return SettingsFrom(e.Reader(), file);
}

}  // namespace

TEST(ServiceConfigTest, NoCredentialMeansTheSite) {
  const ServiceSettings s = From({}, "# nothing here\nlanguage = de-DE\n");
  EXPECT_FALSE(s.HasCredential());
  EXPECT_EQ("de-DE", s.sLanguage);
  EXPECT_EQ("https://api.themoviedb.org/3", s.sApiBase);
  EXPECT_EQ("https://image.tmdb.org/t/p/", s.sImageBase);
  EXPECT_FALSE(From({{"FLORRIN_TMDB_TOKEN", ""}, {"FLORRIN_TMDB_KEY", ""}},
                    "tmdb-token =\n").HasCredential());
}

TEST(ServiceConfigTest, TheFileGivesCredentialAndLanguage) {
  const ServiceSettings s = From(
      {}, "# my settings\r\n  tmdb-key = k1 \r\n#tmdb-token = no\r\nlanguage=fr-FR\r\nother = x\r\n");
  EXPECT_EQ("k1", s.sKey);
  EXPECT_EQ("", s.sToken);
  EXPECT_EQ("fr-FR", s.sLanguage);
  EXPECT_EQ("en-US", From({}, "").sLanguage);
}

TEST(ServiceConfigTest, ATokenWinsOverAKey) {
  ServiceSettings s = From({}, "tmdb-key = k\ntmdb-token = t\n");
  EXPECT_EQ("t", s.sToken);
  EXPECT_EQ("", s.sKey);
  s = From({{"FLORRIN_TMDB_KEY", "k"}, {"FLORRIN_TMDB_TOKEN", "t"}});
  EXPECT_EQ("t", s.sToken);
  EXPECT_EQ("", s.sKey);
}

TEST(ServiceConfigTest, TheEnvironmentWinsOverTheFile) {
  const std::string file = "tmdb-token = file-token\nlanguage = fr-FR\n";
  ServiceSettings s = From({{"FLORRIN_TMDB_KEY", "env-key"}, {"FLORRIN_LANGUAGE", "de"}}, file);
  EXPECT_EQ("env-key", s.sKey);
  EXPECT_EQ("", s.sToken);
  EXPECT_EQ("de", s.sLanguage);
  // Empty variables count as unset.
  s = From({{"FLORRIN_TMDB_KEY", ""}, {"FLORRIN_TMDB_TOKEN", ""}, {"FLORRIN_LANGUAGE", ""}}, file);
  EXPECT_EQ("file-token", s.sToken);
  EXPECT_EQ("fr-FR", s.sLanguage);
}

TEST(ServiceConfigTest, AddressesFromTheEnvironment) {
  ServiceSettings s = From({{"FLORRIN_TMDB_API", "http://api.test/3/"},
                            {"FLORRIN_TMDB_IMAGES", "http://img.test/p"}});
  EXPECT_EQ("http://api.test/3", s.sApiBase);
  EXPECT_EQ("http://img.test/p/", s.sImageBase);
}

TEST(ServiceConfigTest, WhereTheFileIs) {
#ifdef _WIN32
  EXPECT_EQ("C:\\Users\\u\\AppData\\Roaming\\Florrin\\florrin.conf",
            ConfigFilePath(Env(Vars{{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}}).Reader()));
  EXPECT_EQ("", ConfigFilePath(Env(Vars{{"HOME", "/home/u"}}).Reader()));
#else
  EXPECT_EQ("/x/florrin/florrin.conf",
            ConfigFilePath(Env(Vars{{"XDG_CONFIG_HOME", "/x"}, {"HOME", "/home/u"}}).Reader()));
  EXPECT_EQ("/home/u/.config/florrin/florrin.conf",
            ConfigFilePath(Env(Vars{{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}}).Reader()));
  EXPECT_EQ("/home/u/.config/florrin/florrin.conf",
            ConfigFilePath(Env(Vars{{"HOME", "/home/u"}}).Reader()));
  EXPECT_EQ("", ConfigFilePath(Env(Vars{{"HOME", ""}}).Reader()));
#endif
}
