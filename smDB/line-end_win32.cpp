#include "line-end.h"

// What the system's text-mode streams write for "\n", and what Windows
// programs reading the catalogue expect.
const char kLineEnd[] = "\r\n";
