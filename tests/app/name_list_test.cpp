// NameList puts names in the order of std::sort on their bytes (or, for
// titles, ignoring ASCII case, stable), whatever they share, wherever they
// end, and however many there are.
#include "name-list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names Sorted(const Names& names) {
  NameList list;
  for (const std::string& name : names) list.Add(name);
  EXPECT_EQ(names.size(), list.size());
  list.Sort();
  EXPECT_FALSE(list.Failed());
  Names out;
  list.ForEach([&out](std::string_view s) { out.emplace_back(s); });
  return out;
}

// std::string compares its bytes as unsigned, a prefix first: the order the
// listing promises.
Names Expected(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

std::string Nul(const std::string& a, const std::string& b) {
  return a + std::string(1, '\0') + b;
}

struct FixedCase {
  const char* what;
  Names names;
};

class NameListFixedTest : public testing::TestWithParam<FixedCase> {};

TEST_P(NameListFixedTest, SortsAsTheBytesCompare) {
  EXPECT_EQ(Expected(GetParam().names), Sorted(GetParam().names));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameListFixedTest,
    testing::Values(
        FixedCase{"none", {}},
        FixedCase{"one", {"Alien"}},
        FixedCase{"empty names", {"b", "", "a", ""}},
        FixedCase{"duplicates", {"z", "Z", "z", "z", "a"}},
        FixedCase{"capitals first, high bytes last",
                  {"\xc3\xa9t\xc3\xa9", "été", "Zulu", "alpha", "1", "\xff",
                   "\x7f"}},
        // Keys are eight bytes padded with zeros: a name that ends inside
        // them against one holding NULs there.
        FixedCase{"ends against NULs",
                  {"abc", Nul("abc", ""), Nul("abc", "\0"), "abc\x01",
                   Nul("abcdefg", ""), "abcdefg", "abcdefgh",
                   Nul("abcdefgh", ""), "abcdefgh\x01", "ab"}},
        FixedCase{"alike across eight-byte edges",
                  {"The Dark Night", "The Dark", "The Dark Knight",
                   "The Dark Knight Returns", "The Dark Knight Return",
                   "The Dark Knight Rises", "The Dar", "The Dark "}},
        FixedCase{"alike far in",
                  {std::string(40, 'x') + "b", std::string(40, 'x') + "a",
                   std::string(40, 'x'), std::string(39, 'x') + "\xff",
                   std::string(41, 'x')}}),
    [](const testing::TestParamInfo<FixedCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// Generated sets, large enough for every path of the sort: ranges split by
// their top byte, radix passes, runs compared, and runs sorted deeper in.
struct GeneratedCase {
  const char* what;
  int count;
  Names (*make)(int count);
};

// Short names from a tiny alphabet, NUL and 0xFF included: many
// duplicates, prefixes and NULs where keys pad with zeros.
Names TinyAlphabet(int count) {
  std::mt19937 rng(1);
  const char letters[] = {'a', 'b', '\0', '\xff'};
  Names names;
  for (int i = 0; i < count; ++i) {
    std::string name(rng() % 20, 'a');
    for (char& c : name) c = letters[rng() % 4];
    names.push_back(name);
  }
  return names;
}

// Titles of words in random order, as a user adds movies.
Names Words(int count) {
  std::mt19937 rng(2);
  const char* const words[] = {"The", "Dark", "Night", "Knight", "Love",
                               "Story", "of", "a", "American", "Beautiful"};
  Names names;
  for (int i = 0; i < count; ++i) {
    std::string name = words[rng() % 10];
    for (unsigned n = rng() % 5; n > 0; --n)
      name += std::string(" ") + words[rng() % 10];
    names.push_back(name);
  }
  return names;
}

// Numbered names, all alike in their first bytes, in reverse order.
Names Numbered(int count) {
  Names names;
  for (int i = count; i > 0; --i) names.push_back("Movie " + std::to_string(i));
  return names;
}

// Names alike in their first hundreds of bytes, then in most of the rest.
Names LongPrefix(int count) {
  std::mt19937 rng(3);
  Names names;
  for (int i = 0; i < count; ++i)
    names.push_back(std::string(300, 'p') + std::to_string(rng() % 50) +
                    std::string(rng() % 30, 'q') + std::to_string(rng() % 7));
  return names;
}

class NameListGeneratedTest : public testing::TestWithParam<GeneratedCase> {};

TEST_P(NameListGeneratedTest, SortsAsTheBytesCompare) {
  const Names names = GetParam().make(GetParam().count);
  EXPECT_TRUE(Expected(names) == Sorted(names));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameListGeneratedTest,
    testing::Values(GeneratedCase{"TinyAlphabetFew", 200, TinyAlphabet},
                    GeneratedCase{"TinyAlphabetMany", 30000, TinyAlphabet},
                    GeneratedCase{"WordsFew", 100, Words},
                    GeneratedCase{"WordsMany", 40000, Words},
                    GeneratedCase{"Numbered", 30000, Numbered},
                    GeneratedCase{"LongPrefix", 20000, LongPrefix}),
    [](const testing::TestParamInfo<GeneratedCase>& info) {
      return std::string(info.param.what);
    });

// The page's title order, written plainly: ASCII capitals read as small
// letters, then the bytes, then the order added (a stable sort).
std::vector<size_t> ExpectedTitleOrder(const Names& names) {
  const auto folded = [](std::string s) {
    for (char& c : s) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
  };
  std::vector<size_t> order(names.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const std::string x = folded(names[a]), y = folded(names[b]);
    if (x != y) return x < y;
    return names[a] < names[b];
  });
  return order;
}

std::vector<size_t> TitleOrder(const Names& names) {
  NameList list(NameOrder::kIgnoringAsciiCase);
  for (const std::string& name : names) list.Add(name);
  list.Sort();
  EXPECT_FALSE(list.Failed());
  std::vector<size_t> order;
  list.ForEachIndexed([&](size_t i, std::string_view name) {
    EXPECT_EQ(names.at(i), name);
    order.push_back(i);
  });
  return order;
}

// Names from letters of both cases and the bytes around them ("@", "[",
// "`", "{" lie next to the capitals and the small letters), NUL included.
Names MixedCase(int count) {
  std::mt19937 rng(4);
  const char letters[] = {'a', 'A', 'b', 'B', 'z', 'Z', '@', '[', '`', '{',
                          '\0', '\xff'};
  Names names;
  for (int i = 0; i < count; ++i) {
    std::string name(rng() % 12, 'a');
    for (char& c : name) c = letters[rng() % sizeof letters];
    names.push_back(name);
  }
  return names;
}

// Titles of words as users type them, capitals or not.
Names WordsAnyCase(int count) {
  Names names = Words(count);
  std::mt19937 rng(5);
  for (std::string& name : names) {
    for (char& c : name) {
      if (rng() % 4 == 0) c = static_cast<char>(std::toupper(c));
      else if (rng() % 4 == 0) c = static_cast<char>(std::tolower(c));
    }
  }
  return names;
}

TEST(NameListTest, TitleOrderIgnoresAsciiCaseThenBytesThenAdding) {
  const Names fixed = {"alien", "Brazil", "Alien", "alien", "ALIEN",
                       "Aliens", "_x", "a", "Z", "\xc3\xa9", "", "a b",
                       "ab", "Alien 2", "alien 3", "Alien"};
  EXPECT_EQ(ExpectedTitleOrder(fixed), TitleOrder(fixed));
  const GeneratedCase cases[] = {{"MixedCaseFew", 300, MixedCase},
                                 {"MixedCaseMany", 30000, MixedCase},
                                 {"WordsAnyCase", 40000, WordsAnyCase},
                                 {"LongPrefix", 20000, LongPrefix},
                                 {"Numbered", 20000, Numbered}};
  for (const GeneratedCase& c : cases) {
    const Names names = c.make(c.count);
    EXPECT_TRUE(ExpectedTitleOrder(names) == TitleOrder(names)) << c.what;
  }
}

TEST(NameListTest, KeepsNamesLargerThanABlock) {
  const Names names = {std::string(3 << 20, 'b'), "a",
                       std::string(3 << 20, 'a'), "c"};
  EXPECT_TRUE(Expected(names) == Sorted(names));
}

}  // namespace
