// Registration records and the version gate.
#include <set>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

using Words = const uintptr_t*;

const char* Text(uintptr_t word) { return reinterpret_cast<const char*>(word); }

class RegistrationTest : public PluginTest {
 protected:
  Words Shell() { return rbhost::ClassWords("Shell"); }
  Words Property(int i) {
    return reinterpret_cast<Words>(Shell()[7]) + i * 10;
  }
  Words Event(int i) { return reinterpret_cast<Words>(Shell()[11]) + i * 2; }
};

TEST_F(RegistrationTest, RegistersVersionAndThreeClassesInOrder) {
  EXPECT_EQ(rbhost::PluginVersion(), 8);
  std::vector<std::string> expected = {"ShellNotRunningException",
                                       "ShellNotAvailableException", "Shell"};
  EXPECT_EQ(rbhost::ClassNames(), expected);
}

TEST_F(RegistrationTest, ExceptionClassesAreBareRuntimeExceptions) {
  for (const char* name :
       {"ShellNotRunningException", "ShellNotAvailableException"}) {
    Words w = rbhost::ClassWords(name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w[0], 8u);
    EXPECT_STREQ(Text(w[2]), "RuntimeException");
    for (int slot = 3; slot < 21; ++slot) {
      if (slot == 4) continue;  // system word, written by the host
      EXPECT_EQ(w[slot], 0u) << name << " slot " << slot;
    }
  }
}

TEST_F(RegistrationTest, ShellRecordSlots) {
  Words w = Shell();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w[0], 8u);
  EXPECT_EQ(w[2], 0u);
  EXPECT_GE(w[3], 4 * 4u + 5 * sizeof(void*));  // ShellData size
  EXPECT_EQ(w[4], rbhost::kInstanceHeader);
  EXPECT_NE(w[5], 0u);
  EXPECT_NE(w[6], 0u);
  EXPECT_EQ(w[8], 6u);
  EXPECT_EQ(w[10], 7u);
  EXPECT_EQ(w[12], 2u);
  for (int slot = 13; slot < 20; ++slot) EXPECT_EQ(w[slot], 0u);
  EXPECT_EQ(w[20], 4u);
}

TEST_F(RegistrationTest, PropertyTable) {
  const uintptr_t kDirect = static_cast<uintptr_t>(-1);
  struct Row {
    const char* name;
    const char* type;
    uintptr_t flags;
    bool directGet;
    int setter;  // 0 none, 1 direct, 2 function
  } rows[] = {{"ErrorCode", "Integer", 6, true, 0}, {"TimeOut", "Integer", 4, true, 1},
              {"Result", "String", 6, false, 0},    {"PID", "Integer", 6, true, 0},
              {"Mode", "Integer", 4, true, 2},      {"IsRunning", "Boolean", 6, true, 0}};
  std::set<uintptr_t> offsets;
  for (int i = 0; i < 6; ++i) {
    Words p = Property(i);
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(p[0], 0u);
    EXPECT_STREQ(Text(p[1]), rows[i].name);
    EXPECT_STREQ(Text(p[2]), rows[i].type);
    EXPECT_EQ(p[3], rows[i].flags);
    EXPECT_EQ(p[4] == kDirect, rows[i].directGet);
    EXPECT_NE(p[4], 0u);
    EXPECT_EQ(p[5] == 0, rows[i].setter == 0);
    EXPECT_EQ(p[5] == kDirect, rows[i].setter == 1);
    EXPECT_EQ(p[7] | p[8] | p[9], 0u);
    if (rows[i].directGet) offsets.insert(p[6]);
  }
  std::set<uintptr_t> expected = {0, 4, 8, 12, 24};
  if (sizeof(void*) == 4) expected = {0, 4, 8, 12, 20};
  EXPECT_EQ(offsets, expected);
}

