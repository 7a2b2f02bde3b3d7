#include "app/form1.h"

#include "app/alsa_beep.h"
#include "app/artwork.h"
#include "app/fonts.h"
#include "app/frame_clock.h"
#include "app/level_bar.h"
#include "app/perf_trace.h"
#include "app/port_messages.h"
#include "app/recording_adapters.h"
#include "app/sleep_guard.h"
#include "app/wave_view.h"
#include "core/receive.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "recording/time_text.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>

namespace trelvo::app {
namespace {

QString FromUtf8(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void SetColours(QWidget& w, const QColor& background, const QColor& text)
{
    QPalette palette = w.palette();
    if (background.isValid())
        palette.setColor(QPalette::Window, background);
    if (text.isValid())
        palette.setColor(QPalette::WindowText, text);
    w.setPalette(palette);
    w.setAutoFillBackground(background.isValid());
}

QColor WindowBackground() { return ToQColor(core::SystemColour::WindowBackground); }
QColor Highlight() { return ToQColor(core::SystemColour::Highlight); }
QColor MenuColour() { return QApplication::palette("QMenu").color(QPalette::Window); }

}  // namespace

Form1::Form1(core::ProgramState& program, Form1Devices devices, QWidget* parent)
    : QMainWindow(parent), m_program(program), m_serial(m_comm, *this, program.PortNumber),
      m_decoder(m_measurement, *this),
      m_toneOutput(devices.tone ? std::move(devices.tone) : std::make_unique<AlsaBeep>()),
      m_tone(m_measurement, *m_toneOutput), m_watchdog(m_measurement, program.LanguageBase, *this),
      m_saveDialog(devices.saveDialog ? std::move(devices.saveDialog) : std::make_unique<FileSaveDialog>(this)),
      m_clock(devices.clock ? std::move(devices.clock) : std::make_unique<SystemClock>()),
      m_recorder(program, *this, *m_clock, *m_saveDialog, m_recordStore, *this),
      m_sleepGuard(devices.sleepGuard ? std::move(devices.sleepGuard) : std::make_unique<SleepGuard>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TRELVO"));
    setWindowIcon(MakeWindowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(Arial(9.75));

    m_showMessage = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("TRELVO"), text); };
    m_comm.setObjectName(QStringLiteral("MSComm1"));
    m_comm.SetPortOverrides(settings::LoadPortOverrides());

    BuildControls();
    BuildMenus();

    connect(&m_comm, &serial::CommControl::OnComm, this, &Form1::MSComm1_OnComm);
    connect(&m_comm, &serial::CommControl::DeviceLost, this, [this](const QString& reason) {
        std::fprintf(stderr, "trelvo: COM%d (%s): %s\n", m_comm.CommPort(), m_comm.DevicePath().c_str(),
                     qPrintable(reason));
    });

    // All three tick from the window's creation to the program's end.
    Timer1.setInterval(500);
    Timer2.setInterval(200);
    Timer3.setInterval(700);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    Timer1.start();
    Timer2.start();
    Timer3.start();
}

Form1::~Form1() = default;

void Form1::BuildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(Twips(0, 0, 7440, 7305).size());
    setCentralWidget(client);

