// The main window's controls, at the places and in the colours and fonts they have always had.

#include "app/form1.h"
#include "app/version.h"
#include "app/widgets/accessible_faces.h"
#include "app/widgets/announcement.h"
#include "app/widgets/artwork.h"
#include "app/widgets/fonts.h"
#include "app/widgets/keys_help.h"
#include "app/widgets/legible.h"
#include "app/widgets/level_bar.h"
#include "app/widgets/value_label.h"
#include "app/widgets/wave_view.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "serial/port_map.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>

namespace trelvo::app {
namespace {

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

QColor WindowBackground()
{
    return ToQColor(core::SystemColour::WindowBackground);
}
QColor Highlight()
{
    return ToQColor(core::SystemColour::Highlight);
}
QColor MenuColour()
{
    return QApplication::palette("QMenu").color(QPalette::Window);
}

QString Latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

// The fields' colours, from the desktop's palette: set at the start and again when it changes.
void Form1::ApplyColours()
{
    const QColor base = WindowBackground();
    SetColours(*Label2, base, Highlight());
    SetColours(*Label1, base, Legible(QColor(0, 192, 0), base));
    SetColours(*Label4, MenuColour(), QColor());
    if (auto* version = findChild<QLabel*>(QStringLiteral("Label20")))
        SetColours(*version, QColor(),
                   Legible(QColor(64, 64, 64), palette().color(QPalette::Window), core::kSmallTextContrast));
    SetColours(*spo2wave, base, QColor());
}

void Form1::BuildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("TRELVO"));
    setWindowIcon(MakeWindowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(Arial(9.75));

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
    const auto valueLabel = [client](const char* name, QRect geometry) {
        auto* l = new ValueLabel(client);
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

    Label2 = valueLabel("Label2", Twips(360, 600, 2400, 2040));
    boxed(Label2);
    Label2->setFont(Arial(90, true));

    Pulse_bar = new LevelBar(core::kPulseBarMaximum, client);
    Pulse_bar->setObjectName(QStringLiteral("Pulse_bar"));
    Pulse_bar->setGeometry(Twips(3120, 600, 375, 2055));

    Label1 = valueLabel("Label1", Twips(3840, 600, 3240, 2040));
    boxed(Label1);
    Label1->setFont(Arial(90, true));

    label("Label5", Twips(360, 2760, 1095, 255), QStringLiteral("SpO2  [%]"));
    QLabel* pulseHeading = label("Label6", Twips(3840, 2760, 1335, 255), QStringLiteral("Pulse [1/min]"));
    lang::SetTag(*pulseHeading, lang::text::kPulseHeading);
    label("Label7", Twips(360, 3480, 615, 255), QStringLiteral("Status"));

    Label4 = label("Label4", Twips(1080, 3480, 1695, 375));
    boxed(Label4);
    Label4->setProperty(kReadsWithTextProperty, true);

    QLabel* logo = label("ImageKorvant", Twips(4200, 3480, 3000, 675));
    logo->setPixmap(MakeLogo());
    logo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QLabel* clockHeading = label("Label9", Twips(360, 4200, 495, 255), QStringLiteral("Time"));
    lang::SetTag(*clockHeading, lang::text::kClockHeading);
    LabTime = label("LabTime", Twips(1080, 4200, 1695, 375));
    boxed(LabTime);
    LabTime->setProperty(kReadsWithTextProperty, true);

    QLabel* version =
        label("Label20", Twips(4680, 4320, 2415, 495), QStringLiteral(" V") + QString::fromLatin1(kVersion));
    version->setAlignment(Qt::AlignRight | Qt::AlignTop);
    version->setFont(Arial(14.25));

    m_alert = new Announcement(client, true);
    m_news = new Announcement(client, false);

    spo2wave = new WaveView(client);
    spo2wave->setObjectName(QStringLiteral("spo2wave"));
    spo2wave->setGeometry(Twips(360, 4920, 6735, 2295));

    StsBar1 = new QStatusBar(this);
    StsBar1->setObjectName(QStringLiteral("StsBar1"));
    StsBar1->setSizeGripEnabled(false);
    StsBar1->setFixedHeight(Twips(0, 0, 0, 375).height());
    // The one text is a label of its own: QStatusBar's message is wiped by every menu item the
    // mouse passes over.
    m_statusText = new QLabel(StsBar1);
    m_statusText->setObjectName(QStringLiteral("SimpleText"));
    m_statusText->setTextFormat(Qt::PlainText);
    StsBar1->addWidget(m_statusText, 1);
    setStatusBar(StsBar1);
    ApplyColours();

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
    const auto item = [](QMenu* m, const QString& name, const QString& caption, bool checkable, bool checked) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        a->setCheckable(checkable);
        a->setChecked(checked);
        return a;
    };

    menDatei = menu("menDatei", QStringLiteral("File"));
    menSpeichern = item(menDatei, QStringLiteral("menSpeichern"), QStringLiteral("Save"), true, false);
    connect(menSpeichern, &QAction::triggered, this, &Form1::menSpeichern_Click);
    menEnde = item(menDatei, QStringLiteral("menEnde"), QStringLiteral("End"), false, false);
    menEnde->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(menEnde, &QAction::triggered, this, &Form1::menEnde_Click);

    QMenu* menPort = menu("menPort", QStringLiteral("Port"));
    for (int n = serial::kFirstPort; n <= serial::kLastPort; ++n) {
        QAction* a = item(menPort, QStringLiteral("setCOM%1").arg(n), QStringLiteral("COM%1").arg(n), true, false);
        connect(a, &QAction::triggered, this, [this, n] { setCOM_Click(n); });
        setCOM[static_cast<std::size_t>(n - 1)] = a;
    }
    ShowPortMenu();

    menBeep = menu("menBeep", QStringLiteral("Tone"));
    setBeep = item(menBeep, QStringLiteral("setBeep"), QStringLiteral("Pulse Tone"), true, true);
    connect(setBeep, &QAction::triggered, this, &Form1::setBeep_Click);

    menLanguage = menu("menLanguage", QStringLiteral("Language"));
    for (const lang::Language& language : lang::Languages()) {
        const std::size_t index = setLang.size();
        QAction* a = item(menLanguage, Latin1(language.menuName),
                          QString::fromUtf8(language.caption.data(), static_cast<qsizetype>(language.caption.size())),
                          true, false);
        connect(a, &QAction::triggered, this, [this, index] { setLang_Click(index); });
        setLang.push_back(a);
    }

    menNights = menu("menNights", QStringLiteral("Nights"));
    setNights = item(menNights, QStringLiteral("setNights"), QStringLiteral("View Nights …"), false, false);
    // Ctrl+H as a browser's history of the nights; Ctrl+N, which desktops read as "New", still works.
    setNights->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_H), QKeySequence(Qt::CTRL | Qt::Key_N)});
    connect(setNights, &QAction::triggered, this, &Form1::setNights_Click);

    // F1 the keys of this window, F10 the menu bar.
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
        ShowKeys(*this, static_cast<std::int16_t>(m_session.State().LanguageBase), lang::text::kMainKeys);
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::MenuBarFocusReason);
        menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
}

}  // namespace trelvo::app
