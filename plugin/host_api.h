#ifndef PIPEWELL_HOST_API_H_
#define PIPEWELL_HOST_API_H_

#include <cstddef>
#include <cstdint>

// The host's side of the plug-in boundary: the resolver handed to
// REALPluginMain, lazily looked-up entries and the host string helpers.
// Every helper tolerates a missing entry: the call is skipped and yields
// nil, 0 or 0.0 as its type suggests.

namespace pipewell {

// A host string: an opaque reference-counted record owned by the host.
// nil (nullptr) is a valid value and reads as the empty string.
using HostString = void*;

// Resolver handed out by the host: entry name in, entry address (or nil) out.
using HostResolver = void* (*)(const char* name);

// Stores the resolver for the rest of the process and forgets every cached
// entry, so a later call looks each entry up again through this resolver.
void HostSetResolver(HostResolver resolver);

// Looks up `name` through the stored resolver without caching; nil when no
// resolver is stored or the host has no such entry.
void* HostLookupNow(const char* name);

// "RegisterPluginVersion": looked up afresh and called with `version` when
// present.
void HostRegisterPluginVersion(int version);

// "PluginRegisterClass": hands a class record to the host. Returns false
// when the entry is missing.
bool HostRegisterClassRecord(void* record);

// "REALGetRBVersion": the host version, 0.0 when the entry is missing.
double HostVersion();

// "REALBuildString": a new host string holding exactly `length` bytes of
// `bytes`; the caller owns one reference. nil when the entry is missing.
HostString HostBuildString(const char* bytes, int length);

// "REALLockString" / "REALUnlockString": add or drop one reference. Both
// ignore nil.
void HostLockString(HostString s);
void HostUnlockString(HostString s);

// "StringGetCString": the zero-terminated bytes of `s`, or nullptr when `s`
// is nil or the entry is missing.
const char* HostCString(HostString s);

// Byte length of `s`, read from the host's string record; 0 for nil.
uint32_t HostStringLength(HostString s);

// "GetEventInstance": the handler installed on `instance` for the event
// named by `eventWord`, or nil.
using EventHandler = void (*)(void* instance);
EventHandler HostEventHandler(void* instance, uintptr_t eventWord);

// "REALGetFontEncoding": encoding of the named font; 0 when missing.
uint32_t HostFontEncoding(const char* font);

// "REALConvertString": a new string (one reference owned by the caller)
// holding `s` in `encoding`; nil when the entry is missing.
HostString HostConvertString(HostString s, uint32_t encoding);

}  // namespace pipewell

#endif  // PIPEWELL_HOST_API_H_
