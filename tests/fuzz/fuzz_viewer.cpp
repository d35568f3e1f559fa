// libFuzzer entry for the viewer target.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    qmfuzz::FuzzViewer(data, size);
    return 0;
}
