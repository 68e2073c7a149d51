#include "support/eol.h"

const char kEol[] = "\r\n";
