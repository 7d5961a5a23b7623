#pragma once
// The installer main window's flow state: which page is up and what the action button
// (btnEvent) does next.
//
// States and transitions of the action button (anything else is refused and changes
// nothing):
//   Starting --first showing, install--> Welcome        (uninstall: Main; fatal: Fatal)
//   Welcome --> Licence when its file exists, else on as from Licence
//   Licence --> ReadMe when its file exists, else on as from ReadMe
//   ReadMe  --> Type when the definition shows it, else Main
//   Type    --> Main
//   Main    --> Running (the pass of the mode starts)
//   Running --the pass shows its error log--> Details --> Running (the pass goes on)
//   Running --the pass returned--> Ended
//   Running, Ended, Fatal: the button does nothing (in Fatal it is grey; only the end
//   button acts).
// Leaving Welcome hides the window for a moment; Licence gives the memo its silver
// background, and every later page takes it away again.
// Closing the window asks first, except on Licence (its end button is "do not agree")
// and Fatal, and once the backdrop has been enabled (the pass ended or the user said so).

namespace installer {

enum class PageState { Starting, Welcome, Licence, ReadMe, Type, Main, Running, Details, Ended, Fatal };

/// The optional pages the definition offers, as they stand when the button is pressed.
struct PageOffers {
    bool licence = false;
    bool readMe = false;
    bool type = false;
};

/// The state the action button leads to from `from`; `from` itself where the button
/// does nothing.
constexpr PageState NextPageState(PageState from, const PageOffers& offers)
{
    switch (from) {
    case PageState::Starting:
        return PageState::Welcome;
    case PageState::Welcome:
        if (offers.licence)
            return PageState::Licence;
        [[fallthrough]];
    case PageState::Licence:
        if (offers.readMe)
            return PageState::ReadMe;
        [[fallthrough]];
    case PageState::ReadMe:
        if (offers.type)
            return PageState::Type;
        [[fallthrough]];
    case PageState::Type:
        return PageState::Main;
    case PageState::Main:
    case PageState::Details:
        return PageState::Running;
    case PageState::Running:
    case PageState::Ended:
    case PageState::Fatal:
        return from;
    }
    return from;
}

/// True while a pass runs (its error log may be up).
constexpr bool PassRunning(PageState state)
{
    return state == PageState::Running || state == PageState::Details;
}

/// True where closing the window needs no confirmation whatever the backdrop says.
constexpr bool ClosesWithoutQuestion(PageState state)
{
    return state == PageState::Licence || state == PageState::Fatal;
}

} // namespace installer