    const auto label = [client](const char* name, QRect geometry, const QString& caption = {}) {
        auto* l = new QLabel(caption, client);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(geometry);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    const auto boxed = [](QLabel* l) {
        l->setFrameStyle(QFrame::Box | QFrame::Plain);
        l->setLineWidth(1);
        // Centred both ways: top-aligned, Qt pushes a line taller than the box down and cuts it.
        l->setAlignment(Qt::AlignCenter);
    };

    QLabel* banner = label("Label3", Twips(360, 120, 6735, 375), QStringLiteral("KV-200L - CORAL200L - MIRAeco"));
    banner->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    banner->setFont(Arial(12, true));

    Label2 = label("Label2", Twips(360, 600, 2400, 2040));
    boxed(Label2);
    Label2->setFont(Arial(90, true));
    SetColours(*Label2, WindowBackground(), Highlight());

    m_frames = new FrameClock(this);
    Pulse_bar = new LevelBar(static_cast<int>(core::kPulseBarMaximum), *m_frames, client);
    Pulse_bar->setObjectName(QStringLiteral("Pulse_bar"));
    Pulse_bar->setGeometry(Twips(3120, 600, 375, 2055));

    Label1 = label("Label1", Twips(3840, 600, 3240, 2040));
    boxed(Label1);
    Label1->setFont(Arial(90, true));
    SetColours(*Label1, WindowBackground(), QColor(0, 192, 0));

    label("Label5", Twips(360, 2760, 1095, 255), QStringLiteral("SpO2  [%]"));
    QLabel* pulseHeading = label("Label6", Twips(3840, 2760, 1335, 255), QStringLiteral("Pulse [1/min]"));
    pulseHeading->setProperty(lang::kTagProperty, QString::number(lang::text::kPulseHeading));
    label("Label7", Twips(360, 3480, 615, 255), QStringLiteral("Status"));

    Label4 = label("Label4", Twips(1080, 3480, 1695, 375));
    boxed(Label4);
    SetColours(*Label4, MenuColour(), QColor());

    QLabel* logo = label("ImageKorvant", Twips(4200, 3480, 3000, 675));
    logo->setPixmap(MakeLogo());
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QLabel* clockHeading = label("Label9", Twips(360, 4200, 495, 255), QStringLiteral("Time"));
    clockHeading->setProperty(lang::kTagProperty, QString::number(lang::text::kClockHeading));
    LabTime = label("LabTime", Twips(1080, 4200, 1695, 375));
    boxed(LabTime);

    QLabel* version = label("Label20", Twips(4680, 4320, 2415, 495), QStringLiteral(" V1.51"));
    version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    version->setFont(Arial(14.25));
    SetColours(*version, QColor(), QColor(64, 64, 64));

    spo2wave = new WaveView(*m_frames, client);
    spo2wave->setObjectName(QStringLiteral("spo2wave"));
    spo2wave->setGeometry(Twips(360, 4920, 6735, 2295));
    SetColours(*spo2wave, WindowBackground(), QColor());
    m_trace = std::make_unique<core::WaveTrace>(m_measurement, *spo2wave);

    StsBar1 = new QStatusBar(this);
    StsBar1->setObjectName(QStringLiteral("StsBar1"));
    StsBar1->setSizeGripEnabled(false);
    StsBar1->setFixedHeight(Twips(0, 0, 0, 375).height());
    setStatusBar(StsBar1);

    // Controls sit at fixed positions; the window keeps the size they need.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1::BuildMenus()
{
    const auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(true);
        return m;
    };
    const auto item = [](QMenu* m, const char* name, const QString& caption, bool checkable, bool checked) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        a->setChecked(checked);
        return a;
    };

    QMenu* menDatei = menu("menDatei", QStringLiteral("File"));
    menSpeichern = item(menDatei, "menSpeichern", QStringLiteral("Save"), true, false);
    connect(menSpeichern, &QAction::triggered, this, &Form1::menSpeichern_Click);
    menEnde = item(menDatei, "menEnde", QStringLiteral("End"), false, false);
    connect(menEnde, &QAction::triggered, this, &Form1::menEnde_Click);

    QMenu* menPort = menu("menPort", QStringLiteral("Port"));
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n) {
        const QByteArray name = "setCOM" + QByteArray::number(n);
        QAction* a = item(menPort, name.constData(), QStringLiteral("COM%1").arg(n), true, n == 1);
        a->setToolTip(QString::fromStdString(serial::DevicePath(n, m_comm.PortOverridesInUse())));
        connect(a, &QAction::triggered, this, [this, n] { setCOM_Click(n); });
        setCOM[static_cast<std::size_t>(n - 1)] = a;
    }

    QMenu* menBeep = menu("menBeep", QStringLiteral("Tone"));
    setBeep = item(menBeep, "setBeep", QStringLiteral("Pulse Tone"), true, true);
    m_tone.SetChecked(true);
    connect(setBeep, &QAction::triggered, this, &Form1::setBeep_Click);

    QMenu* menLanguage = menu("menLanguage", QStringLiteral("Language"));
    setLangGerman = item(menLanguage, "setLangGerman", QStringLiteral("Deutsch"), true, false);
    setLangEnglish = item(menLanguage, "setLangEnglish", QStringLiteral("English"), true, false);
    connect(setLangGerman, &QAction::triggered, this, &Form1::setLangGerman_Click);
    connect(setLangEnglish, &QAction::triggered, this, &Form1::setLangEnglish_Click);
}

void Form1::Form_Load()
{
    lang::AssignCaptionTags(*this);
    lang::ApplyLanguage(m_program.LanguageBase, m_program.Recording, QString::fromStdString(m_program.RecordFileName));
    // A port that does not open at start-up stays silent: the no-data warning shows instead.
    if (const auto failure = m_serial.InitSerialPort())
        std::fprintf(stderr, "trelvo: no port opened at start-up: %s\n", failure->what());
    m_tone.SetChecked(false);
    setBeep->setChecked(false);
    Pulse_bar->setValue(0);
    lang::SetSimpleText(*StsBar1, lang::RecordingStatusText(m_program.LanguageBase, false, {}));
}

void Form1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_comm.PortOpen())
        m_comm.SetPortOpen(false);
    m_recorder.CloseRecordFile();
    if (!settings::SaveOptions({m_program.LanguageBase, m_program.PortNumber}))
        std::fprintf(stderr, "trelvo: the settings could not be saved\n");
    // Nothing may run after this: no tick, no receive event.
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    emit ProgramEnds();
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Form1::menEnde_Click()
{
    Form_Unload();
}

