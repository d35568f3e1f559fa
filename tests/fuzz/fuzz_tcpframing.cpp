// libFuzzer entry for the TCP framing target.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    qmfuzz::FuzzTcpFraming(data, size);
    return 0;
}
