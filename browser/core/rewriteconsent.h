#pragma once
// The window's side of a rewrite that needs the user's word: a file with several names
// (hard links) is rewritten only after a question, and a file that cannot be rewritten
// safely (not a regular file, an owner that cannot be kept) is refused with a message.

#include "common/atomicfile.h"

#include <QString>
#include <optional>

namespace browser {

class Prompter;

class RewriteConsent {
public:
    /// True when `path` may be rewritten now: nothing to ask, or the user agreed to give
    /// this name a file of its own (that consent lasts as long as this object). False
    /// after a refusal (the user was told) or a declined question.
    bool ask(Prompter& prompter, const QString& path);

private:
    std::optional<common::AllowBreakingLinks> allow_;
};

} // namespace browser
