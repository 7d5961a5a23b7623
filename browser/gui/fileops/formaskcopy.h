#pragma once
// FormAskCopy: asks before an existing file is replaced by a copy or a move. Shows both
// files (path, modification time, tag kind of a lyrics file); "上書き" sets the record's
// answer to true, "キャンセル" to false.

#include "browser/fileops/fileoperation.h"

#include <QDialog>

namespace browser {

class FormAskCopy : public QDialog {
    Q_OBJECT
public:
    FormAskCopy(fileops::OverwriteQuestion& question, QWidget* parent = nullptr);

    /// Shows the dialog modally and returns the answer (also stored in the record).
    static bool Ask(fileops::OverwriteQuestion& question, QWidget* parent);

private:
    fileops::OverwriteQuestion& question_;
};

/// The time shown for a file ("2024/05/01 12:34:56"), empty when unknown.
QString AskCopyTime(const QDateTime& time);

} // namespace browser
