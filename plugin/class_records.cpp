#include "class_records.h"

#include <new>

#include "host_api.h"

namespace pipewell {

bool RegisterClassRecord(ClassRecord* record) {
  if (HostVersion() < kFourWordMethodsVersion && record->methodCount != 0) {
    // Older hosts walk the method table in steps of three words. The copy
    // is deliberately never freed: the host may keep pointing at it.
    const auto* source = reinterpret_cast<const MethodEntry*>(record->methods);
    auto* copy = new (std::nothrow) ShortMethodEntry[record->methodCount];
    if (copy == nullptr) return false;
    for (uintptr_t i = 0; i < record->methodCount; ++i) {
      copy[i].function = source[i].function;
      copy[i].setter = source[i].setter;
      copy[i].declaration = source[i].declaration;
    }
    record->methods = reinterpret_cast<uintptr_t>(copy);
  }
  return HostRegisterClassRecord(record);
}

}  // namespace pipewell
