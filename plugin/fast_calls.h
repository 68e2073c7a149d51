#ifndef PIPEWELL_FAST_CALLS_H_
#define PIPEWELL_FAST_CALLS_H_

#include <cstddef>

// The POSIX files' calls that some systems do faster than POSIX alone
// allows: the faster calls where CMake's check finds them all, the
// portable ones elsewhere.

namespace pipewell {

// A pipe whose two ends close on exec; false on failure, nothing open.
bool OpenCloexecPipe(int fds[2]);

// Asks for a pipe buffer of about `bytes`; a system that cannot is left as
// it is.
void EnlargePipe(int fd, int bytes);

// Grows a block mapped with mmap to `newSize`, keeping its first `oldSize`
// bytes. Returns the new address, or null with the old block left as it was.
void* RemapPages(void* block, size_t oldSize, size_t newSize);

// Lets the system take back the pages of a mapped block whenever it needs
// memory, while the block stays usable: its bytes become undefined.
void ReleasePages(void* block, size_t size);

}  // namespace pipewell

#endif  // PIPEWELL_FAST_CALLS_H_
