#include "platform/FreeMemory.h"

#include <malloc.h>

namespace qm {

void ReturnFreeMemory() {
#if defined(_WIN32)
    _heapmin();
#elif defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace qm
