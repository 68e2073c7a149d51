// CatalogueLock: keeps concurrent runs from changing the catalogue, or
// writing its scratch and working files, at the same time.
//
// An exclusive lock on a small lock file, held for the object's lifetime.
// The constructor waits until every other holder has let go. The lock file
// is opened for reading and writing, created where missing; where the user
// may only read it (another user's lock file, say) it is opened read-only,
// which locks all the same. Where it cannot be opened at all, or is no
// regular file (a folder, a pipe), the lock is not held, and a caller must
// not go on to change anything. The lock file is opened without waiting, so
// a pipe in its place cannot hold the run. The platform parts live in
// catalogue-lock_<platform>.cpp.
#ifndef FLORRIN_APP_CATALOGUE_LOCK_H_
#define FLORRIN_APP_CATALOGUE_LOCK_H_

#include "lmr.h"

class CatalogueLock {
 public:
  // Opens `sLockFile` (creating it when missing) and waits for an exclusive
  // lock on it.
  explicit CatalogueLock(const sString& sLockFile);
  // Releases the lock; the lock file stays.
  ~CatalogueLock();
  CatalogueLock(const CatalogueLock&) = delete;
  CatalogueLock& operator=(const CatalogueLock&) = delete;

  // True when the lock is held.
  bool held() const { return held_; }

 private:
  void* handle_;  // the platform's handle of the open lock file, or null
  bool held_;
};

#endif  // FLORRIN_APP_CATALOGUE_LOCK_H_
