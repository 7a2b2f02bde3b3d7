#include "serial/comm_error.h"
#include "serial/line_settings.h"
#include "serial/port_map.h"

#include <gtest/gtest.h>

namespace trelvo::serial {
namespace {

TEST(LineSettings, TheOximetersLineParsesAndPrintsBack)
{
    const LineSettings s = ParseLineSettings(kOximeterLineSettings);
    EXPECT_EQ(s, (LineSettings{9600, Parity::None, 8, StopBits::One}));
    EXPECT_EQ(FormatLineSettings(s), kOximeterLineSettings);
}

TEST(LineSettings, OtherWellFormedTextsParse)
{
    EXPECT_EQ(ParseLineSettings("19200,E,7,2"), (LineSettings{19200, Parity::Even, 7, StopBits::Two}));
    EXPECT_EQ(ParseLineSettings(" 4800 , o , 5 , 1.5 "), (LineSettings{4800, Parity::Odd, 5, StopBits::OneAndHalf}));
    EXPECT_EQ(ParseLineSettings("300,m,6,1").parity, Parity::Mark);
    EXPECT_EQ(ParseLineSettings("300,s,6,1").parity, Parity::Space);
}

TEST(LineSettings, MalformedTextsAreRejectedWithTheReason)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "fewer than four"},         {"9600,n,8", "fewer than four"},
        {"9600,n,8,1,0", "more than four"}, {"fast,n,8,1", "baud"},
        {"-9600,n,8,1", "baud"},         {"0,n,8,1", "baud"},
        {"99999999999,n,8,1", "baud"},   {"9600,x,8,1", "parity"},
        {"9600,,8,1", "parity"},         {"9600,no,8,1", "parity"},
        {"9600,n,9,1", "data bits"},     {"9600,n,4,1", "data bits"},
        {"9600,n,8,3", "stop bits"},     {"9600,n,8,", "stop bits"},
    };
    for (const auto& [text, why] : cases) {
        try {
            (void)ParseLineSettings(text);
            ADD_FAILURE() << '"' << text << "\" was accepted";
        } catch (const CommError& e) {
            EXPECT_EQ(e.failure(), CommFailure::InvalidSettings);
            EXPECT_NE(e.reason().find(why), std::string::npos) << e.reason();
            EXPECT_NE(e.reason().find(text), std::string::npos) << "names the text: " << e.reason();
        }
    }
}

TEST(PortMap, UsbAdaptersComeFirst)
{
#ifdef _WIN32
    EXPECT_EQ(DefaultDevicePath(3), "COM3");
#else
    const char* expected[] = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3",
                              "/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyS0",   "/dev/ttyS1"};
    for (int n = kFirstPort; n <= kLastPort; ++n)
        EXPECT_EQ(DevicePath(n, {}), expected[n - 1]) << "COM" << n;
#endif
}

TEST(PortMap, OverridesReplaceTheirPortOnly)
{
    const PortOverrides overrides{{3, "/dev/serial/by-id/usb-unit"}, {5, ""}};
    EXPECT_EQ(DevicePath(3, overrides), "/dev/serial/by-id/usb-unit");
    EXPECT_EQ(DevicePath(5, overrides), DefaultDevicePath(5)) << "an empty override is no override";
    EXPECT_EQ(DevicePath(4, overrides), DefaultDevicePath(4));
}

}  // namespace
}  // namespace trelvo::serial
