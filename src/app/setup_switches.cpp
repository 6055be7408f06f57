#include "app/setup_switches.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tlx::app {
namespace {

enum class Kind : uint8_t { Flag, Value };

struct SwitchRow {
  const char* name;
  Kind kind;
  const char* help;
};
constexpr SwitchRow kSwitches[] = {
    {"SILENT", Kind::Flag, "no questions; the progress is shown"},
    {"VERYSILENT", Kind::Flag, "nothing is shown"},
    {"DIR", Kind::Value, "installation folder (default c:\\tlx5_320)"},
    {"VARIANT", Kind::Value, "0 = two components, 1 = three components (default)"},
    {"SHORTCUT", Kind::Value, "name of the desktop shortcut (default ТЛК5_320)"},
    {"NOSHORTCUT", Kind::Flag, "no desktop shortcut"},
    {"LOADINF", Kind::Value, "answer file to take the answers from"},
    {"SAVEINF", Kind::Value, "answer file to write the answers of this run to"},
    {"LOG", Kind::Value, "log of every step, volume, file written, message and error, with times"},
    {"SUPPRESSMSGBOXES", Kind::Flag, "messages are answered with their default and logged"},
    {"VERIFY", Kind::Flag, "checks the distribution (volumes, install buffers, manifests); installs nothing"},
    {"UNINSTALL", Kind::Flag, "removes the installed suite (the one in /DIR, the program's folder or the registry's)"},
    {"HELP", Kind::Flag, "this text"},
};

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

bool Apply(SetupSwitches& s, const std::string& name, const std::string& value, std::string* error) {
  if (name == "SILENT") {
    if (s.ui != EUiLevel::eui_VerySilent) s.ui = EUiLevel::eui_Silent;
  } else if (name == "VERYSILENT") {
    s.ui = EUiLevel::eui_VerySilent;
  } else if (name == "DIR") {
    s.dir = value;
  } else if (name == "VARIANT") {
    if (value != "0" && value != "1") {
      *error = "/VARIANT: expected 0 or 1, got \"" + value + "\"";
      return false;
    }
    s.variant = value == "0" ? 0 : 1;
  } else if (name == "SHORTCUT") {
    s.shortcut = value;
  } else if (name == "NOSHORTCUT") {
    s.no_shortcut = true;
  } else if (name == "LOADINF") {
    s.load_inf = value;
  } else if (name == "SAVEINF") {
    s.save_inf = value;
  } else if (name == "LOG") {
    s.log = value;
  } else if (name == "SUPPRESSMSGBOXES") {
    s.suppress_msgboxes = true;
  } else if (name == "UNINSTALL") {
    s.uninstall = true;
  } else if (name == "HELP") {
    s.help = true;
  } else if (name == "VERIFY") {
    s.verify = true;
  }
  return true;
}

}  // namespace

std::optional<SetupSwitches> ParseSwitches(const std::vector<std::string>& args, bool allow_drives,
                                           std::string* error) {
  SetupSwitches s;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (allow_drives && (arg == "--drive" || arg.rfind("--drive=", 0) == 0)) {
      std::string item;
      if (arg == "--drive") {
        if (i + 1 >= args.size()) {
          *error = "--drive: a drive item is missing";
          return std::nullopt;
        }
        item = args[++i];
      } else {
        item = arg.substr(8);
      }
      std::string why;
      const std::optional<platform::DriveConfig> drive = platform::ParseDrive(item, &why);
      if (!drive) {
        *error = "--drive " + item + ": " + why;
        return std::nullopt;
      }
      s.drives.push_back(*drive);
      continue;
    }
    if (arg.size() < 2 || arg[0] != '/') {
      *error = "unknown argument \"" + arg + "\"";
      return std::nullopt;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = Upper(arg.substr(1, equals == std::string::npos ? std::string::npos : equals - 1));
    const auto row = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                  [&](const SwitchRow& r) { return name == r.name; });
    if (row == std::end(kSwitches)) {
      *error = "unknown switch \"" + arg + "\"";
      return std::nullopt;
    }
    if ((row->kind == Kind::Value) != (equals != std::string::npos)) {
      *error = row->kind == Kind::Value ? "/" + name + " needs a value (/" + name + "=...)"
                                        : "/" + name + " takes no value";
      return std::nullopt;
    }
    const std::string value = equals == std::string::npos ? "" : Unquote(arg.substr(equals + 1));
    if (row->kind == Kind::Value && value.empty() && name != "SHORTCUT") {
      *error = "/" + name + ": the value is empty";
      return std::nullopt;
    }
    if (!Apply(s, name, value, error)) return std::nullopt;
  }
  return s;
}

std::string UsageText(bool with_drives) {
  std::string text = "Switches (any letter case):\n";
  for (const SwitchRow& row : kSwitches) {
    std::string left = std::string("  /") + row.name + (row.kind == Kind::Value ? "=..." : "");
    left.resize(std::max<std::size_t>(left.size() + 1, 22), ' ');
    text += left + row.help + "\n";
  }
  if (with_drives)
    text += "  --drive LETTER=DIR[:TYPE[:FREE]]  a drive of the installation (fixed, removable, cdrom, remote)\n";
  text += "Exit codes: 0 installed (/VERIFY: the distribution holds); 1 could not start;\n"
          "            2 refused before anything was written; 3 /VERIFY found problems (listed);\n"
          "            4 failed during the installation (what it wrote is removed again).\n"
          "/UNINSTALL: 0 removed; 1 no installation found; 2 not confirmed; 4 files left (named).\n";
  return text;
}

bool HasAnySwitch(const std::vector<std::string>& args, std::initializer_list<std::string_view> names) {
  for (const std::string& arg : args) {
    const std::string upper = Upper(arg);
    for (std::string_view name : names) {
      if (upper == name) return true;
    }
  }
  return false;
}

}  // namespace tlx::app
