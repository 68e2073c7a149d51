#include "line-end.h"

const char kLineEnd[] = "\n";
