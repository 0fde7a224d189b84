#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the Qt application the decoders expect and quiet logs
// (LLVMFuzzerInitialize, in FuzzSupport.cpp), and the input as Qt bytes.
namespace fuzz {

// A deep copy: a decoder that kept a view into libFuzzer's buffer would read freed memory
// in the next run, and AddressSanitizer should see exactly the input's bytes, no more.
inline QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
