// libFuzzer entry for the datagram target.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    qmfuzz::FuzzDatagram(data, size);
    return 0;
}
