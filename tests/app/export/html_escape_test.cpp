// Escaping, percent-encoding, poster addresses and the CSP hash.
#include "html-escape.h"
#include "poster-address.h"
#include "sha256.h"

#include <string>

#include "gtest/gtest.h"

namespace {

struct EscapeCase {
  std::string in;
  std::string text;       // AppendHtmlText
  std::string attribute;  // AppendHtmlAttribute
};

TEST(HtmlEscapeTest, TextAndAttributesHoldNoMarkup) {
  const EscapeCase cases[] = {
      {"Alien", "Alien", "Alien"},
      {"<script>x</script>", "&lt;script&gt;x&lt;/script&gt;",
       "&lt;script&gt;x&lt;/script&gt;"},
      {"Tom & Jerry", "Tom &amp; Jerry", "Tom &amp; Jerry"},
      {"&amp;", "&amp;amp;", "&amp;amp;"},
      {"say \"hi\" it's", "say \"hi\" it's", "say &quot;hi&quot; it&#39;s"},
      {"\" onerror=\"x", "\" onerror=\"x", "&quot; onerror=&quot;x"},
      {"</textarea>", "&lt;/textarea&gt;", "&lt;/textarea&gt;"},
      {"tab\tcr\r", "tab\tcr\r", "tab\tcr\r"},
      {std::string("nul\0bell\x07", 9), "nul\xEF\xBF\xBD" "bell\xEF\xBF\xBD",
       "nul\xEF\xBF\xBD" "bell\xEF\xBF\xBD"},
      {"del\x7F", "del\xEF\xBF\xBD", "del\xEF\xBF\xBD"},
      {"Am\xC3\xA9lie", "Am\xC3\xA9lie", "Am\xC3\xA9lie"},
      {"", "", ""},
  };
  for (const EscapeCase& c : cases) {
    std::string text = "<", attribute = "<";
    AppendHtmlText(c.in, &text);
    AppendHtmlAttribute(c.in, &attribute);
    EXPECT_EQ("<" + c.text, text) << c.in;
    EXPECT_EQ("<" + c.attribute, attribute) << c.in;
  }
}

// The rule a byte is escaped by, written out byte by byte: the escapers
// must agree with it for every byte, alone and amid plain text.
std::string ByteRule(unsigned char c, bool bAttribute) {
  if (c == '&') return "&amp;";
  if (c == '<') return "&lt;";
  if (c == '>') return "&gt;";
  if (bAttribute && c == '"') return "&quot;";
  if (bAttribute && c == '\'') return "&#39;";
  if (c == '\t' || c == '\r') return std::string(1, static_cast<char>(c));
  if (c < 0x20 || c == 0x7F) return "\xEF\xBF\xBD";
  return std::string(1, static_cast<char>(c));
}

TEST(HtmlEscapeTest, EveryByteAsTheByteRuleSays) {
  for (int b = 0; b < 256; ++b) {
    const unsigned char c = static_cast<unsigned char>(b);
    const std::string one(1, static_cast<char>(c));
    // Alone, between plain bytes, and twice in a row: the runs of plain
    // bytes around an escaped one must come out whole.
    const std::string inputs[] = {one, "ab" + one + "cd", one + one + "x"};
    for (const std::string& in : inputs) {
      for (const bool bAttribute : {false, true}) {
        std::string expected;
        for (const char ch : in)
          expected += ByteRule(static_cast<unsigned char>(ch), bAttribute);
        std::string out = "=";
        if (bAttribute) AppendHtmlAttribute(in, &out);
        else AppendHtmlText(in, &out);
        EXPECT_EQ("=" + expected, out)
            << "byte " << b << (bAttribute ? " in an attribute" : " in text");
      }
    }
  }
}

TEST(HtmlEscapeTest, PercentEncodingKeepsOnlyUnreservedBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"Alien.jpg", "Alien.jpg"},
      {"Harbour Lights.jpg", "Harbour%20Lights.jpg"},
      {"Am\xC3\xA9lie.jpg", "Am%C3%A9lie.jpg"},
      {"caf\xE9.jpg", "caf%E9.jpg"},  // a POSIX name's own byte
      {"100%.jpg", "100%25.jpg"},
      {"a#b?c&d=e.jpg", "a%23b%3Fc%26d%3De.jpg"},
      {"x\"y'<z>", "x%22y%27%3Cz%3E"},
      {"A-Z_a~z.0", "A-Z_a~z.0"},
      {"javascript:x", "javascript%3Ax"},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendPercentEncoded(c.first, &out);
    EXPECT_EQ(c.second, out) << c.first;
  }
}

