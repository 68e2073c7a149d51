#include "failing_allocations.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Every block starts with a header that keeps its size and where the C
// library's block begins (an over-aligned block lies further in), so that
// delete knows what it gives back. The blocks themselves come from malloc,
// which a sanitizer still watches.
struct Header {
  size_t size;
  void* base;
};
constexpr size_t kHeader = 16;  // keeps malloc's alignment for the block
static_assert(sizeof(Header) <= kHeader, "the header fits its room");

std::atomic<int64_t> g_iFailAt{0};   // the allocation number that fails; 0: none
std::atomic<int64_t> g_iCount{0};    // allocations since FailAllocationNumber
std::atomic<int64_t> g_iBudget{-1};  // bytes beyond g_iBudgetBase; -1: any
std::atomic<int64_t> g_iBudgetBase{0};
std::atomic<bool> g_bFailed{false};
std::atomic<int64_t> g_iInUse{0};    // bytes allocated and not yet given back
std::atomic<int64_t> g_iPeak{0};
std::atomic<int64_t> g_iPeakBase{0};

bool MustFail(size_t n) {
  if (g_iFailAt.load() > 0 && ++g_iCount == g_iFailAt.load()) {
    g_bFailed = true;
    return true;
  }
  const int64_t iBudget = g_iBudget.load();
  if (iBudget >= 0 &&
      g_iInUse.load() - g_iBudgetBase.load() + static_cast<int64_t>(n) > iBudget) {
    g_bFailed = true;
    return true;
  }
  return false;
}

void Counted(int64_t iBytes) {
  const int64_t iNow = g_iInUse += iBytes;
  int64_t iPeak = g_iPeak.load();
  while (iNow > iPeak && !g_iPeak.compare_exchange_weak(iPeak, iNow)) {
  }
}

// `n` bytes aligned to `align` (a power of two), or null when the test wants
// a failure here or the C library has no memory.
void* Allocate(size_t n, size_t align) {
  if (MustFail(n)) return nullptr;
  const size_t iExtra = kHeader + (align > kHeader ? align : 0);
  if (n > SIZE_MAX - iExtra) return nullptr;
  char* base = static_cast<char*>(std::malloc(n + iExtra));
  if (base == nullptr) return nullptr;
  uintptr_t at = reinterpret_cast<uintptr_t>(base) + kHeader;
  if (align > kHeader) at = (at + align - 1) & ~(uintptr_t{align} - 1);
  char* p = reinterpret_cast<char*>(at);
  Header* h = reinterpret_cast<Header*>(p - kHeader);
  h->size = n;
  h->base = base;
  Counted(static_cast<int64_t>(n));
  return p;
}

void Free(void* p) {
  if (p == nullptr) return;
  const Header* h =
      reinterpret_cast<const Header*>(static_cast<char*>(p) - kHeader);
  Counted(-static_cast<int64_t>(h->size));
  std::free(h->base);
}

void* AllocateOrThrow(size_t n, size_t align) {
  void* p = Allocate(n, align);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void FailAllocationNumber(int64_t n) {
  g_iCount = 0;
  g_bFailed = false;
  g_iFailAt = n;
}

void FailAllocationsBeyond(int64_t iBytes) {
  g_bFailed = false;
  g_iBudgetBase = g_iInUse.load();
  g_iBudget = iBytes;
}

bool AllocationFailed() { return g_bFailed; }

void StartAllocationPeak() {
  g_iPeakBase = g_iInUse.load();
  g_iPeak = g_iInUse.load();
}

int64_t PeakAllocation() {
  return std::max<int64_t>(0, g_iPeak.load() - g_iPeakBase.load());
}

void StopFailingAllocations() {
  g_iFailAt = 0;
  g_iBudget = -1;
}

// The replaced forms: plain, array, non-throwing, sized and over-aligned.
void* operator new(size_t n) { return AllocateOrThrow(n, 0); }
void* operator new[](size_t n) { return AllocateOrThrow(n, 0); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n, 0);
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n, 0);
}
void* operator new(size_t n, std::align_val_t al) {
  return AllocateOrThrow(n, static_cast<size_t>(al));
}
void* operator new[](size_t n, std::align_val_t al) {
  return AllocateOrThrow(n, static_cast<size_t>(al));
}
void* operator new(size_t n, std::align_val_t al,
                   const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<size_t>(al));
}
void* operator new[](size_t n, std::align_val_t al,
                     const std::nothrow_t&) noexcept {
  return Allocate(n, static_cast<size_t>(al));
}

void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t,
                     const std::nothrow_t&) noexcept {
  Free(p);
}
void operator delete[](void* p, std::align_val_t,
                       const std::nothrow_t&) noexcept {
  Free(p);
}
