// Host strings and the resolver's entry table.
#include "rbhost.h"
#include "rbhost_internal.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <unordered_set>

namespace rbhost {
namespace {

std::unordered_set<String>& Live() {
  static auto* live = new std::unordered_set<String>();
  return *live;
}

long g_misuses = 0;
double g_version = 2008.0;
int g_pluginVersion = -1;
int g_fontCalls = 0;

std::set<std::string>& Removed() {
  static auto* removed = new std::set<std::string>();
  return *removed;
}

String Build(const char* bytes, size_t length, uint32_t encoding) {
  auto* s = static_cast<String>(std::malloc(sizeof(StringRecord) + length));
  if (s == nullptr) return nullptr;
  s->refs = 1;
  s->capacity = static_cast<uint32_t>(length + 1);
  s->encoding = encoding;
  s->length = static_cast<uint32_t>(length);
  if (length != 0) std::memcpy(s->bytes, bytes, length);
  s->bytes[length] = '\0';
  Live().insert(s);
  return s;
}

// --- entries handed to the plug-in ---

void EntryRegisterPluginVersion(int version) { g_pluginVersion = version; }

double EntryGetRBVersion() { return g_version; }

String EntryBuildString(const char* bytes, int length) {
  if (length < 0 || (bytes == nullptr && length != 0)) return nullptr;
  return Build(bytes, static_cast<size_t>(length), kSystemEncoding);
}

void EntryLockString(String s) {
  if (s == nullptr) return;
  if (Live().count(s) == 0) {
    ++g_misuses;
    return;
  }
  ++s->refs;
}

const char* EntryStringGetCString(String s) {
  if (s == nullptr || Live().count(s) == 0) return nullptr;
  return s->bytes;
}

uint32_t EntryGetFontEncoding(const char* font) {
  ++g_fontCalls;
  return (font != nullptr && std::strcmp(font, "System") == 0) ? kSystemEncoding
                                                                : 0;
}

String EntryConvertString(String s, uint32_t encoding) {
  if (s == nullptr || Live().count(s) == 0) return nullptr;
  return Build(s->bytes, s->length, encoding);
}

struct NamedEntry {
  const char* name;
  void* address;
};

template <typename Fn>
void* Address(Fn fn) {
  return reinterpret_cast<void*>(fn);
}

}  // namespace

void* Resolve(const char* name) {
  if (name == nullptr || Removed().count(name) != 0) return nullptr;
  static const NamedEntry kEntries[] = {
      {"RegisterPluginVersion", Address(&EntryRegisterPluginVersion)},
      {"PluginRegisterClass", Address(&EntryRegisterClass)},
      {"REALGetRBVersion", Address(&EntryGetRBVersion)},
      {"REALBuildString", Address(&EntryBuildString)},
      {"REALLockString", Address(&EntryLockString)},
      {"REALUnlockString", Address(&Release)},
      {"StringGetCString", Address(&EntryStringGetCString)},
      {"GetEventInstance", Address(&EntryGetEventInstance)},
      {"REALGetFontEncoding", Address(&EntryGetFontEncoding)},
      {"REALConvertString", Address(&EntryConvertString)},
  };
  for (const NamedEntry& e : kEntries) {
    if (std::strcmp(e.name, name) == 0) return e.address;
  }
  return nullptr;
}

void Reset() {
  ResetClasses();
  Removed().clear();
  g_version = 2008.0;
  g_pluginVersion = -1;
}

void SetVersion(double version) { g_version = version; }
double CurrentVersion() { return g_version; }
void RemoveEntry(const char* name) { Removed().insert(name); }
int PluginVersion() { return g_pluginVersion; }
int FontEncodingCalls() { return g_fontCalls; }

String NewString(const std::string& bytes) {
  return Build(bytes.data(), bytes.size(), kSystemEncoding);
}

void Release(String s) {
  if (s == nullptr) return;
  auto it = Live().find(s);
  if (it == Live().end()) {
    ++g_misuses;
    return;
  }
  if (--s->refs > 0) return;
  Live().erase(it);
  std::free(s);
}

std::string Bytes(String s) {
  if (s == nullptr || Live().count(s) == 0) return std::string();
  return std::string(s->bytes, s->length);
}

long LiveStrings() { return static_cast<long>(Live().size()); }
long StringMisuses() { return g_misuses; }

}  // namespace rbhost
