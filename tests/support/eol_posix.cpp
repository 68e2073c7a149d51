#include "support/eol.h"

const char kEol[] = "\n";
