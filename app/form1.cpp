#include "app/form1.h"

#include "app/widgets/announcement.h"
#include "app/widgets/level_bar.h"
#include "app/widgets/value_label.h"
#include "app/widgets/wave_view.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "recording/time_text.h"

#include <QAccessible>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

namespace trelvo::app {
namespace {

QString FromUtf8(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A few milliseconds into the next second, so that the tick never lands just before it.
int MillisecondsToNextSecond(const QTime& now)
{
    return 1000 - now.msec() + 3;
}

// "SpO2 96 percent"; a field without a value says so after its name.
QString SpokenValue(std::int16_t base, int say, int name, const QString& text)
{
    if (!core::HasValue(text.toStdString()))
        return lang::TextOf(base, name) + QStringLiteral(", ") + lang::TextOf(base, lang::text::kNoValue);
    return lang::TextOf(base, say).arg(text);
}

// A caption or tooltip as a sentence of its own, so a reader pauses after it.
QString Sentence(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || QStringLiteral(".!?").contains(trimmed.back()))
        return trimmed;
    return trimmed + QLatin1Char('.');
}

void SetBackColor(QLabel& label, const core::Colour& colour)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    label.setPalette(palette);
}

}  // namespace

Form1::Form1(Session& session, QWidget* parent) : QMainWindow(parent), m_session(session)
{
    m_showMessage = [this](const QString& text) { QMessageBox::warning(this, QStringLiteral("TRELVO"), text); };
    BuildControls();
    BuildMenus();
    const auto language = [this] { return m_session.State().LanguageBase; };
    Label2->SetSpeech([language](const QString& text) {
        return SpokenValue(language(), lang::text::kSaySpO2, lang::text::kNameSpO2, text);
    });
    Label1->SetSpeech([language](const QString& text) {
        return SpokenValue(language(), lang::text::kSayPulse, lang::text::kNamePulse, text);
    });
    m_sinceStart.start();
    m_session.SetTraceWidth(static_cast<float>(spo2wave->contentsRect().width()));

    connect(&m_session, &Session::Updated, this, &Form1::ShowUpdate);
    connect(&m_session, &Session::PortMenuChanged, this, &Form1::ShowPortMenu);
    connect(&m_session, &Session::RecordingChanged, this, &Form1::ShowRecordingState);
    connect(&m_session, &Session::Message, this, [this](const QString& text) { m_showMessage(text); });
    connect(&m_session, &Session::Ended, this, &Form1::ProgramEnds);

    // The clock ticks first 200 ms after the window's creation, then just after each second
    // begins, to the program's end: the label changes on time, and the window wakes once a second
    // for it, not five times.
    Timer2.setSingleShot(true);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    Timer2.start(200);
}

Form1::~Form1() = default;

QLabel& Form1::SpO2Field() noexcept
{
    return *Label2;
}

void Form1::AssignCaptionTags()
{
    lang::SetTag(*menDatei, lang::text::kMenuFile);
    lang::SetTag(*menSpeichern, lang::text::kMenuSave);
    lang::SetTag(*menEnde, lang::text::kEnd);
    lang::SetTag(*menBeep, lang::text::kMenuTone);
    lang::SetTag(*setBeep, lang::text::kMenuPulseTone);
    lang::SetTag(*menLanguage, lang::text::kMenuLanguage);
    lang::SetTag(*menNights, lang::text::kMenuNights);
    lang::SetTag(*setNights, lang::text::kMenuShowNights);
    // Values and pictures are named with their units to a screen reader.
    lang::SetNameTag(*Label2, lang::text::kNameSpO2);
    lang::SetNameTag(*Label1, lang::text::kNamePulse);
    lang::SetNameTag(*Label4, lang::text::kNameProbeStatus);
    lang::SetNameTag(*LabTime, lang::text::kNameTime);
    lang::SetNameTag(*Pulse_bar, lang::text::kNamePulseBar);
    lang::SetNameTag(*spo2wave, lang::text::kNameWave);
    lang::SetNameTag(*StsBar1, lang::text::kNameStatusLine);
    if (auto* logo = findChild<QLabel*>(QStringLiteral("ImageKorvant")))
        lang::SetNameTag(*logo, lang::text::kNameLogo);
}

void Form1::Form_Load()
{
    AssignCaptionTags();
    lang::ApplyLanguage(m_session.State().LanguageBase);
    CheckLanguage(m_session.State().LanguageBase);
    m_session.Start();
    setBeep->setChecked(false);
    Pulse_bar->setValue(0);
}

