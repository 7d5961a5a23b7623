#pragma once
// The workbench's commands by key ("ReSearch", "AutoLoad", "Help" …): the toolbar button,
// the menu entry and the key binding of a command all run it through this registry.
//
// The area of the window that owns a command registers it in its own file, with the
// handler and the rule that says when it may run. Menus and the toolbar ask the
// registry when they are prepared; a key that nobody registered is shown but disabled.
// Registering a key again replaces the earlier entry.

#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace browser {

class CommandRegistry {
public:
    using Handler = std::function<void()>;
    using Rule = std::function<bool()>;

    /// Registers `key`; without a rule the command may always run.
    void add(const QString& key, Handler handler, Rule enabled = {});
    /// Whether some area carries out `key` (the toolbar enables exactly these).
    bool contains(const QString& key) const;
    /// Whether `key` is registered and its rule allows it now (menus ask this).
    bool isEnabled(const QString& key) const;
    /// Runs `key` when it is enabled; returns whether it ran.
    bool run(const QString& key) const;
    /// The registered keys, sorted.
    QStringList keys() const;

private:
    struct Entry {
        Handler handler;
        Rule enabled;
    };
    std::map<QString, Entry> entries_;
};

} // namespace browser
