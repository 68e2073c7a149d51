#include "host_api.h"

#include <cstring>

// Calls through the host's function table follow the host's ABI, not the C++
// types of its functions, so clang's function-type check is off for them.
#if defined(__clang__)
#define PIPEWELL_HOST_CALL __attribute__((no_sanitize("function")))
#else
#define PIPEWELL_HOST_CALL
#endif

namespace pipewell {
namespace {

HostResolver g_resolver = nullptr;

// One cached entry. A nil result is not remembered, so a host that adds an
// entry later is still found at the next use.
struct Entry {
  const char* name;
  void* address;
};

enum EntryId {
  kRegisterClass,
  kVersion,
  kBuildString,
  kLockString,
  kUnlockString,
  kCString,
  kEventInstance,
  kFontEncoding,
  kConvertString,
  kEntryCount
};

Entry g_entries[kEntryCount] = {
    {"PluginRegisterClass", nullptr}, {"REALGetRBVersion", nullptr},
    {"REALBuildString", nullptr},     {"REALLockString", nullptr},
    {"REALUnlockString", nullptr},    {"StringGetCString", nullptr},
    {"GetEventInstance", nullptr},    {"REALGetFontEncoding", nullptr},
    {"REALConvertString", nullptr},
};

void* Lookup(EntryId id) {
  Entry& e = g_entries[id];
  if (e.address == nullptr) e.address = HostLookupNow(e.name);
  return e.address;
}

template <typename Fn>
Fn LookupAs(EntryId id) {
  return reinterpret_cast<Fn>(Lookup(id));
}

}  // namespace

void HostSetResolver(HostResolver resolver) {
  g_resolver = resolver;
  for (Entry& e : g_entries) e.address = nullptr;
}

PIPEWELL_HOST_CALL
void* HostLookupNow(const char* name) {
  if (g_resolver == nullptr) return nullptr;
  return g_resolver(name);
}

PIPEWELL_HOST_CALL
void HostRegisterPluginVersion(int version) {
  auto fn = reinterpret_cast<void (*)(int)>(HostLookupNow("RegisterPluginVersion"));
  if (fn != nullptr) fn(version);
}

PIPEWELL_HOST_CALL
bool HostRegisterClassRecord(void* record) {
  auto fn = LookupAs<void (*)(void*)>(kRegisterClass);
  if (fn == nullptr) return false;
  fn(record);
  return true;
}

PIPEWELL_HOST_CALL
double HostVersion() {
  auto fn = LookupAs<double (*)()>(kVersion);
  return fn != nullptr ? fn() : 0.0;
}

PIPEWELL_HOST_CALL
HostString HostBuildString(const char* bytes, int length) {
  auto fn = LookupAs<HostString (*)(const char*, int)>(kBuildString);
  return fn != nullptr ? fn(bytes, length) : nullptr;
}

PIPEWELL_HOST_CALL
void HostLockString(HostString s) {
  if (s == nullptr) return;
  auto fn = LookupAs<void (*)(HostString)>(kLockString);
  if (fn != nullptr) fn(s);
}

PIPEWELL_HOST_CALL
void HostUnlockString(HostString s) {
  if (s == nullptr) return;
  auto fn = LookupAs<void (*)(HostString)>(kUnlockString);
  if (fn != nullptr) fn(s);
}

PIPEWELL_HOST_CALL
const char* HostCString(HostString s) {
  if (s == nullptr) return nullptr;
  auto fn = LookupAs<const char* (*)(HostString)>(kCString);
  return fn != nullptr ? fn(s) : nullptr;
}

uint32_t HostStringLength(HostString s) {
  if (s == nullptr) return 0;
  // The host keeps the byte count as a 32-bit word at offset 12 of its
  // string record; memcpy avoids assuming the record's alignment.
  uint32_t length = 0;
  std::memcpy(&length, static_cast<const char*>(s) + 12, sizeof length);
  return length;
}

PIPEWELL_HOST_CALL
EventHandler HostEventHandler(void* instance, uintptr_t eventWord) {
  auto fn = LookupAs<void* (*)(void*, uintptr_t)>(kEventInstance);
  if (fn == nullptr) return nullptr;
  return reinterpret_cast<EventHandler>(fn(instance, eventWord));
}

PIPEWELL_HOST_CALL
uint32_t HostFontEncoding(const char* font) {
  auto fn = LookupAs<uint32_t (*)(const char*)>(kFontEncoding);
  return fn != nullptr ? fn(font) : 0;
}

PIPEWELL_HOST_CALL
HostString HostConvertString(HostString s, uint32_t encoding) {
  auto fn = LookupAs<HostString (*)(HostString, uint32_t)>(kConvertString);
  return fn != nullptr ? fn(s, encoding) : nullptr;
}

}  // namespace pipewell
