#include "testing/browser/scriptedprompter.h"

namespace browser {

QStringList ScriptedPrompter::messages() const
{
    QStringList out;
    for (const Prompt& p : prompts_)
        if (p.kind == Prompt::Kind::Message)
            out << p.text;
    return out;
}

bool ScriptedPrompter::hasUnexpected() const
{
    for (const Prompt& p : prompts_)
        if (p.unexpected)
            return true;
    return false;
}

std::optional<ScriptedPrompter::Step> ScriptedPrompter::next(Prompt prompt)
{
    if (script_.empty()) {
        prompt.unexpected = true;
        prompts_.push_back(std::move(prompt));
        return std::nullopt;
    }
    prompts_.push_back(std::move(prompt));
    std::optional<Step> s(std::move(script_.front()));
    script_.pop_front();
    return s;
}

Answer ScriptedPrompter::message(const QString& text, MessageIcon icon, MessageButtons buttons, const QString& title)
{
    Prompt p{Prompt::Kind::Message, text, title, icon, buttons, {}, false};
    const std::optional<Step> s = next(std::move(p));
    if (s)
        return s->answer;
    // Unscripted: a plain message box is acknowledged, a question is declined.
    switch (buttons) {
    case MessageButtons::Ok:
        return Answer::Ok;
    case MessageButtons::OkCancel:
        return Answer::Cancel;
    default:
        return Answer::No;
    }
}

std::optional<QString> ScriptedPrompter::inputText(const QString& prompt, const QString& title, const QString&)
{
    const std::optional<Step> s = next({Prompt::Kind::Input, prompt, title, MessageIcon::None, MessageButtons::OkCancel, {}, false});
    return s ? s->textAnswer() : std::nullopt;
}

std::optional<QString> ScriptedPrompter::openFile(const FileDialogRequest& request)
{
    const std::optional<Step> s = next({Prompt::Kind::OpenFile, request.title, request.title, MessageIcon::None, MessageButtons::OkCancel, request, false});
    return s ? s->textAnswer() : std::nullopt;
}

std::optional<QString> ScriptedPrompter::saveFile(const FileDialogRequest& request)
{
    const std::optional<Step> s = next({Prompt::Kind::SaveFile, request.title, request.title, MessageIcon::None, MessageButtons::OkCancel, request, false});
    return s ? s->textAnswer() : std::nullopt;
}

std::optional<QString> ScriptedPrompter::chooseFolder(const QString& title, const QString& startFolder)
{
    FileDialogRequest r;
    r.title = title;
    r.folder = startFolder;
    const std::optional<Step> s = next({Prompt::Kind::Folder, title, title, MessageIcon::None, MessageButtons::OkCancel, r, false});
    return s ? s->textAnswer() : std::nullopt;
}

} // namespace browser
