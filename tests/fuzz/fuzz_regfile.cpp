// libFuzzer entry for the regfile target.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    qmfuzz::FuzzRegFile(data, size);
    return 0;
}
