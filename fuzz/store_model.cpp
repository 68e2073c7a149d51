#include "store_model.h"

#include <string_view>

namespace fuzz {
namespace {

const char* const kKeys[11] = {"plot",     "tagline", "rate",     "year",
                               "director", "runtime", "comments", "pic",
                               "Act",      "Genre",   "Type"};

bool HasLineBreak(const std::string& s) {
  return s.find('\n') != std::string::npos;
}

// A name a record can be added under and found again: the bracket name of
// its header ends at the first "]", and an empty name is no title.
bool IsName(const std::string& s) {
  return !s.empty() && s.find(']') == std::string::npos && !HasLineBreak(s);
}

std::string BracketName(const std::string& line) {
  const size_t open = line.find('[');
  const size_t p = open == std::string::npos ? 0 : open + 1;
  const size_t q = line.find(']', p);
  return q == std::string::npos ? line : line.substr(p, q - p);
}

bool SplitField(const std::string& line, std::string* key,
                std::string* value) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = line.substr(0, eq);
  *value = line.substr(eq + 1);
  return true;
}

std::string MovieBody(const MovieValues& values) {
  std::string body;
  for (int i = 0; i < 11; ++i) {
    if (i > 0) body += "\n";
    body += std::string(kKeys[i]) + "=" + values[i];
  }
  return body;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

std::vector<Line> StoreModel::Lines() const {
  std::vector<Line> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = file_.find('\n', start);
    if (end == std::string::npos) break;
    const bool bCr = end > start && file_[end - 1] == '\r';
    lines.push_back({file_.substr(start, end - start - (bCr ? 1 : 0)),
                     bCr ? "\r\n" : "\n"});
    start = end + 1;
  }
  lines.push_back({file_.substr(start), ""});
  return lines;
}

long StoreModel::Header(const std::vector<Line>& lines,
                        const std::string& sRec) const {
  for (size_t i = 0; i < lines.size(); ++i)
    if (!lines[i].sText.empty() && lines[i].sText[0] == '[' &&
        BracketName(lines[i].sText) == sRec)
      return static_cast<long>(i);
  return -1;
}

size_t StoreModel::BodyEnd(const std::vector<Line>& lines, size_t h) {
  size_t i = h + 1;
  while (i < lines.size() &&
         (lines[i].sText.empty() || lines[i].sText[0] != '['))
    ++i;
  return i;
}

Outcome StoreModel::Refused() const {
  Outcome o;
  o.sValue = "!not found!";
  o.sFile = file_;
  return o;
}

Outcome StoreModel::GetRec(const std::string& sRec,
                           const std::string& sField) const {
  Outcome o = Refused();
  const std::vector<Line> lines = Lines();
  const long h = Header(lines, sRec);
  if (h < 0) return o;
  const size_t end = BodyEnd(lines, h);
  for (size_t i = h + 1; i < end; ++i) {
    std::string key, value;
    if (SplitField(lines[i].sText, &key, &value) && key == sField) {
      o.bOk = true;
      o.sValue = value;
      return o;
    }
  }
  return o;
}

Outcome StoreModel::EditRec(const std::string& sRec, const std::string& sField,
                            const std::string& sValue) const {
  if (!IsName(sRec) || HasLineBreak(sField) || HasLineBreak(sValue))
    return Refused();
  std::vector<Line> lines = Lines();
  const long h = Header(lines, sRec);
  if (h < 0) return Refused();
  const size_t end = BodyEnd(lines, h);
  for (size_t i = h + 1; i < end; ++i) {
    std::string key, value;
    if (!SplitField(lines[i].sText, &key, &value) || key != sField) continue;
    // The line rewrite: an empty last line is not part of the list, the
    // other entries keep their line ends, and the new line gets the
    // system's.
    lines[i] = {sField + "=" + sValue, "\n"};
    if (lines.back().sText.empty()) lines.pop_back();
    Outcome o = Refused();
    o.bOk = true;
    o.sFile.clear();
    for (const Line& line : lines) o.sFile += line.Copied();
    return o;
  }
  return Refused();
}

Outcome StoreModel::Append(const std::string& sRec,
                           const std::string& sBody) const {
  if (Header(Lines(), sRec) >= 0) return Refused();
  Outcome o = Refused();
  o.bOk = true;
  o.sFile = file_ + "\n\n[" + sRec + "]\n" + sBody;
  return o;
}

Outcome StoreModel::AddField(const std::string& sRec,
                             const std::string& sValue) const {
  if (!IsName(sRec) || HasLineBreak(sValue)) return Refused();
  return Append(sRec, "field=" + sValue);
}

Outcome StoreModel::AddMovie(const std::string& sRec,
                             const MovieValues& values) const {
  if (!IsName(sRec)) return Refused();
  for (const std::string& v : values)
    if (HasLineBreak(v)) return Refused();
  return Append(sRec, MovieBody(values));
}

// A name no record can hold is refused before any lookup.
Outcome StoreModel::DelRec(const std::string& sRec) const {
  if (!IsName(sRec)) return Refused();
  const std::vector<Line> lines = Lines();
  const long h = Header(lines, sRec);
  if (h < 0) return Refused();
  Outcome o = Refused();
  o.bOk = true;
  o.sFile.clear();
  for (long i = 0; i < h; ++i) o.sFile += lines[i].Copied();
  for (size_t i = BodyEnd(lines, h); i < lines.size(); ++i)
    o.sFile += lines[i].Copied();
  return o;
}

Outcome StoreModel::ChangeRec(const std::string& sRec,
                              const MovieValues& values) const {
  if (!IsName(sRec)) return Refused();
  for (const std::string& v : values)
    if (HasLineBreak(v)) return Refused();
  const std::vector<Line> lines = Lines();
  const long h = Header(lines, sRec);
  if (h < 0) return Refused();
  Outcome o = Refused();
  o.bOk = true;
  o.sFile.clear();
  for (long i = 0; i <= h; ++i) o.sFile += lines[i].Copied();
  o.sFile += MovieBody(values) + "\n\n";
  for (size_t i = BodyEnd(lines, h); i < lines.size(); ++i)
    o.sFile += lines[i].Copied();
  return o;
}

Outcome StoreModel::PrintRec(const std::string& sRec) const {
  const std::vector<Line> lines = Lines();
  const long h = Header(lines, sRec);
  if (h < 0) return Refused();
  std::string values[11];
  const size_t end = BodyEnd(lines, h);
  for (size_t i = h + 1; i < end; ++i) {
    std::string key, value;
    if (!SplitField(lines[i].sText, &key, &value)) continue;
    for (int k = 0; k < 11; ++k)
      if (key == kKeys[k]) values[k] = value;
  }
  std::string pic;
  for (char c : values[7])
    if (c != '\r') pic += c;
  values[7] = pic;
  Outcome o = Refused();
  o.bOk = true;
  for (const std::string& v : values) o.sPrinted += v + "|";
  return o;
}

Outcome StoreModel::PrintFilter(const std::string& sField,
                                const std::string& sWanted) const {
  Outcome o = Refused();
  o.bOk = true;
  const std::string sWantedUp = Upper(sWanted);
  bool bStarted = false;
  std::string sName;
  for (const Line& l : Lines()) {
    const std::string& line = l.sText;
    if (!line.empty() && line[0] == '[') {
      bStarted = true;
      sName = BracketName(line);
      continue;
    }
    std::string key, value;
    if (!bStarted || !SplitField(line, &key, &value) || key != sField)
      continue;
    // An empty value holds nothing, not even the empty text.
    if (!value.empty() && Upper(value).find(sWantedUp) != std::string::npos)
      o.sPrinted += sName + "|";
  }
  return o;
}

}  // namespace fuzz
