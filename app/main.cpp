// trelvo: desktop companion for a finger pulse oximeter.

#include "app/form1.h"
#include "core/program_state.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trelvo"));
    QApplication::setApplicationVersion(QStringLiteral("1.51"));
    // The windows are laid out for Arial; Liberation Sans has the same metrics.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    trelvo::core::ProgramState program;
    const trelvo::settings::StoredOptions stored = trelvo::settings::LoadOptions();
    program.LanguageBase = stored.LanguageBase;
    program.PortNumber = stored.PortNumber;

    trelvo::app::Form1 form(program);
    QObject::connect(&form, &trelvo::app::Form1::ProgramEnds, &app, &QCoreApplication::quit);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
