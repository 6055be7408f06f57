#include "messages/msg_wrappers.h"

#include <array>

#include "config/config_record.h"
#include "messages/msg_text.h"
#include "platform/error.h"

namespace tlx::messages {
namespace {

using B = EMsgButton;

struct KindInfo {
  std::string_view title_rus;
  std::string_view title_ukr;
  bool view_button;  // offers the view button when file names are given
};

constexpr std::string_view kErrorRus = "     О ш и б к а  !";
constexpr std::string_view kErrorUkr = "     П о м и л к а  !";
constexpr std::string_view kQueryRus = "     З а п р о с  !";
constexpr std::string_view kQueryUkr = "     З а п и т  !";
constexpr std::string_view kWarningRus = "     П р е д у п р е ж д е н и е  !";
constexpr std::string_view kWarningUkr = "     П о п е р е д ж е н н я  !";
constexpr std::string_view kInfoRus = "     И н ф о р м а ц и я  !";
constexpr std::string_view kInfoUkr = "     І н ф о р м а ц і я  !";

// Indexed by EMsgKind.
constexpr std::array<KindInfo, kMsgKindCount> kKinds = {{
    {kErrorRus, kErrorUkr, true},       // emk_Error
    {kQueryRus, kQueryUkr, true},       // emk_Query
    {kWarningRus, kWarningUkr, true},   // emk_Warning
    {kQueryRus, kQueryUkr, false},      // emk_ThreeWay
    {kQueryRus, kQueryUkr, false},      // emk_QueryAsk
    {kInfoRus, kInfoUkr, true},         // emk_Info
    {kQueryRus, kQueryUkr, false},      // emk_Choice
    {kWarningRus, kWarningUkr, false},  // emk_WarningAsk
    {kQueryRus, kQueryUkr, false},      // emk_QueryCancel
}};
static_assert(kKinds.size() == static_cast<std::size_t>(EMsgKind::emk_QueryCancel) + 1);

bool InterfaceRussian() { return config::Config().InterfaceLanguage() != 0; }

// The buttons of a kind, left to right, and the one an unattended run answers with.
void SetButtons(MessageRequest& request, bool with_view) {
  auto& b = request.buttons;
  switch (request.kind) {
    case EMsgKind::emk_Error:
    case EMsgKind::emk_Warning:
    case EMsgKind::emk_Info:
      b = {B::emb_Exit};
      if (with_view) b.push_back(B::emb_View);
      request.default_button = B::emb_Exit;
      break;
    case EMsgKind::emk_Query:
      b = {B::emb_Yes};
      if (with_view) b.push_back(B::emb_View);
      b.push_back(B::emb_No);
      request.default_button = B::emb_Yes;
      break;
    case EMsgKind::emk_ThreeWay:
      b = {B::emb_One, B::emb_Two, B::emb_Three};
      request.default_button = B::emb_One;
      break;
    case EMsgKind::emk_QueryAsk:
      b = {B::emb_Yes, B::emb_No};
      request.default_button = B::emb_Yes;
      break;
    case EMsgKind::emk_Choice:
      b = {B::emb_Choose, B::emb_Refuse};
      request.default_button = B::emb_Choose;
      break;
    case EMsgKind::emk_WarningAsk:
      b = {B::emb_Exit};
      request.default_button = B::emb_Exit;
      break;
    case EMsgKind::emk_QueryCancel:
      b = {B::emb_Yes, B::emb_Refuse, B::emb_No};
      request.default_button = B::emb_Yes;
      break;
  }
}

MessageRequest MakeRequest(EMsgKind kind, std::string text, std::string_view err_file = {},
                           std::string_view warn_file = {}) {
  MessageRequest request;
  request.kind = kind;
  request.title = KindTitle(kind, InterfaceRussian());
  request.text = std::move(text);
  const bool with_view = kKinds[static_cast<std::size_t>(kind)].view_button &&
                         (!err_file.empty() || !warn_file.empty());
  if (with_view) {
    request.err_file = err_file;
    request.warn_file = warn_file;
  }
  SetButtons(request, with_view);
  return request;
}

MessageAnswer Show(const MessageRequest& request) { return CurrentMessageSink().Show(request); }

void ShowNumbered(EMsgKind kind, std::string_view params, int32_t number, std::string_view err_file,
                  std::string_view warn_file) {
  Show(MakeRequest(kind, MsgText(params, number), err_file, warn_file));
}

}  // namespace

std::string_view KindTitle(EMsgKind kind, bool russian) {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= kKinds.size()) return {};
  return russian ? kKinds[index].title_rus : kKinds[index].title_ukr;
}

int32_t OffsetNumber(int32_t n, int32_t offset) { return n == 0 ? 0 : n + offset; }

