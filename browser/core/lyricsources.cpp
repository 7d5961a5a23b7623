#include "browser/core/lyricsources.h"

#include "browser/core/details.h"
#include "browser/core/filepane.h"
#include "browser/core/pairing.h"

#include "common/rawname.h"

#include <QFileInfo>

namespace browser {

void LyricSourceChoice::reset()
{
    for (QString& p : paths_)
        p.clear();
    available_.fill(false);
    chosen_ = -1;
}

void LyricSourceChoice::clearChoice()
{
    chosen_ = -1;
    timeBase_.reset();
}

void LyricSourceChoice::choose(LyricSource source)
{
    chosen_ = static_cast<int>(source);
}

std::optional<LyricSource> LyricSourceChoice::chosen() const
{
    if (chosen_ < 0)
        return std::nullopt;
    return static_cast<LyricSource>(chosen_);
}

void LyricSourceChoice::rebuild(const QString& songFile, const FilePane* otherPane, const DetailsProvider& details,
                                bool userWinAmpTime)
{
    available_.fill(true);
    available_[Index(LyricSource::Dropped)] = !path(LyricSource::Dropped).isEmpty();
    const int kind = songFile.isEmpty() ? songkind::kNotSong : details.songKind(songFile);
    available_[Index(LyricSource::Embedded)] = kind != songkind::kNotSong && (kind & songkind::kLyrics3);

    available_[Index(LyricSource::OppositeSelected)] = false;
    available_[Index(LyricSource::OppositeSameName)] = false;
    setPath(LyricSource::OppositeSelected, QString());
    setPath(LyricSource::OppositeSameName, QString());
    if (otherPane && otherPane->isLyricsMode()) {
        if (otherPane->selectedRow() >= 0) {
            available_[Index(LyricSource::OppositeSelected)] = true;
            setPath(LyricSource::OppositeSelected, otherPane->row(otherPane->selectedRow()).fullPath());
        }
        const int same = FindSameStemRow(*otherPane, QFileInfo(songFile).fileName());
        if (same >= 0) {
            available_[Index(LyricSource::OppositeSameName)] = true;
            setPath(LyricSource::OppositeSameName, otherPane->row(same).fullPath());
        }
    }

    // A choice the user made stays, even where its source has gone; else the first
    // available source is taken.
    if (chosen_ < 0) {
        for (int k = 0; k < kCount; ++k) {
            if (available_[static_cast<size_t>(k)]) {
                chosen_ = k;
                break;
            }
        }
    }

    // The time base follows what the chosen lyrics say about themselves.
    bool winAmp = userWinAmpTime;
    const QString file = chosen_ >= 0 ? paths_[static_cast<size_t>(chosen_)] : QString();
    if (!file.isEmpty() && chosen_ != static_cast<int>(LyricSource::Embedded)) {
        if (const std::optional<LyricsDetails> d = details.readLyrics(file, userWinAmpTime)) {
            if (d->timeType == 1)
                winAmp = true;
            else if (d->timeType == 2)
                winAmp = false;
        }
    }
    timeBase_ = winAmp ? TimeBase::WinAmp : TimeBase::Standard;
}

QString LyricSourceChoice::chosenFile() const
{
    const std::optional<LyricSource> c = chosen();
    if (!c || *c == LyricSource::Embedded || *c == LyricSource::None)
        return QString();
    return path(*c);
}

QString LyricSourceChoice::statusText(const QString& songFile) const
{
    QString status = QStringLiteral("[ ") + songFile + QStringLiteral("]");
    const std::optional<LyricSource> c = chosen();
    if (!c)
        return status;
    if (*c == LyricSource::None)
        return status + QString::fromUtf8(" / [ 歌詞なし ]");
    if (*c == LyricSource::Embedded)
        return status + QString::fromUtf8(" / [ 埋め込み歌詞 ]");
    return status + QStringLiteral(" / [ ") + common::DisplayPath(QFileInfo(path(*c)).fileName()) + QStringLiteral(" ]");
}

} // namespace browser