TEST_F(RegistrationTest, MethodAndEventTables) {
  Words methods = reinterpret_cast<Words>(Shell()[9]);
  const char* decls[] = {"Execute(command as String)",
                         "Execute(command as String, parameters as String)",
                         "ReadAll() as String", "Write(s as String)",
                         "WriteLine(s as String)", "Close", "Poll"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_NE(methods[i * 4], 0u);
    EXPECT_EQ(methods[i * 4 + 1], 0u);
    EXPECT_STREQ(Text(methods[i * 4 + 2]), decls[i]);
    EXPECT_EQ(methods[i * 4 + 3], 4u);
  }
  EXPECT_STREQ(Text(Event(0)[0]), "DataAvailable()");
  EXPECT_STREQ(Text(Event(1)[0]), "Completed()");
  EXPECT_NE(Event(0)[1], 0u);
  EXPECT_NE(Event(0)[1], Event(1)[1]);
}

TEST_F(RegistrationTest, OldHostGetsThreeWordMethodTable) {
  rbhost::Reset();
  rbhost::SetVersion(5.5);
  Plugin().main(&rbhost::Resolve);
  Words methods = reinterpret_cast<Words>(Shell()[9]);
  for (int i = 0; i < 7; ++i) EXPECT_NE(Text(methods[i * 3 + 2]), nullptr);
  EXPECT_STREQ(Text(methods[6 * 3 + 2]), "Poll");
  // The host, walking three words per entry, reaches working methods.
  void* shell = NewShell();
  Execute(shell, Child("out:old"));
  EXPECT_EQ(Result(shell), "old");
}

TEST_F(RegistrationTest, HostAtGateVersionKeepsFourWords) {
  rbhost::Reset();
  rbhost::SetVersion(5.9);
  Plugin().main(&rbhost::Resolve);
  Words methods = reinterpret_cast<Words>(Shell()[9]);
  EXPECT_STREQ(Text(methods[6 * 4 + 2]), "Poll");
  EXPECT_EQ(methods[6 * 4 + 3], 4u);
}

TEST_F(RegistrationTest, ConstructorDefaults) {
  void* shell = NewShell();
  EXPECT_EQ(ErrorCode(shell), 0);
  EXPECT_EQ(rbhost::GetInteger(shell, "TimeOut"), 2000);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 0);
  EXPECT_FALSE(IsRunning(shell));
  EXPECT_EQ(Pid(shell), 0);
  bool nil = false;
  EXPECT_EQ(Result(shell, &nil), "");
  EXPECT_TRUE(nil);
}

TEST_F(RegistrationTest, ReadOnlyPropertiesRefuseAssignment) {
  void* shell = NewShell();
  EXPECT_FALSE(rbhost::SetInteger(shell, "ErrorCode", 5));
  EXPECT_FALSE(rbhost::SetInteger(shell, "PID", 5));
  EXPECT_TRUE(rbhost::SetInteger(shell, "TimeOut", 5));
  EXPECT_EQ(rbhost::GetInteger(shell, "TimeOut"), 5);
}

// --- Error paths ---------------------------------------------------------

TEST_F(RegistrationTest, HostWithoutVersionEntryStillRegisters) {
  rbhost::Reset();
  rbhost::RemoveEntry("RegisterPluginVersion");
  rbhost::RemoveEntry("REALGetRBVersion");
  Plugin().main(&rbhost::Resolve);
  EXPECT_EQ(rbhost::PluginVersion(), -1);
  // A missing version reads as 0.0: below the gate, three-word entries.
  Words methods = reinterpret_cast<Words>(Shell()[9]);
  EXPECT_STREQ(Text(methods[1 * 3 + 2]),
               "Execute(command as String, parameters as String)");
}

TEST_F(RegistrationTest, HostWithoutRegisterClassRegistersNothing) {
  rbhost::Reset();
  rbhost::RemoveEntry("PluginRegisterClass");
  Plugin().main(&rbhost::Resolve);
  EXPECT_TRUE(rbhost::ClassNames().empty());
}

}  // namespace
}  // namespace pwtest
