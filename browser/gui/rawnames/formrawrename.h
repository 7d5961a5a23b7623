#pragma once
// FormRawRename: the preview of a rename to UTF-8 names. Each file whose name is not
// UTF-8 is listed with its name as read in Shift_JIS, its new name and whether it will
// be renamed; "変換" (ComOK) renames the ones marked so, "キャンセル" (ComCancel) nothing.

#include "browser/fileops/rawrename.h"

#include <QDialog>
#include <vector>

namespace browser {

class FormRawRename : public QDialog {
    Q_OBJECT
public:
    explicit FormRawRename(const std::vector<fileops::RawRename>& plan, QWidget* parent = nullptr);
};

} // namespace browser
