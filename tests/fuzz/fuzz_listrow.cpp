// libFuzzer entry for the listrow target.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    qmfuzz::FuzzListRow(data, size);
    return 0;
}
