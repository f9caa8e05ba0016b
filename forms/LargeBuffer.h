// Large text buffers: the windows write hundreds of megabytes into freshly allocated memory.
#pragma once

#include <cstddef>

namespace forms {

// Asks the system to back an allocated but not yet written buffer with huge pages. Here the
// first write to fresh memory in 4 KB pages runs at a small fraction of memory speed, and a
// large text always goes to fresh memory. Only a hint: small buffers and systems without huge
// pages are left as they are.
void AdviseLargeBuffer(void* data, std::size_t bytes);

}  // namespace forms
