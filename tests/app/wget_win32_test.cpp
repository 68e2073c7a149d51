// The page fetcher's tests with a stand-in downloader on the PATH are
// POSIX-only so far (wget_posix_test.cpp puts a shell script there); the
// Windows build has none yet, and this file keeps the per-platform pair.
