#include "app/answer_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "messages/zerror.h"
#include "store/settings_file.h"
#include "store/sfile.h"

namespace tlx::app {
namespace {

// The on/off keys of the [Settings] section are the settings window's control names.
const auto& kFlags = store::kSettingsChoices;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::optional<bool> Flag(std::string_view value) {
  if (value == "1") return true;
  if (value == "0") return false;
  return std::nullopt;
}

// "HH:MM" as a day fraction.
std::optional<double> TimeOfDay(std::string_view value) {
  if (value.size() != 5 || value[2] != ':') return std::nullopt;
  for (std::size_t i : {0u, 1u, 3u, 4u})
    if (!std::isdigit(static_cast<unsigned char>(value[i]))) return std::nullopt;
  const int hours = (value[0] - '0') * 10 + (value[1] - '0');
  const int minutes = (value[3] - '0') * 10 + (value[4] - '0');
  if (hours > 23 || minutes > 59) return std::nullopt;
  return (hours * 60 + minutes) / 1440.0;
}

std::string TimeText(double date_time) {
  const double fraction = std::fabs(date_time - std::trunc(date_time));
  const long minutes = std::lround(fraction * 1440) % 1440;
  char text[8];
  std::snprintf(text, sizeof text, "%02ld:%02ld", minutes / 60, minutes % 60);
  return text;
}

}  // namespace

bool ParseAnswers(std::string_view text, SetupAnswers& answers, std::string* error) {
  std::string section;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    std::string_view line = Trim(raw);
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line = Trim(line.substr(3));
    const auto fail = [&](const std::string& what) {
      *error = "line " + std::to_string(number) + ": " + what;
      return false;
    };
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("a section needs its closing \"]\"");
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      if (section != "setup" && section != "settings") return fail("unknown section [" + std::string(line) + "]");
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail("expected key=value");
    const std::string key = Lower(Trim(line.substr(0, equals)));
    std::string value(Trim(line.substr(equals + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    const auto bad_value = [&] { return fail("bad value \"" + value + "\" for " + key); };
    if (section == "setup") {
      if (key == "variant") {
        if (value != "0" && value != "1") return bad_value();
        answers.variant = value == "0" ? 0 : 1;
      } else if (key == "dir") {
        if (value.empty()) return bad_value();
        answers.dir = value;
      } else if (key == "shortcut") {
        answers.shortcut = value;
      } else if (key == "noshortcut") {
        const std::optional<bool> flag = Flag(value);
        if (!flag) return bad_value();
        answers.no_shortcut = *flag;
      } else {
        return fail("unknown key " + key + " in [Setup]");
      }
    } else if (section == "settings") {
      const auto flag_key = std::find_if(std::begin(kFlags), std::end(kFlags),
                                         [&](const store::SettingsChoice& f) { return Lower(f.control) == key; });
      if (flag_key != std::end(kFlags)) {
        const std::optional<bool> flag = Flag(value);
        if (!flag) return bad_value();
        answers.settings.*(flag_key->field) = *flag;
      } else if (key == "autotime") {
        const std::optional<double> time = TimeOfDay(value);
        if (!time) return bad_value();
        answers.settings.AutoDtTm = *time;
      } else if (key == "scale") {
        if (value.size() != 1 || value[0] < '0' || value[0] > '4') return bad_value();
        answers.settings.Scale = value[0] - '0';
      } else {
        return fail("unknown key " + key + " in [Settings]");
      }
    } else {
      return fail("a key before the first section");
    }
  }
  answers.settings.CbAutoClick();
  return true;
}

std::string FormatAnswers(const SetupAnswers& answers) {
  std::string text = "[Setup]\r\n";
  text += "Variant=" + std::to_string(answers.variant) + "\r\n";
  text += "Dir=" + answers.dir + "\r\n";
  text += "Shortcut=" + answers.shortcut + "\r\n";
  text += std::string("NoShortcut=") + (answers.no_shortcut ? "1" : "0") + "\r\n";
  text += "\r\n[Settings]\r\n";
  for (const store::SettingsChoice& f : kFlags) text += std::string(f.control) + "=" + (answers.settings.*(f.field) ? "1" : "0") + "\r\n";
  text += "AutoTime=" + TimeText(answers.settings.AutoDtTm) + "\r\n";
  text += "Scale=" + std::to_string(answers.settings.Scale) + "\r\n";
  return text;
}

void LoadAnswers(const std::string& path, SetupAnswers& answers) {
  store::SFile file(path, store::kSFileRead);
  std::string text;
  char buffer[4096];
  while (const uint32_t got = file.Read(buffer, sizeof buffer)) {
    text.append(buffer, got);
    if (text.size() > (1u << 20)) messages::RaiseMsg("Файл " + path + ": answer file larger than 1 MB", messages::kMsgFinalText);
  }
  std::string error;
  if (!ParseAnswers(text, answers, &error))
    messages::RaiseMsg("Файл " + path + ": " + error, messages::kMsgFinalText);
}

void SaveAnswers(const std::string& path, const SetupAnswers& answers) {
  const std::string text = FormatAnswers(answers);
  store::ReplaceFileContents(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace tlx::app
