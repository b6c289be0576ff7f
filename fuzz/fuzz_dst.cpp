#include "FuzzPreview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkPreview(DSTReader::read(asBytes(data, size)));
    return 0;
}
