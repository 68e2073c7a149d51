// Registration records of `Shell` and its two exception classes, and the
// library's two exports.
#include "class_records.h"
#include "os_process.h"
#include "plugin_exports.h"
#include "shell_data.h"
#include "shell_methods.h"

namespace pipewell {
namespace {

constexpr uintptr_t kRecordVersion = 8;
constexpr uintptr_t kWritable = 4;
constexpr uintptr_t kReadOnly = 6;
constexpr uintptr_t kMethodFlags = 4;

template <typename T>
uintptr_t Word(T* p) {
  return reinterpret_cast<uintptr_t>(p);
}

template <typename Fn>
uintptr_t FunctionWord(Fn fn) {
  return reinterpret_cast<uintptr_t>(fn);
}

PropertyEntry g_properties[6];
MethodEntry g_methods[7];
EventEntry g_events[2];
ClassRecord g_shellRecord;
ClassRecord g_notRunningRecord;
ClassRecord g_notAvailableRecord;

PropertyEntry Property(const char* name, const char* type, uintptr_t flags,
                       uintptr_t getter, uintptr_t setter,
                       uintptr_t parameter) {
  PropertyEntry e = {};
  e.name = Word(name);
  e.type = Word(type);
  e.flags = flags;
  e.getter = getter;
  e.setter = setter;
  e.parameter = parameter;
  return e;
}

MethodEntry Method(uintptr_t function, const char* declaration) {
  return MethodEntry{function, 0, Word(declaration), kMethodFlags};
}

// The properties as REALbasic code sees them:
//   ErrorCode  the outcome of the last Execute: the child's exit code; -1
//              when no child could be started, or watched by a timer
//              (Result "No shell available"), or its status could not be
//              read (Result nil); -2 when TimeOut ended a synchronous child
//              (Result "Shell timed out"); -3 when a synchronous child wrote
//              more than the longest host string, 2^31 - 1 bytes, or than
//              memory could keep (Result "Shell output too large", reported
//              once the child has exited; TimeOut still wins with -2); 0
//              while an asynchronous child runs, its exit code arriving
//              just before Completed.
//   TimeOut    the synchronous limit in ms (2000; -1 none).
//   Result     a synchronous child's whole output, or the texts above.
//   PID        the attached child's process handle, 0 when none.
//   Mode       0 synchronous, 1 and 2 asynchronous; fixed while running.
//   IsRunning  an asynchronous child is being watched.
//
// The records are rebuilt before every registration: the host writes into
// them, and an older host's method-table copy must start from the full
// table each time.
void FillShellRecord() {
  g_properties[0] = Property("ErrorCode", "Integer", kReadOnly, kDirectAccess,
                             0, offsetof(ShellData, ErrorCode));
  g_properties[1] = Property("TimeOut", "Integer", kWritable, kDirectAccess,
                             kDirectAccess, offsetof(ShellData, TimeOut));
  g_properties[2] = Property("Result", "String", kReadOnly,
                             FunctionWord(&ShellResultGetter), 0, 0);
  g_properties[3] = Property("PID", "Integer", kReadOnly, kDirectAccess, 0,
                             kProcessHandleOffset);
  g_properties[4] = Property("Mode", "Integer", kWritable, kDirectAccess,
                             FunctionWord(&ShellModeSetter),
                             offsetof(ShellData, Mode));
  g_properties[5] = Property("IsRunning", "Boolean", kReadOnly, kDirectAccess,
                             0, offsetof(ShellData, IsRunning));

  g_methods[0] = Method(FunctionWord(&ShellExecute),
                        "Execute(command as String)");
  g_methods[1] = Method(FunctionWord(&ShellExecuteWithParameters),
                        "Execute(command as String, parameters as String)");
  g_methods[2] = Method(FunctionWord(&ShellReadAll), "ReadAll() as String");
  g_methods[3] = Method(FunctionWord(&ShellWrite), "Write(s as String)");
  g_methods[4] = Method(FunctionWord(&ShellWriteLine), "WriteLine(s as String)");
  g_methods[5] = Method(FunctionWord(&ShellClose), "Close");
  g_methods[6] = Method(FunctionWord(&ShellPoll), "Poll");

  g_events[0] = EventEntry{Word("DataAvailable()"), 0};
  g_events[1] = EventEntry{Word("Completed()"), 0};

  g_shellRecord = ClassRecord{};
  g_shellRecord.version = kRecordVersion;
  g_shellRecord.name = Word("Shell");
  g_shellRecord.dataSize = sizeof(ShellData);
  g_shellRecord.constructor = FunctionWord(&ShellConstructor);
  g_shellRecord.destructor = FunctionWord(&ShellDestructor);
  g_shellRecord.properties = Word(g_properties);
  g_shellRecord.propertyCount = 6;
  g_shellRecord.methods = Word(g_methods);
  g_shellRecord.methodCount = 7;
  g_shellRecord.events = Word(g_events);
  g_shellRecord.eventCount = 2;
}

void FillExceptionRecord(ClassRecord* record, const char* name) {
  *record = ClassRecord{};
  record->version = kRecordVersion;
  record->name = Word(name);
  record->superName = Word("RuntimeException");
}

}  // namespace

ShellData* DataOf(void* instance) {
  return reinterpret_cast<ShellData*>(static_cast<char*>(instance) +
                                      g_shellRecord.systemWord);
}

void RegisterShellClasses() {
  FillShellRecord();
  FillExceptionRecord(&g_notRunningRecord, "ShellNotRunningException");
  FillExceptionRecord(&g_notAvailableRecord, "ShellNotAvailableException");
  g_shellRecord.flags |= kClassFlagPlugin;
  RegisterClassRecord(&g_notRunningRecord);
  RegisterClassRecord(&g_notAvailableRecord);
  RegisterClassRecord(&g_shellRecord);
  g_dataAvailableEvent = g_events[0].systemWord;
  g_completedEvent = g_events[1].systemWord;
}

}  // namespace pipewell

extern "C" PIPEWELL_EXPORT void REALPluginMain(void* (*resolver)(const char*)) {
  try {
    pipewell::HostSetResolver(resolver);
    pipewell::HostRegisterPluginVersion(8);
    pipewell::RegisterShellClasses();
  } catch (...) {
  }
}

extern "C" PIPEWELL_EXPORT int PipewellDispatchTimers(void) {
  try {
    return pipewell::OsDispatchTimers();
  } catch (...) {
    return -1;
  }
}
