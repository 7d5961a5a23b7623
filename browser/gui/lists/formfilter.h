#pragma once
// FormFilter ("フィルター設定"): the name filter of one pane. The combo box offers the
// remembered texts of the chosen mode (wildcard or partial match), most recent first.

#include "browser/lists/namefilter.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace browser {

class SettingsStore;

class FormFilter : public QDialog {
    Q_OBJECT
public:
    /// Reads the history, the mode and the case switch from section "Filter" of `store`.
    FormFilter(SettingsStore& store, QWidget* parent = nullptr);

    /// The confirmed filter; nullopt until OK was pressed with a text.
    const std::optional<lists::FilterState>& result() const { return result_; }

private:
    void fillCombo(bool wildcard);
    void confirm();

    SettingsStore& store_;
    lists::FilterHistory history_;
    std::optional<lists::FilterState> result_;
    QComboBox* comboFilter_ = nullptr;
    QRadioButton* optMode_[2] = {};
    QCheckBox* chkNoLCase_ = nullptr;
};

/// Shows FormFilter modally; nullopt when it was left with Cancel.
std::optional<lists::FilterState> ShowFilterDialog(QWidget* parent, SettingsStore& store);

} // namespace browser
