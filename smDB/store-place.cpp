#include "store-place.h"

#include "file-identity.h"

bool BesideStoreFile(const sString& sFile, const sString& sName,
                     sString* pPath) {
  sString sTarget;
  if (!RewriteTarget(sFile, &sTarget)) return false;
  *pPath = Beside(sTarget, sName);
  return true;
}
