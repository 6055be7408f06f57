#include "messages/win/win_sink.h"

#include "messages/win/bs_box_window.h"
#include "messages/win/common_controls.h"
#include "messages/win/message_dialog.h"
#include "messages/win/window.h"

namespace tlx::win {

messages::MessageAnswer Win32MessageSink::Show(const messages::MessageRequest& request) {
  HWND owner = ActiveOwner();
  switch (request.style) {
    case messages::EMsgStyle::ems_FileBox:
      return BsBoxWindow(request).ShowModal(owner);
    case messages::EMsgStyle::ems_Standard: {
      ::MessageBoxW(owner, Wide(request.text).c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
      messages::MessageAnswer answer;
      answer.button = request.default_button;
      return answer;
    }
    default:
      return TDMessages(request).ShowModal(owner);
  }
}

void InstallWin32MessageSink() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  Comctl().InitCommonControlsEx(&icc);
  static Win32MessageSink sink;
  messages::SetMessageSink(&sink);
}

}  // namespace tlx::win
