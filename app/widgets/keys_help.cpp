#include "app/widgets/keys_help.h"

#include "lang/language_switch.h"
#include "lang/string_table.h"

#include <QMessageBox>

namespace trelvo::app {

void ShowKeys(QWidget& window, std::int16_t languageBase, int offset)
{
    QString table = QStringLiteral("<table cellspacing=\"4\">");
    for (const QString& line : lang::TextOf(languageBase, offset).split(QLatin1Char('\n'))) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        table += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                     .arg(parts.value(0).toHtmlEscaped(), parts.value(1).toHtmlEscaped());
    }
    table += QStringLiteral("</table>");
    QMessageBox box(QMessageBox::Information, lang::TextOf(languageBase, lang::text::kKeysTitle), table,
                    QMessageBox::Ok, &window);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

}  // namespace trelvo::app