void MsgError(std::string_view params, int32_t n) { MsgErrorView(params, n, {}, {}); }

void MsgErrorView(std::string_view params, int32_t n, std::string_view err_file,
                  std::string_view warn_file) {
  if (n == kMsgHandled) return;
  ShowNumbered(EMsgKind::emk_Error, params, OffsetNumber(n, kErrorOffset), err_file, warn_file);
}

void MsgWarning(std::string_view params, int32_t n) { MsgWarningView(params, n, {}, {}); }

void MsgWarningView(std::string_view params, int32_t n, std::string_view err_file,
                    std::string_view warn_file) {
  ShowNumbered(EMsgKind::emk_Warning, params, OffsetNumber(n, kWarningOffset), err_file, warn_file);
}

bool MsgQuery(std::string_view params, int32_t n) { return MsgQueryView(params, n, {}, {}); }

bool MsgQueryAlarm(std::string_view params, int32_t n) {
  MessageRequest request =
      MakeRequest(EMsgKind::emk_Query, MsgText(params, OffsetNumber(n, kQueryOffset)));
  request.alarm = true;
  return Show(request).button == B::emb_Yes;
}

bool MsgQueryView(std::string_view params, int32_t n, std::string_view err_file,
                  std::string_view warn_file) {
  const MessageRequest request = MakeRequest(
      EMsgKind::emk_Query, MsgText(params, OffsetNumber(n, kQueryOffset)), err_file, warn_file);
  return Show(request).button == B::emb_Yes;
}

void MsgInfo(std::string_view params, int32_t n) { MsgInfoView(params, n, {}, {}); }

void MsgInfoView(std::string_view params, int32_t n, std::string_view err_file,
                 std::string_view warn_file) {
  ShowNumbered(EMsgKind::emk_Info, params, OffsetNumber(n, kInfoOffset), err_file, warn_file);
}

bool MsgWarningAsk(std::string_view params, int32_t n) {
  // The dialog supplies its own "do not show again" caption in the interface language.
  return Show(MakeRequest(EMsgKind::emk_WarningAsk,
                          MsgText(params, OffsetNumber(n, kWarningOffset))))
      .checked;
}

int MsgThreeWay(std::string_view params, int32_t n) {
  const MessageAnswer answer =
      Show(MakeRequest(EMsgKind::emk_ThreeWay, MsgText(params, OffsetNumber(n, kQueryOffset))));
  switch (answer.button) {
    case B::emb_One: return 1;
    case B::emb_Two: return 2;
    default: return 3;
  }
}

int MsgQueryCancel(std::string_view params, int32_t n) {
  const MessageAnswer answer =
      Show(MakeRequest(EMsgKind::emk_QueryCancel, MsgText(params, OffsetNumber(n, kQueryOffset))));
  switch (answer.button) {
    case B::emb_Yes: return 1;
    case B::emb_Refuse: return 3;
    default: return 2;
  }
}

namespace {

int QueryAsk(std::string_view text, std::optional<std::string> caption) {
  MessageRequest request = MakeRequest(EMsgKind::emk_QueryAsk, std::string(text));
  const bool hidden = caption.has_value() && caption->empty();
  request.check_caption = std::move(caption);
  const MessageAnswer answer = Show(request);
  return (answer.button == B::emb_Yes ? 1 : 0) | (answer.checked && !hidden ? 2 : 0);
}

}  // namespace

int MsgQueryAsk(std::string_view text) { return QueryAsk(text, std::nullopt); }

int MsgQueryAskCaption(std::string_view text, std::string_view caption) {
  return QueryAsk(text, std::string(caption));
}

int MsgChoice(std::string_view params, std::span<const int32_t> numbers) {
  MessageRequest request = MakeRequest(EMsgKind::emk_Choice, std::string());
  for (int32_t number : numbers) {
    if (number <= 0) break;
    request.choices.push_back(MsgText(params, number));
  }
  if (request.choices.empty()) return -1;
  const MessageAnswer answer = Show(request);
  if (answer.button != B::emb_Choose) return -1;
  const bool in_range =
      answer.chosen >= 0 && answer.chosen < static_cast<int>(request.choices.size());
  return in_range ? answer.chosen : 0;
}

void MsgException(const ZError& e) {
  if (e.Number() == kMsgHandled) return;
  MsgError(e.Params(), e.Number());
}

void MsgSysError(std::string_view context) {
  const uint32_t code = platform::LastError();
  const std::string system = code != 0 ? platform::SystemMessage(code) : std::string();
  if (system.empty())
    MsgError(context, kMsgWholeText);
  else
    MsgError(std::string(context) + "#(" + system + ")", kMsgWholeText);
}

}  // namespace tlx::messages
