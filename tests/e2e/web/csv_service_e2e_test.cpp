// "--refresh" and "--import" with the movie service: the real downloader
// reaches the API stand-in of the local site.
#include <string>
#include <vector>

#include "service_e2e_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const std::vector<std::string> kEmpty(11, "");

class CsvServiceE2eTest : public ServiceE2eTest {
 protected:
  std::string Log() {
    const std::string path = home_.File("log");
    return std::filesystem::exists(path) ? ReadFile(path) : "";
  }
  std::vector<std::string> Logged() { return Env({"FLORRIN_LOG=" + home_.File("log")}); }
};

TEST_F(CsvServiceE2eTest, RefreshFillsOnlyWhatTheRecordLacks) {
  std::vector<std::string> mine = kEmpty;
  mine[0] = "my own plot";
  mine[3] = "2011";
  mine[6] = "seen it";
  mine[7] = "gone.jpg";  // names no file: the poster is fetched
  Write("db", kHeader + Record("Inception", mine, "\ntmdb=27205"));
  ExpectRun({"--refresh", "Inception"}, "!ok!", Logged());
  EXPECT_EQ(std::string(kHeader) +
                Written("\n\n[Inception]\nplot=my own plot\ntagline=Your mind is the scene of "
                        "the crime.\nrate=8.4/10\nyear=2011\ndirector=Christopher Nolan\n"
                        "runtime=148 min\ncomments=seen it\npic=Inception.jpg\nAct= - "
                        "Leonardo DiCaprio - Cobb - Joseph Gordon-Levitt - Arthur - Elliot "
                        "Page - Ariadne\nGenre= - Action - Science Fiction - Adventure\n"
                        "Type=\ntmdb=27205\nimdb=tt1375666\n\n"),
            Db());
  EXPECT_EQ((Strings{Details("27205"), "image.tmdb.test/t/p/w500/inception.jpg"}), Requests());
  // Nothing missing: no rewrite, still one request for the details.
  const std::string full = Db();
  ClearRequests();
  ExpectRun({"-r", "Inception"}, "!ok!", Logged());
  EXPECT_EQ(full, Db());
  EXPECT_EQ((Strings{Details("27205")}), Requests());
  EXPECT_EQ("", Log());
}

TEST_F(CsvServiceE2eTest, RefreshByAddressSetsTheIdsAndWithoutAnIdFails) {
  Write("db", kHeader + Record("Dream", kEmpty, "\ntmdb=x12\nimdb=tt0000001"));
  ExpectRun({"--refresh", "Dream", "https://www.imdb.com/title/tt1375666/"}, "!ok!", Logged());
  EXPECT_EQ(std::string(kHeader) +
                Written("\n\n[Dream]\nplot=Cobb, a skilled thief who commits corporate espionage "
                        "by infiltrating the subconscious of his targets, is offered a chance "
                        "to regain his old life.\ntagline=Your mind is the scene of the crime."
                        "\nrate=8.4/10\nyear=2010\ndirector=Christopher Nolan\nruntime=148 min"
                        "\ncomments=\npic=Dream.jpg\nAct= - Leonardo DiCaprio - Cobb - Joseph "
                        "Gordon-Levitt - Arthur - Elliot Page - Ariadne\nGenre= - Action - "
                        "Science Fiction - Adventure\nType=\ntmdb=27205\nimdb=tt1375666\n\n"),
            Db());
  EXPECT_EQ(3u, Requests().size());  // find, details, poster: as --urladd
  // Ids not of the stored forms are none.
  Write("db", kHeader + Record("Odd", kEmpty, "\ntmdb=x12\nimdb=tt1"));
  const std::string odd = Db();
  ClearRequests();
  ExpectRun({"--refresh", "Odd"}, "!error!", Logged());
  ExpectRun({"--refresh", "Nobody"}, "!error!", Logged());
  ExpectRun({"--refresh", "Odd", "http://www.imdb.com/find/odd"}, "!error!", Logged());
  ExpectRun({"--refresh", "Odd", "/movie/404404"}, "!error!", Logged());
  EXPECT_EQ(odd, Db());
  EXPECT_NE(std::string::npos, Log().find("Odd: the record has no movie id; give the movie's address"));
  EXPECT_EQ((Strings{Details("404404")}), Requests());
}

