// A TagLib-based song probe as a whole process, the yardstick of `mwex song probe`:
// one line per file with the ID3v1/ID3v2 title and artist and the audio properties.
//   probe_taglib FILE…
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <cstdio>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        TagLib::MPEG::File file(argv[i], true, TagLib::AudioProperties::Average);
        if (!file.isValid()) {
            std::printf("%s\tinvalid\n", argv[i]);
            continue;
        }
        const TagLib::Tag* tag = file.tag();
        const TagLib::AudioProperties* p = file.audioProperties();
        std::printf("%s\t%s\t%s\t%d\t%d\t%d\n", argv[i], tag ? tag->title().toCString(true) : "",
                    tag ? tag->artist().toCString(true) : "", p ? p->lengthInSeconds() : 0, p ? p->bitrate() : 0,
                    p ? p->sampleRate() : 0);
    }
    return 0;
}
