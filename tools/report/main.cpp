// trelvo-report: statistics and a plot of a night's record file.

#include "tools/report/night.h"
#include "tools/report/plot.h"

#include <QCommandLineParser>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("trelvo-report"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Statistics and a plot of a record file written by trelvo. The summary goes to standard output; "
        "the plot to <file>.png (or .svg) unless -o names another file."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The record file."));
    const QCommandLineOption output(QStringLiteral("o"), QStringLiteral("Write the plot to <file>."), QStringLiteral("file"));
    const QCommandLineOption svg(QStringLiteral("svg"), QStringLiteral("Write the plot as SVG instead of PNG."));
    parser.addOptions({output, svg});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QString path = parser.positionalArguments().constFirst();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "trelvo-report: cannot read %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 2;
    }
    const QByteArray text = file.readAll();
    const trelvo::report::Night night = trelvo::report::ParseNight({text.constData(), static_cast<std::size_t>(text.size())});
    const auto figures = trelvo::report::Analyse(night);
    if (!figures) {
        std::fprintf(stderr,
                     "trelvo-report: %s is not a record file of trelvo: no line reads like \"S 97 P 72 T 14:03:25  OK!\"\n",
                     qPrintable(path));
        return 2;
    }
    const QString name = QFileInfo(path).fileName();
    std::fputs(trelvo::report::SummaryText(name.toStdString(), night, *figures).c_str(), stdout);

    const QString title = QStringLiteral("%1 — report of %2").arg(name, QDate::currentDate().toString(Qt::ISODate));
    const bool asSvg = parser.isSet(svg);
    QString target = parser.value(output);
    if (target.isEmpty())
        target = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
                 (asSvg ? QStringLiteral(".svg") : QStringLiteral(".png"));
    if (asSvg) {
        QSvgGenerator generator;
        generator.setFileName(target);
        generator.setSize(QSize(trelvo::report::kPlotWidth, trelvo::report::kPlotHeight));
        generator.setViewBox(QRect(0, 0, trelvo::report::kPlotWidth, trelvo::report::kPlotHeight));
        generator.setTitle(title);
        QPainter painter;
        if (!painter.begin(&generator)) {
            std::fprintf(stderr, "trelvo-report: cannot write %s\n", qPrintable(target));
            return 1;
        }
        trelvo::report::PaintReport(painter, night, *figures, title);
        painter.end();
    } else {
        QImage image(trelvo::report::kPlotWidth, trelvo::report::kPlotHeight, QImage::Format_RGB32);
        QPainter painter(&image);
        trelvo::report::PaintReport(painter, night, *figures, title);
        painter.end();
        if (!image.save(target, "PNG")) {
            std::fprintf(stderr, "trelvo-report: cannot write %s\n", qPrintable(target));
            return 1;
        }
    }
    std::printf("Plot             %s\n", qPrintable(target));
    return 0;
}
