#include "songfiles/macbinary.h"

namespace songfiles {
namespace {

std::uint32_t BigEndian32(QByteArrayView b, qsizetype at)
{
    return (std::uint32_t(std::uint8_t(b[at])) << 24) | (std::uint32_t(std::uint8_t(b[at + 1])) << 16)
        | (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint32_t(std::uint8_t(b[at + 3]));
}

} // namespace

std::uint16_t MacBinaryCrc(QByteArrayView bytes)
{
    std::uint16_t crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<std::uint16_t>(std::uint8_t(c) << 8);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? static_cast<std::uint16_t>((crc << 1) ^ 0x1021) : static_cast<std::uint16_t>(crc << 1);
    }
    return crc;
}

std::optional<MacBinaryHeader> ParseMacBinaryHeader(QByteArrayView b)
{
    if (b.size() < kMacBinaryHeaderSize)
        return std::nullopt;
    const auto at = [&](qsizetype i) { return std::uint8_t(b[i]); };
    if (at(0) != 0 || at(74) != 0 || at(82) != 0)
        return std::nullopt;
    if (at(1) < 1 || at(1) > 63)
        return std::nullopt;
    MacBinaryHeader h;
    h.dataForkLength = BigEndian32(b, 83);
    h.resourceForkLength = BigEndian32(b, 87);
    if (h.dataForkLength == 0 || h.dataForkLength > 0x7FFFFFFF || h.resourceForkLength > 0x7FFFFFFF)
        return std::nullopt;
    const std::uint16_t stored = static_cast<std::uint16_t>((at(124) << 8) | at(125));
    if (stored != 0 && stored == MacBinaryCrc(b.first(124)))
        return h;
    // MacBinary I has no CRC: everything from offset 99 on is zero.
    for (qsizetype i = 99; i < kMacBinaryHeaderSize; ++i)
        if (at(i) != 0)
            return std::nullopt;
    return h;
}

} // namespace songfiles
