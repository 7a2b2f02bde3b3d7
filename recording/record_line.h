#pragma once

#include <string>
#include <string_view>

namespace trelvo::recording {

// One line of the record file, from what the fields show:
//   "S " spo2 " P " pulse " T " time "  " status CR LF
// An empty SpO2 field (no data) gives "XX" and "XXX", whatever the pulse field shows. The
// texts are taken as they are (UTF-8); the record file turns the line into its encoding.
[[nodiscard]] std::string RecordLine(std::string_view spo2, std::string_view pulse, std::string_view time,
                                     std::string_view status);

}  // namespace trelvo::recording
