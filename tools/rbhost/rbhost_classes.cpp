// Class registration, instances, and property / method / event access
// through the registered records.
#include "rbhost.h"
#include "rbhost_internal.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <vector>

// A host calls the plug-in's methods with its own ABI, not the C++ types the
// plug-in defines them with, so clang's function-type check is off for them.
#if defined(__clang__)
#define RBHOST_PLUGIN_CALL __attribute__((no_sanitize("function")))
#else
#define RBHOST_PLUGIN_CALL
#endif

namespace rbhost {
namespace {

// Slots of a class record.
enum ClassSlot {
  kVersion = 0,
  kName = 1,
  kDataSize = 3,
  kSystemWord = 4,
  kConstructor = 5,
  kDestructor = 6,
  kProperties = 7,
  kPropertyCount = 8,
  kMethods = 9,
  kMethodCount = 10,
  kEvents = 11,
  kEventCount = 12,
};
constexpr int kPropertyWords = 10;
constexpr int kEventWords = 2;
constexpr uintptr_t kDirect = static_cast<uintptr_t>(-1);

struct Registered {
  std::string name;
  uintptr_t* record;
  double version;
};

struct InstanceHeader {
  const Registered* cls;
  void* user;
  bool guarded;  // on pages of its own (SetGuardedInstances)
};
static_assert(sizeof(InstanceHeader) <= kInstanceHeader, "header fits");

// A deque, so that instances may keep pointers to their class entry.
std::deque<Registered>& Classes() {
  static auto* classes = new std::deque<Registered>();
  return *classes;
}

std::map<void*, std::map<uintptr_t, void*>>& Handlers() {
  static auto* handlers = new std::map<void*, std::map<uintptr_t, void*>>();
  return *handlers;
}

uintptr_t g_nextEventWord = 1;
bool g_guardInstances = false;
bool g_reuseInstances = false;

// Freed instance memory kept for reuse, by size, last freed first.
std::map<size_t, std::vector<void*>>& Kept() {
  static auto* kept = new std::map<size_t, std::vector<void*>>();
  return *kept;
}

void* AllocatePlain(size_t size) {
  std::vector<void*>& kept = Kept()[size];
  if (!g_reuseInstances || kept.empty()) return std::calloc(1, size);
  void* block = kept.back();
  kept.pop_back();
  std::memset(block, 0, size);
  return block;
}

void FreePlain(void* block, size_t size) {
  if (g_reuseInstances) {
    Kept()[size].push_back(block);
  } else {
    std::free(block);
  }
}

const char* Text(uintptr_t word) { return reinterpret_cast<const char*>(word); }

const Registered* Find(const std::string& name) {
  // The latest registration of a name wins, as a re-run plug-in would expect.
  for (auto it = Classes().rbegin(); it != Classes().rend(); ++it) {
    if (it->name == name) return &*it;
  }
  return nullptr;
}

const Registered* ClassOf(void* instance) {
  return static_cast<InstanceHeader*>(instance)->cls;
}

char* DataOf(void* instance) {
  return static_cast<char*>(instance) + ClassOf(instance)->record[kSystemWord];
}

const uintptr_t* FindProperty(void* instance, const std::string& name) {
  const uintptr_t* record = ClassOf(instance)->record;
  const auto* table = reinterpret_cast<const uintptr_t*>(record[kProperties]);
  for (uintptr_t i = 0; i < record[kPropertyCount]; ++i) {
    const uintptr_t* entry = table + i * kPropertyWords;
    if (name == Text(entry[1])) return entry;
  }
  return nullptr;
}

// Method entries are three words on hosts older than 5.9, four after.
uintptr_t FindMethod(void* instance, const std::string& declaration) {
  const Registered* cls = ClassOf(instance);
  const uintptr_t* record = cls->record;
  const auto* table = reinterpret_cast<const uintptr_t*>(record[kMethods]);
  const uintptr_t stride = cls->version < 5.9 ? 3 : 4;
  for (uintptr_t i = 0; i < record[kMethodCount]; ++i) {
    const uintptr_t* entry = table + i * stride;
    if (declaration == Text(entry[2])) return entry[0];
  }
  return 0;
}

template <typename Fn>
Fn As(uintptr_t word) {
  return reinterpret_cast<Fn>(word);
}

}  // namespace

void EntryRegisterClass(uintptr_t* record) {
  if (record == nullptr) return;
  record[kSystemWord] = kInstanceHeader;
  auto* events = reinterpret_cast<uintptr_t*>(record[kEvents]);
  for (uintptr_t i = 0; i < record[kEventCount]; ++i) {
    events[i * kEventWords + 1] = g_nextEventWord++;
  }
  Classes().push_back(Registered{Text(record[kName]), record, CurrentVersion()});
}

void* EntryGetEventInstance(void* instance, uintptr_t eventWord) {
  auto it = Handlers().find(instance);
  if (it == Handlers().end()) return nullptr;
  auto handler = it->second.find(eventWord);
  return handler == it->second.end() ? nullptr : handler->second;
}

void ResetClasses() {
  Classes().clear();
  Handlers().clear();
}

std::vector<std::string> ClassNames() {
  std::vector<std::string> names;
  for (const Registered& r : Classes()) names.push_back(r.name);
  return names;
}

const uintptr_t* ClassWords(const std::string& className) {
  const Registered* r = Find(className);
  return r != nullptr ? r->record : nullptr;
}

double VersionAtRegistration(const std::string& className) {
  const Registered* r = Find(className);
  return r != nullptr ? r->version : 0.0;
}

RBHOST_PLUGIN_CALL
void* NewInstance(const std::string& className) {
  const Registered* cls = Find(className);
  if (cls == nullptr) return nullptr;
  size_t size = kInstanceHeader + cls->record[kDataSize];
  void* instance =
      g_guardInstances ? AllocateGuarded(size) : AllocatePlain(size);
  if (instance == nullptr) return nullptr;
  static_cast<InstanceHeader*>(instance)->cls = cls;
  static_cast<InstanceHeader*>(instance)->guarded = g_guardInstances;
  if (cls->record[kConstructor] != 0) {
    As<void (*)(void*)>(cls->record[kConstructor])(instance);
  }
  return instance;
}

RBHOST_PLUGIN_CALL
void DeleteInstance(void* instance) {
  if (instance == nullptr) return;
  const Registered* cls = ClassOf(instance);
  if (cls->record[kDestructor] != 0) {
    As<void (*)(void*)>(cls->record[kDestructor])(instance);
  }
  Handlers().erase(instance);
  if (static_cast<InstanceHeader*>(instance)->guarded) {
    RetireGuarded(instance, kInstanceHeader + cls->record[kDataSize]);
  } else {
    FreePlain(instance, kInstanceHeader + cls->record[kDataSize]);
  }
}

void SetGuardedInstances(bool on) { g_guardInstances = on; }

void SetReusedInstances(bool on) {
  g_reuseInstances = on;
  if (on) return;
  for (auto& entry : Kept()) {
    for (void* block : entry.second) std::free(block);
  }
  Kept().clear();
}

void SetUserData(void* instance, void* user) {
  static_cast<InstanceHeader*>(instance)->user = user;
}

void* UserData(void* instance) {
  return static_cast<InstanceHeader*>(instance)->user;
}

RBHOST_PLUGIN_CALL
int32_t GetInteger(void* instance, const std::string& property) {
  const uintptr_t* entry = FindProperty(instance, property);
  if (entry == nullptr || entry[4] == 0) return 0;
  if (entry[4] != kDirect) {
    return As<int32_t (*)(void*, intptr_t)>(entry[4])(
        instance, static_cast<intptr_t>(entry[6]));
  }
  int32_t value = 0;
  std::memcpy(&value, DataOf(instance) + entry[6], sizeof value);
  return value;
}

RBHOST_PLUGIN_CALL
bool GetBoolean(void* instance, const std::string& property) {
  const uintptr_t* entry = FindProperty(instance, property);
  if (entry == nullptr || entry[4] == 0) return false;
  if (entry[4] != kDirect) {
    return As<bool (*)(void*, intptr_t)>(entry[4])(
        instance, static_cast<intptr_t>(entry[6]));
  }
  return *(DataOf(instance) + entry[6]) != 0;
}

RBHOST_PLUGIN_CALL
std::string GetString(void* instance, const std::string& property,
                      bool* isNil) {
  const uintptr_t* entry = FindProperty(instance, property);
  String s = nullptr;
  if (entry != nullptr && entry[4] == kDirect) {
    std::memcpy(&s, DataOf(instance) + entry[6], sizeof s);
    std::string bytes = Bytes(s);
    if (isNil != nullptr) *isNil = (s == nullptr);
    return bytes;
  }
  if (entry != nullptr && entry[4] != 0) {
    s = As<String (*)(void*, intptr_t)>(entry[4])(
        instance, static_cast<intptr_t>(entry[6]));
  }
  if (isNil != nullptr) *isNil = (s == nullptr);
  std::string bytes = Bytes(s);
  Release(s);  // the getter handed us one reference
  return bytes;
}

RBHOST_PLUGIN_CALL
bool SetInteger(void* instance, const std::string& property, int32_t value) {
  const uintptr_t* entry = FindProperty(instance, property);
  if (entry == nullptr || entry[5] == 0) return false;
  if (entry[5] == kDirect) {
    std::memcpy(DataOf(instance) + entry[6], &value, sizeof value);
  } else {
    As<void (*)(void*, intptr_t, int32_t)>(entry[5])(
        instance, static_cast<intptr_t>(entry[6]), value);
  }
  return true;
}

bool SetEventHandler(void* instance, const std::string& declaration,
                     EventHandler handler) {
  const uintptr_t* record = ClassOf(instance)->record;
  const auto* events = reinterpret_cast<const uintptr_t*>(record[kEvents]);
  for (uintptr_t i = 0; i < record[kEventCount]; ++i) {
    const uintptr_t* entry = events + i * kEventWords;
    if (declaration != Text(entry[0])) continue;
    Handlers()[instance][entry[1]] = reinterpret_cast<void*>(handler);
    return true;
  }
  return false;
}

RBHOST_PLUGIN_CALL
bool Call(void* instance, const std::string& declaration) {
  uintptr_t fn = FindMethod(instance, declaration);
  if (fn == 0) return false;
  As<void (*)(void*)>(fn)(instance);
  return true;
}

RBHOST_PLUGIN_CALL
bool Call(void* instance, const std::string& declaration,
          const std::string& arg) {
  uintptr_t fn = FindMethod(instance, declaration);
  if (fn == 0) return false;
  String s = NewString(arg);
  As<void (*)(void*, String)>(fn)(instance, s);
  Release(s);
  return true;
}

RBHOST_PLUGIN_CALL
bool Call(void* instance, const std::string& declaration,
          const std::string& arg1, const std::string& arg2) {
  uintptr_t fn = FindMethod(instance, declaration);
  if (fn == 0) return false;
  String s1 = NewString(arg1);
  String s2 = NewString(arg2);
  As<void (*)(void*, String, String)>(fn)(instance, s1, s2);
  Release(s1);
  Release(s2);
  return true;
}

RBHOST_PLUGIN_CALL
bool CallReturningString(void* instance, const std::string& declaration,
                         std::string* out) {
  uintptr_t fn = FindMethod(instance, declaration);
  if (fn == 0) return false;
  String s = As<String (*)(void*)>(fn)(instance);
  *out = Bytes(s);
  Release(s);  // a returned string hands its reference to the host
  return true;
}

}  // namespace rbhost
