// trelvo: for now a console program that opens the remembered port and prints what the unit
// sends, each time a status byte arrives.

#include "core/decoder.h"
#include "core/display.h"
#include "core/receive.h"
#include "lang/string_table.h"
#include "serial/comm_control.h"
#include "settings/settings_store.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

namespace {

using trelvo::core::Field;

class ConsoleFields final : public trelvo::core::ValueFields {
public:
    void SetCaption(Field field, std::string_view utf8) override { m_caption[Index(field)] = utf8; }
    void SetToolTip(Field field, std::string_view utf8) override { m_toolTip[Index(field)] = utf8; }
    void SetPulseBar(double) override {}

    void Print() const
    {
        std::printf("SpO2 %-3s  Pulse %-3s  Status %s\n", m_caption[Index(Field::SpO2)].c_str(),
                    m_caption[Index(Field::Pulse)].c_str(), m_caption[Index(Field::Status)].c_str());
        std::fflush(stdout);
    }

private:
    static std::size_t Index(Field f) { return static_cast<std::size_t>(f); }
    std::string m_caption[3];
    std::string m_toolTip[3];
};

class ConsoleSink final : public trelvo::core::MeasurementSink {
public:
    ConsoleSink(const trelvo::core::MeasurementState& state, std::int16_t languageBase)
        : m_state(state), m_languageBase(languageBase)
    {
    }

    void ShowMeasurement() override
    {
        trelvo::core::ShowMeasurement(m_state, m_languageBase, m_fields);
        m_fields.Print();
    }
    void SoundPulseTone() override {}
    void DrawWaveSample(std::int16_t) override {}
    void ShowPulseBar(std::int16_t sample) override { trelvo::core::ShowPulseBar(sample, m_fields); }

private:
    const trelvo::core::MeasurementState& m_state;
    std::int16_t m_languageBase;
    ConsoleFields m_fields;
};

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);

    const trelvo::settings::StoredOptions options = trelvo::settings::LoadOptions();
    trelvo::serial::CommControl comm;
    comm.SetPortOverrides(trelvo::settings::LoadPortOverrides());

    trelvo::core::MeasurementState state;
    ConsoleSink sink(state, options.LanguageBase);
    trelvo::core::Decoder decoder(state, sink);

    QObject::connect(&comm, &trelvo::serial::CommControl::OnComm, &comm,
                     [&] { trelvo::core::HandleCommEvent(comm, decoder); });
    QObject::connect(&comm, &trelvo::serial::CommControl::DeviceLost, &app, [&](const QString& reason) {
        std::fprintf(stderr, "trelvo: COM%d (%s) was lost: %s\n", comm.CommPort(), comm.DevicePath().c_str(),
                     reason.toLocal8Bit().constData());
        QCoreApplication::exit(1);
    });

    try {
        comm.SetCommPort(options.PortNumber);
        comm.SetSettings(trelvo::serial::kOximeterLineSettings);
        comm.SetInputMode(static_cast<int>(trelvo::serial::InputMode::Binary));
        comm.SetRThreshold(1);
        comm.SetSThreshold(1);
        comm.SetPortOpen(true);
    } catch (const trelvo::serial::CommError& e) {
        std::fprintf(stderr, "trelvo: cannot open COM%d (%s): %s\n", comm.CommPort(), comm.DevicePath().c_str(),
                     e.what());
        return 1;
    }
    std::fprintf(stderr, "trelvo: listening on COM%d (%s)\n", comm.CommPort(), comm.DevicePath().c_str());
    return QCoreApplication::exec();
}
