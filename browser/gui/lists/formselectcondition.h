#pragma once
// FormSelectCondition ("条件抽出"): checks every row of a pane whose chosen column
// equals, differs from, contains or lacks a text. Rows that do not match keep their
// check marks; the first matching row becomes the selected one.

#include "browser/lists/checks.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace browser {

class FilePane;

class FormSelectCondition : public QDialog {
    Q_OBJECT
public:
    /// For `pane`, shown as the left (index 0) or right (1) list.
    FormSelectCondition(FilePane& pane, QWidget* parent = nullptr);

    /// What OK did; `first` is −1 until then or when nothing matched.
    const lists::Extraction& extraction() const { return extraction_; }

private:
    void confirm();

    FilePane& pane_;
    lists::Extraction extraction_;
    QComboBox* combo1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QRadioButton* option1_[4] = {};
};

} // namespace browser
