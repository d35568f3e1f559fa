// The fuzz targets' bodies, shared by the libFuzzer programs (clang) and the
// corpus replay that every build runs. Each checks invariants and aborts
// through Check() when one breaks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qmfuzz {

void FuzzDatagram(const std::uint8_t* data, std::size_t size);
void FuzzListRow(const std::uint8_t* data, std::size_t size);
void FuzzRegFile(const std::uint8_t* data, std::size_t size);
void FuzzViewer(const std::uint8_t* data, std::size_t size);
void FuzzTcpFraming(const std::uint8_t* data, std::size_t size);

} // namespace qmfuzz
