#include "app/report_dialog.h"

#include "lang/language_switch.h"
#include "lang/string_table.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace trelvo::app {

ReportDialog::ReportDialog(std::int16_t languageBase, QDate from, QDate to, bool selection, const QString& name,
                           const QString& born, QWidget* parent)
    : QDialog(parent),
      m_selection(selection)
{
    const auto text = [languageBase](int offset) { return lang::TextOf(languageBase, offset); };
    const QString format = languageBase == lang::kGerman ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("d MMM yyyy");
    setWindowTitle(text(lang::text::kDoctorsReportTitle));
    m_from = new QDateEdit(from, this);
    m_to = new QDateEdit(to, this);
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(format);
    }
    auto* range = new QHBoxLayout;
    range->addWidget(m_from);
    range->addWidget(new QLabel(text(lang::text::kNightsTo), this));
    range->addWidget(m_to);
    m_selected = new QCheckBox(text(lang::text::kOnlySelected), this);
    m_selected->setVisible(selection);
    m_selected->setChecked(selection);
    connect(m_selected, &QCheckBox::toggled, this, [this](bool only) {
        m_from->setEnabled(!only);
        m_to->setEnabled(!only);
    });
    m_from->setEnabled(!selection);
    m_to->setEnabled(!selection);
    m_name = new QLineEdit(name, this);
    m_born = new QLineEdit(born, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(text(lang::text::kCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(text(lang::text::kNightsFrom), range);
    form->addRow(QString(), m_selected);
    form->addRow(text(lang::text::kPersonName), m_name);
    form->addRow(text(lang::text::kPersonBorn), m_born);
    form->addRow(buttons);
    // The date fields and the text fields inside them, which a screen reader may reach on their own.
    for (const auto& [edit, offset] :
         {std::pair{m_from, lang::text::kNameFirstNight}, std::pair{m_to, lang::text::kNameLastNight}}) {
        edit->setAccessibleName(text(offset));
        for (QWidget* inner : edit->findChildren<QLineEdit*>())
            inner->setAccessibleName(text(offset));
    }
    lang::AssignMnemonics(*this);
}

QDate ReportDialog::From() const
{
    return m_from->date();
}

QDate ReportDialog::To() const
{
    return m_to->date();
}

bool ReportDialog::OnlySelected() const
{
    return m_selection && m_selected->isChecked();
}

QString ReportDialog::Name() const
{
    return m_name->text().trimmed();
}

QString ReportDialog::Born() const
{
    return m_born->text().trimmed();
}

}  // namespace trelvo::app
