#pragma once
#include <QString>

// The Russian texts the controllers write: into the store (the call states
// and summaries of `status`, the note on a held port) and into their own
// window's view. They are data: written the same whatever language either
// program speaks, so a store written by one reads the same in the other.
// A window translates them where it shows them, through shown_text.
namespace blackboard {

// The context of these texts in the catalogs.
inline constexpr const char* kStoredTextContext = "StoredText";

// The stored text with every known piece in the running program's
// language: the summaries are pieces written one after another ("Набор
// номера....2я линия"), a held port's note sentences around a program's
// name. Anything else (numbers, a model, an unknown text) stays as stored.
QString shown_text(const QString& stored);

// Why a text message failed, as it is kept with the message: the phone's
// "+CMS ERROR: <n>", a status report's failure (TP-ST), a phone that gave
// no answer.
QString send_error_reason(int cms_error);
QString report_failure_reason(int status);
QString no_answer_reason();

}  // namespace blackboard
