// One operation per use of the message dialog: each builds the final text with MsgText (after
// adding its number offset, unless the number is 0), hands the message to the current sink and
// turns the answer into a plain result.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "messages/message_sink.h"
#include "messages/zerror.h"

namespace tlx::messages {

// Number offsets of the wrappers (not added to number 0).
inline constexpr int32_t kErrorOffset = 0;
inline constexpr int32_t kWarningOffset = 1000;
inline constexpr int32_t kQueryOffset = 2000;
inline constexpr int32_t kInfoOffset = 3000;

// n + offset, except that 0 stays 0.
int32_t OffsetNumber(int32_t n, int32_t offset);

// Error; number 999 shows nothing.
void MsgError(std::string_view params, int32_t n);
void MsgErrorView(std::string_view params, int32_t n, std::string_view err_file,
                  std::string_view warn_file);
// Warning: n + 1000.
void MsgWarning(std::string_view params, int32_t n);
void MsgWarningView(std::string_view params, int32_t n, std::string_view err_file,
                    std::string_view warn_file);
// Question: n + 2000; true when answered yes.
bool MsgQuery(std::string_view params, int32_t n);
bool MsgQueryAlarm(std::string_view params, int32_t n);
bool MsgQueryView(std::string_view params, int32_t n, std::string_view err_file,
                  std::string_view warn_file);
// Information: n + 3000.
void MsgInfo(std::string_view params, int32_t n);
void MsgInfoView(std::string_view params, int32_t n, std::string_view err_file,
                 std::string_view warn_file);
// Warning with a "do not show again" check box: n + 1000; true when the box is ticked.
bool MsgWarningAsk(std::string_view params, int32_t n);
// Three buttons "1", "2", "3": n + 2000; returns 1, 2 or 3 (3 when closed without a button).
int MsgThreeWay(std::string_view params, int32_t n);
// Yes / refuse / no: n + 2000; returns 1 yes, 2 no (also when closed without a button), 3 refuse.
int MsgQueryCancel(std::string_view params, int32_t n);
// Question with a check box, text shown unchanged: bit 0 set when answered yes, bit 1 when ticked.
int MsgQueryAsk(std::string_view text);
// Same with the check box caption replaced; an empty caption hides the check box.
int MsgQueryAskCaption(std::string_view text, std::string_view caption);
// A choice among the texts of `numbers` (no offset; the list ends at the first value <= 0).
// Returns the chosen index, or -1 when refused, closed, or when the list is empty (nothing shown).
int MsgChoice(std::string_view params, std::span<const int32_t> numbers);

// Shows a caught ZError as an error with its own number (no offset); 999 shows nothing.
void MsgException(const ZError& e);
// Shows, without raising, the context followed by the last Windows error's text, as error 99;
// the context alone when there is no error or the system has no text.
void MsgSysError(std::string_view context);

// The title of a dialog kind: "     О ш и б к а  !" and the like, Russian when `russian`.
std::string_view KindTitle(EMsgKind kind, bool russian);

}  // namespace tlx::messages
