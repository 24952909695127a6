// libFuzzer entry point for the RTF reader: any bytes must give text or nothing, never a
// crash, a hang or unbounded memory.
#include "clipboard/RtfReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                     qsizetype(size));
    const auto text = RtfReader::plainText(bytes);
    // Every character of the text comes from at least one byte of input.
    if (text && text->size() > qsizetype(size)) {
        __builtin_trap();
    }
    return 0;
}