TEST(PosterAddressTest, PlainFileNamesOnly) {
  const std::pair<std::string, bool> cases[] = {
      {"Alien.jpg", true},
      {"Star Trek_ First Contact.jpg", true},
      {"Am\xC3\xA9lie.jpg", true},
      {"", false},
      {".", false},
      {"..", false},
      {"../secret.jpg", false},
      {"posters/Alien.jpg", false},
      {"posters\\Alien.jpg", false},
      {"C:Alien.jpg", false},
      {"http://example.org/x.jpg", false},
      {"/etc/passwd", false},
      {"a\x01" "b", false},
      {"..jpg", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, IsPlainFileName(c.first)) << c.first;
}

struct AddressCase {
  const char* page;
  const char* posters;
  const char* file;
  PathStyle style;
  const char* address;
};

TEST(PosterAddressTest, RelativeToThePageWithSlashesOrAbsoluteAcrossRoots) {
  const PathStyle P = PathStyle::kPosix, W = PathStyle::kWindows;
  const AddressCase cases[] = {
      {"/home/u/Movies", "/home/u/Movies", "Alien.jpg", P, "Alien.jpg"},
      {"/home/u/out", "/home/u/Movies", "Alien.jpg", P, "../Movies/Alien.jpg"},
      {"/home/u", "/home/u/Movies", "A b.jpg", P, "Movies/A%20b.jpg"},
      {"/home/u/Movies/pages/x", "/home/u/Movies", "A.jpg", P, "../../A.jpg"},
      {"/", "/srv/m", "A.jpg", P, "srv/m/A.jpg"},
      {"/srv/m", "/", "A.jpg", P, "../../A.jpg"},
      {"/home/u/movies", "/home/u/Movies", "A.jpg", P, "../Movies/A.jpg"},
      {"/home/u/./out/../Movies", "/home/u/Movies", "A.jpg", P, "A.jpg"},
      {"/h/f\xC3\xA9", "/h/caf\xE9", "A.jpg", P, "../caf%E9/A.jpg"},
      // Windows: names and drives compared ignoring case, either slash.
      {"C:\\Users\\u\\out", "c:\\users\\U\\Movies", "A.jpg", W,
       "../Movies/A.jpg"},
      {"C:/Users/u/Movies", "C:\\Users\\u\\Movies", "A.jpg", W, "A.jpg"},
      {"\\\\?\\C:\\u\\out", "C:\\u\\Movies", "A.jpg", W, "../Movies/A.jpg"},
      {"D:\\pages", "C:\\Users\\u\\Movies", "Am\xC3\xA9lie.jpg", W,
       "file:///C:/Users/u/Movies/Am%C3%A9lie.jpg"},
      {"D:\\pages", "c:\\Movies", "A.jpg", W, "file:///C:/Movies/A.jpg"},
      {"C:\\pages", "\\\\nas\\films\\Movies", "A.jpg", W,
       "file://nas/films/Movies/A.jpg"},
      {"\\\\nas\\films\\pages", "\\\\NAS\\Films\\Movies", "A.jpg", W,
       "../Movies/A.jpg"},
      {"\\\\nas\\other", "\\\\?\\UNC\\nas\\films\\Movies", "A.jpg", W,
       "file://nas/films/Movies/A.jpg"},
  };
  for (const AddressCase& c : cases) {
    EXPECT_EQ(c.address, PosterAddress(c.page, c.posters, c.file, c.style))
        << c.page << " -> " << c.posters;
  }
}

std::string Hex(const std::array<uint8_t, 32>& digest) {
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : digest) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

TEST(Sha256Test, KnownDigestsAcrossBlockEdges) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc",
       "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'x'),
       "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(56, 'x'),
       "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {std::string(63, 'x'),
       "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
      {std::string(64, 'x'),
       "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
      {std::string(65, 'x'),
       "9537c5fdf120482f7d58d25e9ed583f52c02b4e304ea814db1633ad565aed7e9"},
      {std::string(119, 'x'),
       "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
      {std::string(120, 'x'),
       "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, Hex(Sha256(c.first))) << c.first.size();
}

TEST(Sha256Test, Base64AndTheCspSource) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},
      {"foo", "Zm9v"},   {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"}, {"\xFB\xFF", "+/8="},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, Base64(c.first)) << c.first;
  // The value a browser computes for an empty inline script.
  EXPECT_EQ("'sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU='",
            CspHashSource(""));
}

}  // namespace
