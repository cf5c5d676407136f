#include "sim/sim_config.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>

#include "shared/decimal_run.h"
#include "sim/sim_environment.h"

namespace vadro {
namespace sim {

namespace {

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t";
  std::string::size_type first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::string::size_type last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type end = text.find(separator, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

// A decimal integer within [low, high], nothing else around it but blanks.
bool ParseInteger(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& out) {
  std::string item = Trimmed(text);
  std::string::size_type i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '-' || item[i] == '+')) negative = item[i++] == '-';
  // Digits up to the end; past 2^32 a value is out of every range asked for.
  DecimalRun digits = ReadDecimalRun(item.data() + i, item.size() - i, kAnyDigitCount, std::int64_t{1} << 32);
  if (digits.length == 0 || digits.pastLimit || i + digits.length != item.size()) return false;
  std::int64_t value = negative ? -digits.value : digits.value;
  if (value < low || value > high) return false;
  out = value;
  return true;
}

// Each malformed value of a variable is named once per process, however often the library is
// initialised; a variable set to another malformed value meanwhile is named again.
void ReportMalformed(const char* name, const char* value) {
  static std::mutex lock;
  static auto* reported = new std::set<std::string>;
  std::lock_guard<std::mutex> guard(lock);
  if (!reported->insert(std::string(name) + "=" + value).second) return;
  std::fprintf(stderr, "usbcd_sim: %s=\"%s\" is malformed and ignored\n", name, value);
  std::fflush(stderr);
}

template <typename Value, typename Parser>
void ReadVariable(const char* name, Value& value, Parser parse) {
  std::string text;
  if (!ReadEnvironment(name, text)) return;
  if (!parse(text, value)) ReportMalformed(name, text.c_str());
}

}  // namespace

bool ParseDeviceIds(const std::string& text, std::vector<std::int32_t>& out) {
  std::vector<std::int32_t> ids;
  if (!Trimmed(text).empty()) {
    for (const std::string& item : Split(text, ',')) {
      std::int64_t id = 0;
      if (!ParseInteger(item, INT32_MIN, INT32_MAX, id)) return false;
      ids.push_back(static_cast<std::int32_t>(id));
    }
  }
  out = ids;
  return true;
}

bool ParseNonNegative(const std::string& text, std::int64_t& out) {
  return ParseInteger(text, 0, INT32_MAX, out);
}

bool ParseHangMode(const std::string& text, HangMode& out) {
  std::string mode = Trimmed(text);
  if (mode.empty()) {
    out = HangMode::kNone;
  } else if (mode == "status") {
    out = HangMode::kStatus;
  } else if (mode == "move") {
    out = HangMode::kMove;
  } else if (mode == "cddown") {
    out = HangMode::kCDDown;
  } else {
    return false;
  }
  return true;
}

bool ParsePlugSchedule(const std::string& text, std::vector<PlugEvent>& out) {
  std::vector<PlugEvent> events;
  for (const std::string& item : Split(text, ';')) {
    if (Trimmed(item).empty()) continue;  // allows a trailing ';'
    std::string::size_type colon = item.find(':');
    if (colon == std::string::npos) return false;
    PlugEvent event;
    if (!ParseNonNegative(item.substr(0, colon), event.atMs)) return false;
    if (!ParseDeviceIds(item.substr(colon + 1), event.devices)) return false;
    events.push_back(event);
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const PlugEvent& a, const PlugEvent& b) { return a.atMs < b.atMs; });
  out = events;
  return true;
}

SimConfig ReadSimConfig() {
  SimConfig config;
  ReadVariable("USBCD_SIM_DEVICES", config.devices, ParseDeviceIds);
  ReadVariable("USBCD_SIM_MOVE_MS", config.moveMs, ParseNonNegative);
  ReadVariable("USBCD_SIM_CDDOWN_MS", config.cdDownMs, ParseNonNegative);
  ReadVariable("USBCD_SIM_REFUSE_MOVES", config.refuseMoves, ParseNonNegative);
  ReadVariable("USBCD_SIM_RESET_MS", config.resetMs, ParseNonNegative);
  ReadVariable("USBCD_SIM_HANG", config.hang, ParseHangMode);
  ReadVariable("USBCD_SIM_PLUG", config.plugSchedule, ParsePlugSchedule);
  ReadVariable("USBCD_SIM_TRACE", config.tracePath,
               [](const std::string& text, std::string& path) { return path = text, true; });
  return config;
}

}  // namespace sim
}  // namespace vadro
