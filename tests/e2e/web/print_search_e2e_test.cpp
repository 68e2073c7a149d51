// "--printsearch" through the real wget and the local site.
#include "web_e2e_fixture.h"

using Files_ = std::vector<std::string>;

class PrintSearchTest : public WebE2eTest {};

TEST_F(PrintSearchTest, ListsTheFirstListedSectionWithoutACatalogue) {
  ExpectRun({"--printsearch", "Harbour Lights"},
            "Harbour Lights (1987) | /title/tt0100001/ || "
            "Quiet Field (1999) (TV) | /title/tt0100003/ || ");
  EXPECT_EQ(Fixture("search/harbour-lights.htm"), Read("imbd-search.htm"));
  EXPECT_EQ((Files_{"imbd-search.htm"}), Files());
  EXPECT_EQ((Files_{"www.imdb.com/find?q=Harbour Lights;more=tt"}),
            Requests());
}

TEST_F(PrintSearchTest, PartialMatchesAreListedHeadingLineIncluded) {
  ExpectRun({"-ps", "Orchard"},
            "The Glass Orchard (2003) (I) | /title/tt0100002/ || "
            "Orchard Road (2009) | /title/tt0100005/ || ");
}

TEST_F(PrintSearchTest, HeadingWithoutAListPrintsNothing) {
  ExpectRun({"-ps", "Lights Out"}, "");
}

TEST_F(PrintSearchTest, LeavesAnExistingCatalogueAlone) {
  MakeDb();
  ExpectRun({"-ps", "Harbor Lites"},
            "Harbour Lights (1987) | /title/tt0100001/ || ");
  EXPECT_EQ(kHeader, Db());
}

// --- error paths ---

TEST_F(PrintSearchTest, PopularTitlesAloneAreNotListed) {
  ExpectRun({"-ps", "Glass Orchard"}, "!not found!");
  EXPECT_TRUE(Exists("imbd-search.htm"));
}

TEST_F(PrintSearchTest, NothingFound) {
  ExpectRun({"-ps", "Zzyzx"}, "!not found!");
}

TEST_F(PrintSearchTest, DownloadErrorRemovesTheSearchPage) {
  Write("imbd-search.htm", "older search");
  ExpectRun({"--printsearch", "No Such Film"}, "!download error! !error!");
  EXPECT_EQ(Files_{}, Files());
}
