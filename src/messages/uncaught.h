// The last resort for an exception nobody caught: the platform's standard exception box.
#pragma once
#include <exception>
#include <string>

namespace tlx::messages {

// The text the standard box shows: what() of a standard exception (for a ZError its raw parameter
// list), a fixed text for anything else. Empty pointer: empty text.
std::string UncaughtText(std::exception_ptr error);

// Shows UncaughtText through the current sink as an error in the standard box. Never throws.
void ShowUncaught(std::exception_ptr error) noexcept;

}  // namespace tlx::messages
