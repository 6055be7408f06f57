// The text of whatever a tlxpack operation threw: a framework ZError gets its message text (the
// interface language is Russian), anything else its what().
#pragma once
#include <exception>
#include <string>

namespace tlx::tlxpack {

std::string ErrorText(const std::exception& error);

}  // namespace tlx::tlxpack
