#pragma once

#include <cstddef>

// Asks the kernel to back a large buffer that is about to be filled with huge pages (Linux's
// transparent huge pages, where the system gives them on request): tens of megabytes then take
// a few dozen page faults instead of thousands. Only a hint; nothing else changes where it is
// not taken.

namespace littoral {

void adviseHugePages(void* data, std::size_t bytes);

// The same for the room a vector or string has reserved.
template <class Container>
void adviseHugePages(Container& container) {
  adviseHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

}  // namespace littoral
