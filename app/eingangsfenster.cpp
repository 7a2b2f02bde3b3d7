#include "app/eingangsfenster.h"

#include "app/widgets/fonts.h"
#include "app/widgets/keys_help.h"
#include "app/widgets/legible.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"
#include "settings/settings_store.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace trelvo::app {

Eingangsfenster::Eingangsfenster(core::ProgramState& program, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_program(program)
{
    setObjectName(QStringLiteral("Eingangsfenster"));
    setWindowTitle(QStringLiteral("Korvant GmbH"));
    setFixedSize(Twips(0, 0, 9450, 3975).size());

    auto* banner = new QLabel(QStringLiteral("KV-200L - CORAL200L  - MIRAeco"), this);
    banner->setObjectName(QStringLiteral("Label1"));
    banner->setGeometry(Twips(360, 480, 8535, 855));
    banner->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    banner->setFont(Arial(18, true));
    banner->setTextFormat(Qt::PlainText);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips(360, 1920, 8535, 495));
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label3->setFont(Arial(18));
    Label3->setTextFormat(Qt::PlainText);
    QPalette red = Label3->palette();
    red.setColor(QPalette::WindowText, Legible(QColor(255, 0, 0), red.color(QPalette::Window)));
    Label3->setPalette(red);

    // End comes first in the tab order and so has the focus; neither button is the default.
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(Twips(4800, 2880, 1575, 615));
    OK_Button = new QPushButton(QStringLiteral("OK"), this);
    OK_Button->setObjectName(QStringLiteral("OK_Button"));
    OK_Button->setGeometry(Twips(2520, 2880, 1575, 615));
    for (QPushButton* button : {CancelButton, OK_Button}) {
        button->setFont(Arial(12));
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(CancelButton, OK_Button);
    CancelButton->setFocus();

    connect(OK_Button, &QPushButton::clicked, this, &Eingangsfenster::OK_Button_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Eingangsfenster::CancelButton_Click);
}

void Eingangsfenster::Form_Load()
{
    const settings::StoredOptions stored = settings::LoadOptions();
    m_program.LanguageBase = stored.LanguageBase;
    m_program.PortNumber = stored.PortNumber;
    const auto text = [this](int offset) { return lang::TextOf(m_program.LanguageBase, offset); };
    Label3->setText(text(lang::text::kNotForMonitoring));
    CancelButton->setText(text(lang::text::kEnd));
    lang::AssignMnemonics(*this);
}

void Eingangsfenster::OK_Button_Click()
{
    m_confirmed = true;
    close();
    emit Confirmed();
}

void Eingangsfenster::CancelButton_Click()
{
    close();
}

// Enter presses the focused button, as on any desktop; neither button is the default, so Enter
// never chooses for the user.
void Eingangsfenster::keyPressEvent(QKeyEvent* event)
{
    // Escape ends, as End does; F1 names the keys.
    if (event->key() == Qt::Key_Escape) {
        CancelButton_Click();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        ShowKeys(*this, m_program.LanguageBase, lang::text::kStartKeys);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void Eingangsfenster::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_confirmed)
        emit Ended();
}

}  // namespace trelvo::app