void Form1::setCOM_Click(int index)
{
    try {
        m_serial.setCOM_Click(static_cast<std::int16_t>(index));
    } catch (const serial::CommError& e) {
        m_showMessage(PortOpenFailedMessage(m_program.LanguageBase, index, e));
    }
}

void Form1::setBeep_Click()
{
    // The menu has toggled its own mark already; the tone's switch decides what it shows.
    m_tone.setBeep_Click();
    setBeep->setChecked(m_tone.Checked());
}

// The texts switch first and the language is stored after; nothing is written to the settings
// until the program ends.
void Form1::setLangGerman_Click()
{
    lang::ApplyLanguage(lang::kGerman, m_program.Recording, QString::fromStdString(m_program.RecordFileName));
    m_program.LanguageBase = lang::kGerman;
}

void Form1::setLangEnglish_Click()
{
    lang::ApplyLanguage(lang::kEnglish, m_program.Recording, QString::fromStdString(m_program.RecordFileName));
    m_program.LanguageBase = lang::kEnglish;
}

void Form1::menSpeichern_Click()
{
    m_recorder.menSpeichern_Click();
}

void Form1::Timer1_Timer()
{
    m_recorder.Timer1_Timer();
}

void Form1::Timer3_Timer()
{
    m_watchdog.Timer3_Timer();
}

void Form1::Timer2_Timer()
{
    CurrentTime = QTime::currentTime();
    LabTime->setText(recording::TimeText(CurrentTime));
}

void Form1::MSComm1_OnComm()
{
    core::HandleCommEvent(m_comm, m_decoder);
}

void Form1::ShowMeasurement()
{
    core::ShowMeasurement(m_measurement, m_program.LanguageBase, *this);
}

void Form1::SoundPulseTone()
{
    m_tone.SoundPulseTone();
}

void Form1::DrawWaveSample(std::int16_t sample)
{
    m_trace->DrawWaveSample(sample);
}

void Form1::ShowPulseBar(std::int16_t sample)
{
    core::ShowPulseBar(sample, *this);
}

QLabel* Form1::FieldLabel(core::Field field) const
{
    switch (field) {
    case core::Field::SpO2: return Label2;
    case core::Field::Pulse: return Label1;
    case core::Field::Status: return Label4;
    }
    return Label4;
}

void Form1::SetCaption(core::Field field, std::string_view utf8)
{
    QLabel* label = FieldLabel(field);
    const QString text = FromUtf8(utf8);
    if (PerfTraceOn() && field == core::Field::SpO2 && label->text() != text)
        PerfTrace("spo2-text", text.toLong());
    label->setText(text);
}

void Form1::SetToolTip(core::Field field, std::string_view utf8)
{
    FieldLabel(field)->setToolTip(FromUtf8(utf8));
}

void Form1::SetPulseBar(double value)
{
    Pulse_bar->setValue(qRound(value));
}

void Form1::SetBackColor(core::Field field, core::Colour colour)
{
    QLabel* label = FieldLabel(field);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    label->setPalette(palette);
}

void Form1::SetPortEnabled(int n, bool enabled)
{
    setCOM.at(static_cast<std::size_t>(n - 1))->setEnabled(enabled);
}

bool Form1::PortEnabled(int n) const
{
    return setCOM.at(static_cast<std::size_t>(n - 1))->isEnabled();
}

void Form1::SetPortChecked(int n, bool checked)
{
    setCOM.at(static_cast<std::size_t>(n - 1))->setChecked(checked);
}

void Form1::SetPortUnusable(int n, const serial::CommError& why)
{
    setCOM.at(static_cast<std::size_t>(n - 1))->setToolTip(UnusablePortToolTip(m_program.LanguageBase, why));
}

void Form1::SetPortUsable(int n, const std::string& device)
{
    setCOM.at(static_cast<std::size_t>(n - 1))->setToolTip(QString::fromStdString(device));
}

std::string Form1::Caption(core::Field field) const
{
    // The record file is plain 8-bit text in the system's encoding.
    return FieldLabel(field)->text().toLocal8Bit().toStdString();
}

void Form1::SetSaveChecked(bool checked)
{
    menSpeichern->setChecked(checked);
}

void Form1::SetStatusText(std::string_view utf8)
{
    lang::SetSimpleText(*StsBar1, FromUtf8(utf8));
}

void Form1::SetRecordingActive(bool active)
{
    if (active)
        m_sleepGuard->Take(QStringLiteral("Recording the oximeter's readings"));
    else
        m_sleepGuard->Release();
}

void Form1::ShowMessage(std::string_view utf8)
{
    m_showMessage(FromUtf8(utf8));
}

}  // namespace trelvo::app
