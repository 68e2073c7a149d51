// POSIX systems: arguments, catalogue and service all use UTF-8.
#include "service-text.h"

sString CatalogueText(const sString& sUtf8) { return sUtf8; }

sString ServiceWords(const sString& sArg) { return sArg; }
