#pragma once
// The checks and texts of renaming a listed file, and the set of rows an operation takes.
// Pure functions: the window shows the messages and asks the question.

#include "browser/core/filerow.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace fileops {

/// A file name split at its last dot; a leading dot (".profile") is part of the base.
struct NameParts {
    QString base;
    QString extension; // without the dot; empty when the name has none
};
NameParts SplitName(const QString& fileName);
/// base + "." + extension, or the base alone when the extension is empty.
QString JoinName(const QString& base, const QString& extension);

/// Why a new base name is not a file name: empty when it is one. Refused: empty, "."
/// and "..", and any "/", "\" or NUL character.
QString CheckNewName(const QString& base);

enum class RenameCheck { Ok, NotFound, SameName, InvalidName, Exists };

struct RowRename {
    RenameCheck check = RenameCheck::Ok;
    QString oldPath;
    QString newPath;
    QString newName;  // the new file name (new base + the old extension)
    QString message;  // for a refusal: the text to show
    bool warning = false; // warning icon (else information)
    QString question; // for Ok: the confirmation question
};

/// The shared rename step before the question: the row's file must exist, the base
/// names must differ (ignoring letter case), the new base must be a name, and no file
/// of the new name may exist. Only the base of `newName` is used: the old file keeps its
/// extension. `folder` is the pane's folder with or without a trailing separator.
RowRename PrepareRowRename(const QString& folder, const QString& oldName, const QString& newName);

/// "old　　を、\n\nnew　　に\n\nリネームします。よろしいですか？"
QString RenameQuestion(const QString& oldName, const QString& newName);

/// The text after a failed rename: an existing target gets its own message.
QString RenameFailureMessage(int error);

/// The input box of "RenameManual".
QString ManualRenamePrompt();
/// The name handed to the rename step for a typed answer: the answer + ".aaa" (so the
/// whole answer becomes the new base), or nullopt when the answer is empty or equals
/// the current base ignoring letter case (nothing to do).
std::optional<QString> ManualRenameName(const QString& typed, const QString& currentBase);

/// Rows an operation takes, in list order. In multi-selection mode every checked row
/// and the current row; otherwise the current row alone. Rows whose file is gone are
/// left out.
std::vector<int> OperationRows(const std::vector<browser::FileRow>& rows, int currentRow, bool multiSelection,
                               const std::function<bool(const QString& path)>& exists = {});

/// The delete question: "選択された" + n + "個のファイルを" + "ごみ箱に移動しますか?" or "削除しますか?".
QString DeleteQuestion(int count, bool toTrash);

} // namespace fileops
