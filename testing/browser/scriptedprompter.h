#pragma once
// The workbench's prompter for tests: answers from a script and records every prompt.

#include "browser/core/prompter.h"

#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace browser {

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
