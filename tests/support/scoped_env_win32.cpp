#include "support/scoped_env.h"

#include <windows.h>

#include <cstdlib>

namespace {

// Both the C runtime's copy and the system's, which children inherit; null
// removes the variable from both.
void Set(const std::string& name, const char* value) {
  _putenv_s(name.c_str(), value == nullptr ? "" : value);
  SetEnvironmentVariableA(name.c_str(), value);
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_ = old != nullptr;
  if (had_) old_ = old;
  Set(name_, value);
}

ScopedEnv::~ScopedEnv() { Set(name_, had_ ? old_.c_str() : nullptr); }
