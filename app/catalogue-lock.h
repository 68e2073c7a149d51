// CatalogueLock: keeps concurrent runs in one folder from changing the
// catalogue, or its scratch files, at the same time.
//
// An exclusive lock on a small lock file beside the catalogue, held for the
// object's lifetime. The constructor waits until every other holder has let
// go. Locking is best effort: when the lock file cannot be created or locked
// the run goes on unlocked, silently (Florrin never prints a diagnostic).
// The platform parts live in catalogue-lock_<platform>.cpp.
#ifndef FLORRIN_APP_CATALOGUE_LOCK_H_
#define FLORRIN_APP_CATALOGUE_LOCK_H_

#include "lmr.h"

class CatalogueLock {
 public:
  // Creates `sLockFile` when missing and waits for an exclusive lock on it.
  explicit CatalogueLock(const sString& sLockFile);
  // Releases the lock; the lock file stays.
  ~CatalogueLock();
  CatalogueLock(const CatalogueLock&) = delete;
  CatalogueLock& operator=(const CatalogueLock&) = delete;

  // True when the lock is held (false when the run goes on unlocked).
  bool held() const { return held_; }

 private:
  void* handle_;  // the platform's handle of the open lock file, or null
  bool held_;
};

#endif  // FLORRIN_APP_CATALOGUE_LOCK_H_
