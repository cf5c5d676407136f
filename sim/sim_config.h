// What the simulated carousels do, read from USBCD_SIM_* environment variables.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vadro {
namespace sim {

// The call that never answers 0 (USBCD_SIM_HANG).
enum class HangMode { kNone, kStatus, kMove, kCDDown };

// One device change of USBCD_SIM_PLUG: `atMs` after InitUSBCDLibrary the attached set becomes `devices`.
struct PlugEvent {
  std::int64_t atMs = 0;
  std::vector<std::int32_t> devices;
};

struct SimConfig {
  std::vector<std::int32_t> devices{101, 102};
  std::int64_t moveMs = 1500;
  std::int64_t cdDownMs = 500;
  std::int64_t refuseMoves = 0;
  std::int64_t resetMs = 0;
  HangMode hang = HangMode::kNone;
  std::vector<PlugEvent> plugSchedule;  // in time order
  std::string tracePath;                // empty: no trace
};

// Parsers of the variables' values; each returns false on a malformed value and then leaves `out`
// alone. Items may be surrounded by blanks.
bool ParseDeviceIds(const std::string& text, std::vector<std::int32_t>& out);  // "3,7"; "" is none
bool ParseNonNegative(const std::string& text, std::int64_t& out);             // 0 .. 2^31-1
bool ParseHangMode(const std::string& text, HangMode& out);                    // status|move|cddown|""
bool ParsePlugSchedule(const std::string& text, std::vector<PlugEvent>& out);  // "500:3,7;900:"

// The configuration from the environment. A malformed variable keeps its default and is reported
// on stderr, once per variable for the whole process.
SimConfig ReadSimConfig();

}  // namespace sim
}  // namespace vadro
