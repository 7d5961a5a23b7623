#pragma once
// The file-list data file (.mlf): a pane's rows with their cells and check marks, to be
// opened again later without scanning.
//
// CP932 text, CR LF lines:
//   [Melwick Data File] / (empty) / [main] / data_version=1 / mode=lyrics|song / max=N /
//   folder=F / (empty), then per row: [index] / filename=NAME / one key=value line per
//   column in creation order ("match" left out), ending with "dummy=" / checked=0|1 /
//   (empty).
// The pair marks are not stored; they are recomputed after loading.

#include "browser/core/filerow.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <span>
#include <vector>

namespace browser {
class FilePane;
}

namespace browser::lists {

/// The window's messages for the data file commands.
QString SaveFailedMessage();  // "ファイルの保存に失敗しました。"
QString LoadFailedMessage();  // "ファイルの読み込みに失敗しました。"

/// The bytes of a data file for rows of a list in `mode`, listed from `folder` (the
/// folder the pane's title shows). nullopt, with the reason in `error`, when a text has
/// no CP932 form or holds a line break: such a file could not be read back as written.
std::optional<QByteArray> EncodeDataFile(PaneMode mode, const QString& folder, std::span<const FileRow> rows,
                                         QString* error = nullptr);

/// Writes the data file atomically (the old file, if any, stays whole until the new one
/// is complete). False, with the reason in `error`, when it cannot be written.
bool SaveDataFile(const QString& path, PaneMode mode, const QString& folder, std::span<const FileRow> rows,
                  QString* error = nullptr);

/// What reading a data file gave, for a pane to take over.
struct DataFileLoad {
    enum class Status {
        Loaded,     // the whole file was read
        NotDataFile, // wrong first line, unknown version or no mode: nothing taken
        Failed,     // unreadable, or it ended early: `rows` holds the rows read before
    };
    Status status = Status::NotDataFile;
    PaneMode mode = PaneMode::Lyrics;
    QString folder;               // "folder=": the title the pane shows
    std::vector<FileRow> rows;    // icons rebuilt from the texts, missing files dimmed
    QStringList refused;          // rows left out, each as "NAME: reason"
    QString error;                // why the status is not Loaded

    bool headerRead() const { return status != Status::NotDataFile; }
};

/// Tells whether a full path names an existing file (for dimming rows of missing files).
using FileExistsFn = std::function<bool(const QString& path)>;

/// Reads a data file from its bytes. A row is refused when its name holds a separator or
/// is "." or "..", or when its folder is not an absolute path; folders written on
/// Windows ("\" separators) are read with "/". `exists` defaults to the file system.
DataFileLoad ParseDataFile(QByteArrayView bytes, const FileExistsFn& exists = {});
/// Reads a data file from disk.
DataFileLoad ReadDataFile(const QString& path, const FileExistsFn& exists = {});

/// The icon of a row rebuilt from its cell texts (lyrics: "tagtype"; songs: "tags").
/// A song row whose "tags" holds "E" gets icon 0 and is dimmed.
void RebuildIconFromTexts(FileRow& row, PaneMode mode);

/// Puts a loaded list into a pane: its mode, its rows (in place of the old ones), marked
/// as loaded from a data file, row 1 selected, and the pair marks of both panes
/// recomputed. Nothing is done unless the header was read.
void ApplyDataFile(FilePane& pane, FilePane& other, DataFileLoad&& load);

/// The folder text a list of `folder` is saved with: absolute, clean, without a trailing
/// separator except for the root (as the folder tree reports it).
QString ListFolderText(const QString& folder);

} // namespace browser::lists
