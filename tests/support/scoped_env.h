// An environment variable changed for one test's lifetime, in the form the
// programs a test starts inherit.
#ifndef FLORRIN_TESTS_SUPPORT_SCOPED_ENV_H_
#define FLORRIN_TESTS_SUPPORT_SCOPED_ENV_H_

#include <string>

// Sets `name` to `value` (a null `value` removes it) and puts the old value,
// or its absence, back when the object goes away
// (scoped_env_<platform>.cpp).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ScopedEnv(const char* name, const std::string& value)
      : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

#endif  // FLORRIN_TESTS_SUPPORT_SCOPED_ENV_H_
