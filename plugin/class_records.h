#ifndef PIPEWELL_CLASS_RECORDS_H_
#define PIPEWELL_CLASS_RECORDS_H_

#include <cstdint>

// Registration records handed to the host. Every slot is one pointer-sized
// word, so a 32-bit build has exactly the host's 32-bit layout.

namespace pipewell {

// Getter or setter slot value asking the host to access the field at the
// parameter offset directly.
constexpr uintptr_t kDirectAccess = static_cast<uintptr_t>(-1);

// Flag or-ed into a class record's flags word before registration.
constexpr uintptr_t kClassFlagPlugin = 4;

struct PropertyEntry {
  uintptr_t group;      // nil
  uintptr_t name;       // const char*
  uintptr_t type;       // const char*
  uintptr_t flags;      // 4 writable, 6 read-only
  uintptr_t getter;     // function, kDirectAccess or 0
  uintptr_t setter;     // function, kDirectAccess or 0
  uintptr_t parameter;  // field offset inside the instance data, or a value
  uintptr_t reserved[3];
};

struct MethodEntry {
  uintptr_t function;
  uintptr_t setter;       // nil
  uintptr_t declaration;  // const char*
  uintptr_t flags;
};

// The shape older hosts expect: the flags word dropped.
struct ShortMethodEntry {
  uintptr_t function;
  uintptr_t setter;
  uintptr_t declaration;
};

struct EventEntry {
  uintptr_t declaration;  // const char*
  uintptr_t systemWord;   // written by the host at registration
};

struct ClassRecord {
  uintptr_t version;
  uintptr_t name;
  uintptr_t superName;
  uintptr_t dataSize;
  uintptr_t systemWord;  // data offset inside an instance, written by the host
  uintptr_t constructor;
  uintptr_t destructor;
  uintptr_t properties;
  uintptr_t propertyCount;
  uintptr_t methods;
  uintptr_t methodCount;
  uintptr_t events;
  uintptr_t eventCount;
  uintptr_t otherTables[7];
  uintptr_t flags;
};

static_assert(sizeof(PropertyEntry) == 10 * sizeof(uintptr_t), "10 slots");
static_assert(sizeof(MethodEntry) == 4 * sizeof(uintptr_t), "4 slots");
static_assert(sizeof(ShortMethodEntry) == 3 * sizeof(uintptr_t), "3 slots");
static_assert(sizeof(EventEntry) == 2 * sizeof(uintptr_t), "2 slots");
static_assert(sizeof(ClassRecord) == 21 * sizeof(uintptr_t), "21 slots");

// Host versions below this one expect three-word method entries.
constexpr double kFourWordMethodsVersion = 5.9;

// Registers `record` with the host. On a host older than
// kFourWordMethodsVersion (or one that does not report its version) the
// record's method table is first replaced by a three-word copy that lives
// for the rest of the process. Returns false when the host lacks
// "PluginRegisterClass".
bool RegisterClassRecord(ClassRecord* record);

// Registers the two exception classes and then `Shell`.
void RegisterShellClasses();

}  // namespace pipewell

#endif  // PIPEWELL_CLASS_RECORDS_H_
