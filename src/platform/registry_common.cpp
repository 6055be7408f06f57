// The parts of the registry interface every build shares.
#include "platform/registry.h"
#include "platform/text.h"

namespace tlx::platform {

const RegistryValue* FindRegistryValue(const RegistryValues& values, const std::string& name) {
  const std::string wanted = UpperUtf8(name);
  for (const RegistryValue& value : values) {
    if (UpperUtf8(value.name) == wanted) return &value;
  }
  return nullptr;
}

}  // namespace tlx::platform
