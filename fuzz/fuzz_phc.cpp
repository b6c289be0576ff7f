#include "FuzzPreview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkPreview(PECReader::readPHC(asBytes(data, size)));
    return 0;
}
