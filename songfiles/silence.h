#pragma once
// Leading digital silence of a song, counted in frames.

#include "songfiles/mpeginfo.h"
#include "songfiles/songlayout.h"

#include <QString>

namespace songfiles {

/// The number of frames at the start of the song's stream whose main data (everything
/// behind the header, CRC and side information) holds only 0x00 and 0xFF bytes. An
/// information frame (Xing/Info/VBRI) in front, and the first frame of a VBR stream, are
/// counted without being examined. 0 on any failure: a file that is missing, not a song,
/// a WAVE, ID3v2 or MacBinary file, a read error, a stream that is silent to its end, or
/// more than 32767 silent frames.
int SilentLeadFrames(const QString& path);
int SilentLeadFrames(SongReader& reader, const SongLayout& layout, const MpegInfo& info);

} // namespace songfiles
