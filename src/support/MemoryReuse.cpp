#include "support/MemoryReuse.h"

#include <malloc.h>

namespace geotal {

void KeepPhotoBuffersForReuse() {
    // Setting either threshold turns off glibc's own moving of them, so both are set.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace geotal
