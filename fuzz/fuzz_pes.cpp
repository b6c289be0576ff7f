// PES and PEC files: the magic picks the PEC section, whose stitches are then read.
#include "FuzzPreview.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkPreview(PECReader::readPESOrPEC(asBytes(data, size)));
    return 0;
}
