#ifndef RBHOST_RBHOST_H_
#define RBHOST_RBHOST_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A stand-in for the REALbasic runtime as a plug-in sees it: the resolver
// with its entries, reference-counted host strings, class registration and
// instances whose properties, methods and events are reached through the
// registered records. For tests and for the command-line client; main
// thread only.

namespace rbhost {

// Host string record. The plug-in reads `length` at byte offset 12.
struct StringRecord {
  int32_t refs;
  uint32_t capacity;
  uint32_t encoding;
  uint32_t length;
  char bytes[1];  // `length` bytes, then a zero
};
using String = StringRecord*;

// The resolver handed to REALPluginMain: entry address by name, or nil for
// an unknown or removed entry.
void* Resolve(const char* name);

// Forgets registered classes and event handlers, restores every entry and
// sets the version back to the default. Strings and instances are kept.
void Reset();

// Version reported by "REALGetRBVersion" (default 2008.0).
void SetVersion(double version);

// Makes the resolver answer nil for `name` until the next Reset.
void RemoveEntry(const char* name);

// Last value passed to "RegisterPluginVersion", or -1 when never called
// since Reset.
int PluginVersion();

// Encoding reported for the font "System", and the number of times
// "REALGetFontEncoding" was asked.
constexpr uint32_t kSystemEncoding = 0x0600;
int FontEncodingCalls();

// --- Strings -------------------------------------------------------------

// A new string holding `bytes`; the caller owns one reference.
String NewString(const std::string& bytes);

// Drops one reference (nil is ignored).
void Release(String s);

// The bytes of `s`; "" for nil.
std::string Bytes(String s);

// Strings allocated and not yet freed.
long LiveStrings();

// Unlocks of strings that were not alive: a plug-in releasing what it did
// not own.
long StringMisuses();

// --- Classes -------------------------------------------------------------

// Names of the registered classes, in registration order.
std::vector<std::string> ClassNames();

// The registered record of `className` as its words, or nullptr.
const uintptr_t* ClassWords(const std::string& className);

// Host version in force when `className` was registered.
double VersionAtRegistration(const std::string& className);

// Offset of the plug-in data inside every instance (the system word the
// host writes at registration).
constexpr uintptr_t kInstanceHeader = 32;

// --- Instances -----------------------------------------------------------

// A new instance of `className` with its constructor run, or nullptr when
// the class is unknown.
void* NewInstance(const std::string& className);

// Runs the destructor and frees the instance.
void DeleteInstance(void* instance);

// While on, new instances get pages of their own that DeleteInstance makes
// inaccessible and never hands out again, so a plug-in touching a freed
// instance faults at once instead of reading stale or reused memory. Off by
// default; instances keep the kind of memory they were made with.
void SetGuardedInstances(bool on);

// While on, DeleteInstance keeps the memory of each plain (unguarded)
// instance it frees, and the next NewInstance of a class of the same size
// gets that address back, zeroed, as a host's allocator may well do. Off by
// default; turning it off frees what was kept.
void SetReusedInstances(bool on);

// A pointer of the caller's choice kept with the instance.
void SetUserData(void* instance, void* user);
void* UserData(void* instance);

// Property access through the registered property entries. Getter or setter
// slots of -1 read or write the data field at the entry's parameter offset;
// otherwise the plug-in function is called. Set* returns false for a
// property that has no setter or does not exist.
int32_t GetInteger(void* instance, const std::string& property);
bool GetBoolean(void* instance, const std::string& property);
std::string GetString(void* instance, const std::string& property,
                      bool* isNil = nullptr);
bool SetInteger(void* instance, const std::string& property, int32_t value);

// Installs `handler` for the event declared as `declaration` (for example
// "Completed()") on this instance; nullptr removes it. False when the class
// has no such event.
using EventHandler = void (*)(void* instance);
bool SetEventHandler(void* instance, const std::string& declaration,
                     EventHandler handler);

// Method calls by declaration. String arguments are built for the call and
// released after it; a returned string is copied and released. Each returns
// false when the class has no such method.
bool Call(void* instance, const std::string& declaration);
bool Call(void* instance, const std::string& declaration,
          const std::string& arg);
bool Call(void* instance, const std::string& declaration,
          const std::string& arg1, const std::string& arg2);
bool CallReturningString(void* instance, const std::string& declaration,
                         std::string* out);

// --- Event loop ----------------------------------------------------------

// One turn of the host's event loop, as a REALbasic program's main thread
// runs it while it waits: dispatches what is due and then waits until more
// may be due, at most `maxMs` milliseconds. `dispatchTimers` is the plug-in's
// PipewellDispatchTimers export; on systems whose timers are window timers
// the turn also pumps this thread's messages.
void RunEventLoopOnce(int (*dispatchTimers)(), int maxMs);

}  // namespace rbhost

#endif  // RBHOST_RBHOST_H_
