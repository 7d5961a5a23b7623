#include "browser/core/commandregistry.h"

namespace browser {

void CommandRegistry::add(const QString& key, Handler handler, Rule enabled)
{
    entries_[key] = Entry{std::move(handler), std::move(enabled)};
}

bool CommandRegistry::contains(const QString& key) const
{
    return entries_.count(key) != 0;
}

bool CommandRegistry::isEnabled(const QString& key) const
{
    const auto it = entries_.find(key);
    if (it == entries_.end() || !it->second.handler)
        return false;
    return !it->second.enabled || it->second.enabled();
}

bool CommandRegistry::run(const QString& key) const
{
    if (!isEnabled(key))
        return false;
    // A copy: the handler may register commands while it runs.
    const Handler handler = entries_.at(key).handler;
    handler();
    return true;
}

QStringList CommandRegistry::keys() const
{
    QStringList out;
    for (const auto& [key, entry] : entries_)
        out << key;
    return out;
}

} // namespace browser
