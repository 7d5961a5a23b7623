#pragma once
// The 128-byte MacBinary header that Mac file transfers put in front of a file's data
// fork (followed by the resource fork, each padded to 128 bytes).

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace songfiles {

constexpr qsizetype kMacBinaryHeaderSize = 128;

struct MacBinaryHeader {
    std::uint32_t dataForkLength = 0;
    std::uint32_t resourceForkLength = 0;
};

/// Recognises a MacBinary I, II or III header in the first 128 bytes of `bytes`: the
/// zero bytes at 0, 74 and 82, a file-name length of 1 to 63, a data fork that is not
/// empty, and either a matching header CRC (II, III) or the zero tail of version I.
std::optional<MacBinaryHeader> ParseMacBinaryHeader(QByteArrayView bytes);

/// CRC-16/XMODEM over `bytes`, as the MacBinary II header stores it at offset 124.
std::uint16_t MacBinaryCrc(QByteArrayView bytes);

} // namespace songfiles
