// The line end of the lines Florrin writes into its files.
//
// Catalogue files are read the same way on every system (a CR directly
// before a LF belongs to the line end), so one catalogue serves Windows and
// Linux alike; only the lines a run writes differ: they end the way the
// system's own text files do.
#ifndef FLORRIN_SMDB_LINE_END_H_
#define FLORRIN_SMDB_LINE_END_H_

// "\r\n" on Windows (what the system's text-mode streams write for "\n",
// and what Windows programs reading the catalogue expect), "\n" elsewhere.
#ifdef _WIN32
inline constexpr char kLineEnd[] = "\r\n";
#else
inline constexpr char kLineEnd[] = "\n";
#endif

#endif  // FLORRIN_SMDB_LINE_END_H_
