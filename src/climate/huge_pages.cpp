#include "huge_pages.hpp"

#include <cstdint>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace littoral {

void adviseHugePages(void* data, std::size_t bytes) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_HUGEPAGE)
  constexpr std::size_t kHugePage = std::size_t(2) << 20;
  if (bytes < kHugePage) return;
  // The whole pages within the buffer: madvise takes a range that starts on a page.
  const auto pageSize = std::uintptr_t(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + pageSize - 1) / pageSize * pageSize;
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / pageSize * pageSize;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace littoral
