#include "app/command_line.h"

#include "app/version.h"

#include <cstdlib>
#include <string_view>

namespace trelvo::app {
namespace {

// The help in German where the environment asks for German, else in English.
bool German()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return std::string_view(value).starts_with("de");
    return false;
}

constexpr char kHelpEnglish[] =
    "Usage: trelvo [--help] [--version]\n"
    "Shows SpO2, pulse and the pulse wave of a finger pulse oximeter on a serial port, sounds the\n"
    "pulse tone, records the readings to a file and lists the nights recorded.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Qt's own options (such as -platform or -style) are taken too. The nights' statistics, pictures\n"
    "and files on the command line: trelvo-report --help.\n";

constexpr char kHelpGerman[] =
    "Aufruf: trelvo [--help] [--version]\n"
    "Zeigt SpO2, Puls und Pulswelle eines Finger-Pulsoximeters an einer seriellen Schnittstelle,\n"
    "gibt den Pulston aus, zeichnet die Messwerte in eine Datei auf und listet die aufgezeichneten\n"
    "Nächte.\n"
    "\n"
    "  -h, --help     diese Hilfe zeigen und beenden\n"
    "  -v, --version  die Version zeigen und beenden\n"
    "\n"
    "Qts eigene Optionen (etwa -platform oder -style) werden ebenfalls angenommen. Statistik, Bilder\n"
    "und Dateien der Nächte auf der Kommandozeile: trelvo-report --help.\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::FILE* out)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(German() ? kHelpGerman : kHelpEnglish, out);
            return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
        }
        if (arg == "--version" || arg == "-v") {
            std::fprintf(out, "trelvo %s\n", kVersion);
            return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
        }
    }
    return std::nullopt;
}

}  // namespace trelvo::app
