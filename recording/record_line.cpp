#include "recording/record_line.h"

namespace trelvo::recording {

std::string RecordLine(std::string_view spo2, std::string_view pulse, std::string_view time, std::string_view status)
{
    const bool noData = spo2.empty();
    std::string line;
    line.reserve(24 + spo2.size() + pulse.size() + time.size() + status.size());
    line.append("S ").append(noData ? std::string_view("XX") : spo2);
    line.append(" P ").append(noData ? std::string_view("XXX") : pulse);
    line.append(" T ").append(time);
    line.append("  ").append(status);
    line.append("\r\n");
    return line;
}

}  // namespace trelvo::recording
