#pragma once
// WindowLayout: where the window and its splitters are. The window's normal placement
// and the splitter positions are kept in twips (1/1440 inch, as the settings store them)
// for the normal and the maximized state; the splitters follow them whenever the window
// is resized, and the user's drags are read back into them. It also composes the lower
// area: the lyrics buttons or the song's lyric sources, the lyrics text, the player strip.

#include <QObject>

class QMainWindow;
class QSplitter;
class QWidget;

namespace browser {

class SettingsStore;
struct PaneWidgets;

class WindowLayout : public QObject {
    Q_OBJECT
public:
    explicit WindowLayout(QMainWindow& window);

    /// The lower area "FrameLower": the two info frames share one fixed width (one of them
    /// is shown at a time), the text takes 3 parts of the rest and the player strip 2.
    static QWidget* BuildLowerArea(QWidget* lyricsButtons, QWidget* songInfo, QWidget* lyricsText, QWidget* player);
    /// Builds the window's central widget: the panes side by side above the lower area.
    void build(const PaneWidgets& left, const PaneWidgets& right, QWidget* lower);

    /// Places the window and the splitters from the settings (a later start) or the design size.
    void placeWindow(const SettingsStore& store);
    /// A window stored maximized is shown so, with its own splitter positions.
    void restoreMaximized(const SettingsStore& store);
    /// Writes the placement and the splitter positions.
    void store(SettingsStore& store) const;

    /// Moves the splitters to x (panes' split) and y (top of the lower area), in twips,
    /// within the limits; remembered for the current window state.
    void apply(int x, int y);
    /// The lower area to the top limit (the height it had is kept for `restoreLower`).
    void enlargeLower();
    void restoreLower();
    /// Ctrl+Left/Right: one pane fills the width; Ctrl+Up: both halves; Ctrl+Down: the lower area up.
    void showOnePane(int pane);
    void centrePanes();
    void lowerToTop();

    void windowResized();
    void windowMoved();
    void windowStateChanged();

    int splitX() const { return splitX_; }
    int splitY() const { return splitY_; }
    int splitXMax() const { return splitXMax_; }
    int splitYMax() const { return splitYMax_; }
    int minTopHeight() const { return minTopHeight_; }
    int minLeftWidth() const { return minLeftWidth_; }
    int clientWidthTwips() const;
    int clientHeightTwips() const;

    /// Least height of the lower area (twips).
    static constexpr int kLowerMin = 1874;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeSplitters();
    void onSplitterMoved();
    void splitterDoubleClicked(bool vertical);
    int menuBarHeightTwips() const;
    int centralTopTwips() const;
    int currentX() const;
    int currentY() const;
    int centreX() const;

    QMainWindow& window_;
    QWidget* central_ = nullptr;
    QSplitter* splitterMain_ = nullptr;  // vertical: panes above, lower area below
    QSplitter* splitterPanes_ = nullptr; // horizontal: left pane, right pane
    const PaneWidgets* left_ = nullptr;
    const PaneWidgets* right_ = nullptr;
    QWidget* frameLower_ = nullptr;

    bool placing_ = false;
    bool placed_ = false;
    int minWidth_ = 0, minHeight_ = 0, minLeftWidth_ = 0, minTopHeight_ = 0;
    int normTop_ = 0, normLeft_ = 0, normWidth_ = 0, normHeight_ = 0;
    int splitX_ = 0, splitY_ = 0, splitXMax_ = 0, splitYMax_ = 0;
    int savedSplitterY_ = 0;
};

} // namespace browser
