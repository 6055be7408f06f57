// The message sink of the Windows program: every message of the wrappers appears in the suite's
// message dialog, the file layer's box or the standard exception box.
#pragma once
#include "messages/message_sink.h"

namespace tlx::win {

class Win32MessageSink : public messages::MessageSink {
 public:
  messages::MessageAnswer Show(const messages::MessageRequest& request) override;
};

// Installs the process-wide Win32 sink (the entry point calls it once, before any message) and
// loads the common controls the windows use.
void InstallWin32MessageSink();

}  // namespace tlx::win
