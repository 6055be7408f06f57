// Where messages are shown: one interface that takes a message (kind, title, text, buttons, file
// names to view) and returns the user's answer. The Win32 dialog, the tests and the unattended
// installer each plug in their own sink; by default every message is answered with its default
// button without being shown.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tlx::messages {

// Kinds of the message dialog (stable values).
enum class EMsgKind : uint8_t {
  emk_Error = 0,
  emk_Query = 1,
  emk_Warning = 2,
  emk_ThreeWay = 3,
  emk_QueryAsk = 4,
  emk_Info = 5,
  emk_Choice = 6,
  emk_WarningAsk = 7,
  emk_QueryCancel = 8,
};
inline constexpr int kMsgKindCount = 9;

// Buttons a message may offer, and the answer "closed without a button" (Esc). Stable values.
enum class EMsgButton : uint8_t {
  emb_None = 0,  // closed by Esc or by the window's close control
  emb_Yes = 1,
  emb_No = 2,
  emb_Exit = 3,  // "Выход" of the message dialog
  emb_View = 4,  // opens the protocol viewer; the dialog stays open
  emb_Choose = 5,
  emb_Refuse = 6,
  emb_One = 7,
  emb_Two = 8,
  emb_Three = 9,
  emb_Close = 10,  // "Закрыть" of the file-layer box
};

// Which window shows the message.
enum class EMsgStyle : uint8_t {
  ems_Dialog = 0,    // the suite's message dialog (kinds of EMsgKind)
  ems_FileBox = 1,   // the file layer's small box (file_box_kind 0..7, colour)
  ems_Standard = 2,  // the platform's standard exception box (uncaught exceptions)
};

struct MessageRequest {
  EMsgStyle style = EMsgStyle::ems_Dialog;
  EMsgKind kind = EMsgKind::emk_Error;
  uint8_t file_box_kind = 0;        // ems_FileBox only
  uint32_t colour = 0;              // ems_FileBox background, 0x00BBGGRR
  bool alarm = false;               // red window, bold white text
  std::string title;                // caption in the current language
  std::string text;                 // final text: "#" breaks the line, a leading "~" aligns left
  std::vector<EMsgButton> buttons;  // left to right (the view button only when files are given)
  EMsgButton default_button = EMsgButton::emb_None;  // the answer of an unattended run
  std::string err_file;  // files the view button shows (both empty: no view button)
  std::string warn_file;
  std::optional<std::string> check_caption;  // check box caption; nullopt: the dialog's own,
                                             // empty: hidden
  std::vector<std::string> choices;          // emk_Choice: one final text per item
};

struct MessageAnswer {
  EMsgButton button = EMsgButton::emb_None;  // the button that closed the window
  bool checked = false;                      // the check box of emk_QueryAsk / emk_WarningAsk
  int chosen = 0;                            // emk_Choice: index of the selected item
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message and returns when the user has answered.
  virtual MessageAnswer Show(const MessageRequest& request) = 0;
};

// Answers every message with its default button, shows nothing.
class DefaultMessageSink : public MessageSink {
 public:
  MessageAnswer Show(const MessageRequest& request) override;
};

// The process-wide sink (never null). The caller keeps ownership of what it installs.
MessageSink& CurrentMessageSink();
// Installs `sink` (nullptr: the default sink) and returns the previous one (nullptr when it was the
// default).
MessageSink* SetMessageSink(MessageSink* sink);

// Installs a sink for one scope and restores the previous one afterwards.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(MessageSink* sink) : previous_(SetMessageSink(sink)) {}
  ~ScopedMessageSink() { SetMessageSink(previous_); }
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink* previous_;
};

}  // namespace tlx::messages