void Form1::Form_Unload()
{
    m_unloaded = true;
    m_session.Shutdown();
    Timer2.stop();
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Form1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::PaletteChange)
        return;
    ApplyColours();
    SetBackColor(*Label2, m_shown.SpO2Back);
    SetBackColor(*Label1, m_shown.PulseBack);
}

void Form1::menEnde_Click()
{
    Form_Unload();
}

void Form1::setCOM_Click(int index)
{
    m_session.SelectPort(index);
}

void Form1::setBeep_Click()
{
    // The menu has toggled its own mark already; the tone's switch decides what it shows.
    m_session.TogglePulseTone();
    setBeep->setChecked(m_session.PulseToneOn());
}

void Form1::menSpeichern_Click()
{
    m_session.ToggleRecording();
    menSpeichern->setChecked(m_session.SaveChecked());
}

void Form1::setLang_Click(std::size_t index)
{
    emit LanguageChosen(lang::Languages()[index].base);
}

void Form1::setNights_Click()
{
    emit NightsAsked();
}

void Form1::CheckLanguage(std::int32_t base)
{
    // Any base the table does not know counts as English.
    const bool known = lang::IsLanguage(base);
    for (std::size_t i = 0; i < setLang.size(); ++i) {
        const std::int16_t itemBase = lang::Languages()[i].base;
        setLang[i]->setChecked(known ? itemBase == base : itemBase == lang::kEnglish);
    }
}

void Form1::Timer2_Timer()
{
    CurrentTime = QTime::currentTime();
    // Five ticks a second, a new text once a second: only that one is painted.
    QString text = recording::TimeText(CurrentTime);
    if (text != m_clockText) {
        m_clockText = std::move(text);
        LabTime->setText(m_clockText);
    }
    if (!m_unloaded)
        Timer2.start(MillisecondsToNextSecond(CurrentTime));
}

// Only what changed goes to the controls, and all of it is painted in this same wake-up: the
// trace columns the sweep moved through and the bar with nearly every batch from the line, the
// texts about once a second.
void Form1::ShowUpdate()
{
    m_session.TakeTraceSteps([this](std::span<const core::TraceStep> steps) { spo2wave->DrawSteps(steps); });
    spo2wave->ShowChanges();

    const core::Reading& now = m_session.CurrentReading();
    if (now.SpO2Text != m_shown.SpO2Text) {
        Label2->setText(FromUtf8(now.SpO2Text));
    }
    if (now.PulseText != m_shown.PulseText)
        Label1->setText(FromUtf8(now.PulseText));
    if (now.StatusText != m_shown.StatusText)
        Label4->setText(FromUtf8(now.StatusText));
    if (now.StatusTip != m_shown.StatusTip)
        Label4->setToolTip(FromUtf8(now.StatusTip));
    if (now.SpO2Back != m_shown.SpO2Back)
        SetBackColor(*Label2, now.SpO2Back);
    if (now.PulseBack != m_shown.PulseBack)
        SetBackColor(*Label1, now.PulseBack);
    Pulse_bar->setValue(now.Bar);
    m_shown = now;
    if (const auto tell = m_announcer.Next(m_sinceStart.elapsed(), m_shown))
        Announce(*tell);
}

void Form1::Announce(core::Announcer::Tell tell)
{
    QStringList said;
    if (tell == core::Announcer::Tell::Alert)
        said << Sentence(Label4->text()) << Sentence(Label4->toolTip());
    QStringList values;
    for (ValueLabel* field : {Label2, Label1}) {
        if (!core::HasValue(field->text().toStdString()))
            continue;
        values << field->Spoken();
        if (QAccessible::isActive()) {
            QAccessibleEvent renamed(field, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
    }
    if (!values.isEmpty())
        said << values.join(QStringLiteral(", ")) + QLatin1Char('.');
    said.removeAll(QString());
    (tell == core::Announcer::Tell::Alert ? m_alert : m_news)->Say(said.join(QLatin1Char(' ')));
}

void Form1::ShowPortMenu()
{
    for (int n = 1; n <= 8; ++n) {
        const PortItem& item = m_session.Port(n);
        QAction* action = setCOM[static_cast<std::size_t>(n - 1)];
        action->setEnabled(item.enabled);
        action->setChecked(item.checked);
        action->setToolTip(item.toolTip);
    }
}

void Form1::ShowRecordingState()
{
    menSpeichern->setChecked(m_session.SaveChecked());
    if (m_statusText->text() == m_session.StatusText())
        return;
    m_statusText->setText(m_session.StatusText());
    m_news->Say(m_session.StatusText());
}

}  // namespace trelvo::app
