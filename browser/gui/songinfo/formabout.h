#pragma once
// FormAbout (Melwick Ex について): the program's name and version and the version of the
// MP3 engine with the decoding library inside it; modal, centred over the main window.

#include <QDialog>

namespace playback {
class Engine;
}

namespace browser {

class FormAbout : public QDialog {
    Q_OBJECT
public:
    /// `engine` may be null (no engine started): its built-in version is shown then.
    explicit FormAbout(const playback::Engine* engine, QWidget* parent = nullptr);

    /// Shows the box modally over `parent`.
    static void Show(const playback::Engine* engine, QWidget* parent);

    /// The texts of the box: "Version 1.0.0.0" and "MP3エンジン 1.00 (libmpg123 1.31.2)".
    static QString ProgramVersionText();
    static QString EngineVersionLine(const playback::Engine* engine);
};

} // namespace browser
