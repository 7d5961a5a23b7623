#pragma once
// Every message box, question, input box and file dialog of the workbench goes through
// one Prompter. The program uses the Qt implementation (browser/gui/qtprompter.h);
// tests use ScriptedPrompter, which answers from a script and records what was asked.

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace browser {

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

/// A file dialog. `filter` uses the "description|*.a;*.b|description2|*.c" form of the
/// original program ("歌詞ファイル|*.txt;*.lrc;*.kra").
struct FileDialogRequest {
    QString title;
    QString folder;   // starting folder
    QString fileName; // proposed file name (or full path)
    QString filter;
    QString defaultExtension; // ".txt"
    bool mustExist = false;
    bool confirmOverwrite = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    /// A message box. `title` empty means the program's own title ("Melwick Ex").
    virtual Answer message(const QString& text, MessageIcon icon = MessageIcon::None,
                           MessageButtons buttons = MessageButtons::Ok, const QString& title = QString()) = 0;
    /// An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& prompt, const QString& title, const QString& initial) = 0;
    /// Open and save dialogs; nullopt when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    /// A folder chooser; nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) = 0;
};

/// Converts "desc|*.a;*.b|desc2|*.c" into Qt's "desc (*.a *.b);;desc2 (*.c)".
QString ToQtFileFilter(const QString& windowsFilter);

/// Answers prompts from a script, in order, and records every prompt. A prompt with no
/// scripted answer left is recorded as unexpected and answered "Cancel"/"No"/nullopt.
class ScriptedPrompter : public Prompter {
public:
    struct Prompt {
        enum class Kind { Message, Input, OpenFile, SaveFile, Folder } kind;
        QString text; // message text, input prompt, or dialog title
        QString title;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
        FileDialogRequest file; // for file dialogs
        bool unexpected = false;
    };

    // Script the next answers (consumed in order, whatever the prompt's kind).
    void answer(Answer a) { script_.push_back({a, false, {}}); }
    /// A text for an input box or a path for a file dialog; nullopt answers "cancelled".
    void answerText(const std::optional<QString>& text) { script_.push_back({Answer::Ok, text.has_value(), text.value_or(QString())}); }

    const std::vector<Prompt>& prompts() const { return prompts_; }
    /// Message texts in order (convenience for assertions).
    QStringList messages() const;
    bool hasUnexpected() const;
    int remainingAnswers() const { return static_cast<int>(script_.size()); }
    void clear() { prompts_.clear(); script_.clear(); }

    Answer message(const QString& text, MessageIcon icon = MessageIcon::None,
                   MessageButtons buttons = MessageButtons::Ok, const QString& title = QString()) override;
    std::optional<QString> inputText(const QString& prompt, const QString& title, const QString& initial) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    struct Step {
        Answer answer;
        bool hasText;
        QString text;
        std::optional<QString> textAnswer() const { return hasText ? std::optional<QString>(text) : std::nullopt; }
    };
    std::optional<Step> next(Prompt prompt);

    std::deque<Step> script_;
    std::vector<Prompt> prompts_;
};

} // namespace browser