TEST_F(CsvServiceE2eTest, ImportWithAKeyFillsWhatTheRowLeavesEmpty) {
  MakeDb();
  Write("list.csv",
        "Title,tmdbID,imdbID,Plot,Year\r\n"
        "Inception,27205,,My words,\r\n"        // the row's plot wins
        "Dream,,tt1375666,,\r\n"                // the service gave this id: no request
        "Zzyzx,,,,\r\n"                         // the service knows no such movie
        "Nemo,404404,,,2003\r\n");              // nor this id
  ExpectRun({"--import", "list.csv"}, "Inception|Zzyzx|Nemo|!ok!", Logged());
  const std::string inception = Inception("Inception", "Inception.jpg");
  EXPECT_EQ(kHeader + inception.substr(0, inception.find("Cobb, a")) + "My words" +
                inception.substr(inception.find(Written("\ntagline="))) +
                Record("Zzyzx", kEmpty) +
                Record("Nemo", {"", "", "", "2003", "", "", "", "", "", "", ""}, "\ntmdb=404404"),
            Db());
  EXPECT_EQ((Strings{Details("27205"), "image.tmdb.test/t/p/w500/inception.jpg",
                     Api("search/movie?query=Zzyzx&include_adult=false&language=en-US"),
                     Details("404404")}),
            Requests());
  const std::string log = Log();
  EXPECT_NE(std::string::npos, log.find("row 2 (Dream): the catalogue holds this movie's id already"));
  EXPECT_NE(std::string::npos, log.find("row 3 (Zzyzx): the service knows no such movie"));
  EXPECT_NE(std::string::npos, log.find("row 4 (Nemo): the service knows no such movie"));
}

TEST_F(CsvServiceE2eTest, AFailedRequestEndsTheImportAndASecondRunCarriesOn) {
  MakeDb();
  Write("list.csv",
        "Title,tmdbID,Plot,Tagline,Rate,Year,Directors,Runtime,Cast,Genres,Poster\n"
        "Full,,p,t,r,1999,d,90 min,a,G,poster.jpg\n"  // needs no request
        "Alien,348,,,,,,,,,\n"
        "Never,430,,,,,,,,,\n"                       // 429 past its retries
        "After,,p,t,r,1999,d,90 min,a,G,after.jpg\n");
  Write("poster.jpg", "jpeg");
  Write("after.jpg", "jpeg");
  ExpectRun({"--import", "list.csv"}, "Full|Alien|!error!", Logged());
  const std::string first = Db();
  EXPECT_NE(std::string::npos, first.find("[Alien]"));
  EXPECT_EQ(std::string::npos, first.find("[After]"));
  ClearRequests();
  ExpectRun({"--import", "list.csv"}, "!error!", Logged());
  EXPECT_EQ(first, Db());
  // Without the failing row the rest comes in; the done rows cost nothing.
  Write("list.csv",
        "Title,tmdbID,Plot,Tagline,Rate,Year,Directors,Runtime,Cast,Genres,Poster\n"
        "Full,,p,t,r,1999,d,90 min,a,G,poster.jpg\n"
        "Alien,348,,,,,,,,,\n"
        "After,,p,t,r,1999,d,90 min,a,G,after.jpg\n");
  ClearRequests();
  ExpectRun({"--import", "list.csv"}, "After|!ok!", Logged());
  EXPECT_EQ(first, Db().substr(0, first.size()));
  EXPECT_EQ("after.jpg", Run({"--get", "After", "pic"}).out);
  EXPECT_EQ(Strings{}, Requests());
}

}  // namespace
