#include "poster-address.h"

#include <algorithm>
#include <vector>

#include "html-escape.h"

namespace {

// An absolute path cut into its root and its folder names.
struct SplitPath {
  std::string root;  // "/" (POSIX), "C:", or "//server/share"
  std::vector<std::string_view> names;
};

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b, PathStyle style) {
  if (style == PathStyle::kPosix) return a == b;
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

// Appends the names of `sPath` to `*pNames`, "." dropped and ".." taking the
// name before it away, as the system resolves them.
void AddNames(std::string_view sPath, PathStyle style,
              std::vector<std::string_view>* pNames) {
  size_t i = 0;
  while (i < sPath.size()) {
    size_t iEnd = i;
    while (iEnd < sPath.size() && !IsSeparator(sPath[iEnd], style)) ++iEnd;
    const std::string_view name = sPath.substr(i, iEnd - i);
    if (name == "..") {
      if (!pNames->empty()) pNames->pop_back();
    } else if (!name.empty() && name != ".") {
      pNames->push_back(name);
    }
    i = iEnd + 1;
  }
}

SplitPath Split(std::string_view sPath, PathStyle style) {
  SplitPath split;
  if (style == PathStyle::kPosix) {
    split.root = "/";
    AddNames(sPath, style, &split.names);
    return split;
  }
  // "\\?\C:\a" and "\\?\UNC\server\share\a" are the long forms of
  // "C:\a" and "\\server\share\a".
  const auto starts = [&](std::string_view sPrefix) {
    return sPath.size() >= sPrefix.size() &&
           SameName(sPath.substr(0, sPrefix.size()), sPrefix, style);
  };
  bool bUnc = false;
  if (starts("\\\\?\\UNC\\") || starts("//?/UNC/")) {
    sPath.remove_prefix(8);
    bUnc = true;
  } else if (starts("\\\\?\\") || starts("//?/")) {
    sPath.remove_prefix(4);
  } else if (sPath.size() >= 2 && IsSeparator(sPath[0], style) &&
             IsSeparator(sPath[1], style)) {
    sPath.remove_prefix(2);
    bUnc = true;
  }
  std::vector<std::string_view> names;
  if (bUnc) {
    AddNames(sPath, style, &names);
    split.root = "//";
    for (size_t i = 0; i < 2 && i < names.size(); ++i) {
      if (i > 0) split.root += '/';
      split.root.append(names[i]);
    }
    names.erase(names.begin(), names.begin() + std::min<size_t>(2, names.size()));
  } else {
    if (sPath.size() >= 2 && sPath[1] == ':') {
      split.root.assign(sPath.substr(0, 2));
      sPath.remove_prefix(2);
    }
    AddNames(sPath, style, &names);
  }
  split.names = std::move(names);
  return split;
}

}  // namespace

bool IsPlainFileName(std::string_view sPic) {
  if (sPic.empty() || sPic == "." || sPic == "..") return false;
  for (const char ch : sPic) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7F)
      return false;
  }
  return true;
}

std::string PosterAddress(std::string_view sPageFolder,
                          std::string_view sPosterFolder,
                          std::string_view sFile, PathStyle style) {
  const SplitPath from = Split(sPageFolder, style);
  const SplitPath to = Split(sPosterFolder, style);
  std::string sAddress;
  size_t iCommon = 0;
  if (SameName(from.root, to.root, style)) {
    while (iCommon < from.names.size() && iCommon < to.names.size() &&
           SameName(from.names[iCommon], to.names[iCommon], style))
      ++iCommon;
    for (size_t i = iCommon; i < from.names.size(); ++i) sAddress += "../";
  } else if (to.root.size() > 2 && to.root[0] == '/') {
    // A share: its server is the address's host.
    sAddress = "file:";
    sAddress += '/';
    sAddress += '/';
    const std::string_view sShare = std::string_view(to.root).substr(2);
    const size_t iSlash = sShare.find('/');
    AppendPercentEncoded(sShare.substr(0, iSlash), &sAddress);
    if (iSlash != std::string_view::npos) {
      sAddress += '/';
      AppendPercentEncoded(sShare.substr(iSlash + 1), &sAddress);
    }
    sAddress += '/';
  } else {
    sAddress = "file:///";
    if (!to.root.empty()) {
      sAddress += static_cast<char>(
          to.root[0] >= 'a' && to.root[0] <= 'z' ? to.root[0] - 'a' + 'A'
                                                 : to.root[0]);
      sAddress += ":/";
    }
  }
  for (size_t i = iCommon; i < to.names.size(); ++i) {
    AppendPercentEncoded(to.names[i], &sAddress);
    sAddress += '/';
  }
  AppendPercentEncoded(sFile, &sAddress);
  return sAddress;
}
