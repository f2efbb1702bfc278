#pragma once

namespace vantor {

// The parts of a message box that libraries may name in a refusal without
// knowing who will show it.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Exclamation, Error };
enum class MessageAnswer { Ok, Cancel, Yes, No };

}  // namespace vantor
