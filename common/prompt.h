#pragma once
// The words both programs use for a message box: its icon, its buttons and the answer.
// The workbench's and the installer's prompters take these; common/gui/messagebox.h
// shows them as a Qt message box.

namespace common {

/// `Stop` is the installer definitions' name for the critical (red) icon.
enum class MessageIcon { None, Information, Warning, Critical, Question, Stop = Critical };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

} // namespace common
