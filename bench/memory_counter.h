// Counts the bytes held through operator new, to report the peak a piece of work needs. Include
// in exactly one translation unit of a benchmark binary: it replaces the global operators.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace tessel::bench {

struct MemoryCounter {
  static inline std::atomic<std::size_t> current{0}, peak{0};
  // Starts a measurement: the peak from here on, above what is held now.
  static std::size_t reset() {
    peak = current.load();
    return current.load();
  }
  static void add(std::size_t n) {
    std::size_t now = current += n;
    for (std::size_t p = peak.load(); now > p && !peak.compare_exchange_weak(p, now);) {
    }
  }
};

}  // namespace tessel::bench

// The size is kept in a header before each block, so delete knows what to subtract.
inline void* countedAlloc(std::size_t n) {
  void* p = std::malloc(n + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<std::size_t*>(p) = n;
  tessel::bench::MemoryCounter::add(n);
  return static_cast<char*>(p) + 16;
}
inline void countedFree(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - 16;
  tessel::bench::MemoryCounter::current -= *reinterpret_cast<std::size_t*>(base);
  std::free(base);
}

void* operator new(std::size_t n) { return countedAlloc(n); }
void* operator new[](std::size_t n) { return countedAlloc(n); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
