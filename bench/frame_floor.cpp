// The floor under the program's CPU figure: the same main window at the same frame pace, drawing
// the same sweep (a hundred wave samples a second) and bar, with no serial line and no stream
// decoded. Once a second it hands the pipeline the four bytes of a reading, so that the value
// fields and the no-data watchdog look as they do with a unit sending. bench/run-program measures
// it with TRELVO_FLOOR=1.

#include "app/form1.h"
#include "app/platform/display_setup.h"
#include "serial/serial_line.h"
#include "support/fakes.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include <array>
#include <cmath>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace trelvo;
    app::PrepareDisplay();
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    core::ProgramState program;
    app::SessionDevices devices;
    devices.tone = std::make_unique<test::SilentTone>();
    app::Session session(program, std::move(devices));
    app::Form1 form(session);
    form.Form_Load();
    form.show();

    // One beat a second, 100 samples a second: three or four samples a frame.
    std::vector<std::uint8_t> wave(100);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] =
            static_cast<std::uint8_t>(120 + 100 * std::exp(-std::pow((static_cast<double>(i) - 20.0) / 8.0, 2.0)));
    std::size_t at = 0;
    int frame = 0;
    const std::array<std::uint8_t, 4> reading{249, 97, 251, 0};

    QTimer frames;
    frames.setInterval(serial::SerialLine::kFrameMilliseconds);
    QObject::connect(&frames, &QTimer::timeout, [&] {
        const std::size_t n = frame % 3 == 2 ? 4 : 3;
        std::array<std::uint8_t, 4> samples{};
        for (std::size_t i = 0; i < n; ++i)
            samples[i] = wave[at++ % wave.size()];
        session.DrivenPipeline().Trace().DrawWaveSamples(std::span(samples.data(), n));
        if (++frame % 30 == 0)
            session.DrivenPipeline().Decode(reading, 0);
        emit session.Updated();
    });
    frames.start();
    return QApplication::exec();
}
