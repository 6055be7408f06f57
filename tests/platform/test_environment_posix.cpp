#include "test_environment.h"

namespace tlx::test {

bool ReadOnlyBindsThisUser() { return true; }

}  // namespace tlx::test
