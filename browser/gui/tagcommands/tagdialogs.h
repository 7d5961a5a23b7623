#pragma once
// The two small parameter dialogs of the time-tag menu: the manual shift amount
// ("手動微調整") and the line-advance parameters ("行送りタイミングの調整").

#include <QDialog>

class QLineEdit;
class QScrollBar;

namespace browser {

class Prompter;

/// "手動微調整": a shift in ms, typed or set with the scroll bar (up raises it),
/// limited to -32000…32000.
class FormTimeTagSlide1 : public QDialog {
    Q_OBJECT
public:
    explicit FormTimeTagSlide1(QWidget* parent = nullptr);
    /// The amount stored by OK (0 after Cancel or before either).
    int amount() const { return amount_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited();
    void barMoved(int value);

    QLineEdit* text1_ = nullptr;
    QScrollBar* vscroll1_ = nullptr;
    int amount_ = 0;
    bool syncing_ = false;
};

/// "行送りタイミングの調整": the maximum advance in seconds (two decimals), or the
/// choice to take the advance tags off.
class FormOkuri : public QDialog {
    Q_OBJECT
public:
    FormOkuri(int maxAdvanceMsec, Prompter& prompter, QWidget* parent = nullptr);
    int maxAdvanceMsec() const { return maxAdvance_; }
    bool removeMode() const { return remove_; }
    bool cancelled() const { return cancelled_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void apply();

    Prompter& prompter_;
    QLineEdit* textMaxmSec_ = nullptr;
    int maxAdvance_ = 500;
    bool remove_ = false;
    bool cancelled_ = true;
};

/// Places a dialog centred over its parent window.
void CentreOverParent(QWidget* dialog);

} // namespace browser
