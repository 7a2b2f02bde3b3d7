#include "lang/string_table.h"

#include <algorithm>
#include <array>
#include <string>

namespace trelvo::lang {
namespace {

constexpr std::array kLanguages{
    Language{kGerman, "Deutsch", "setLangGerman", ',', "dd.MM.yyyy", "de"},
    Language{kEnglish, "English", "setLangEnglish", '.', "yyyy-MM-dd", "en"},
};

// German at the offset, English at 1000 + offset. The two misspellings (26, 28) are the
// program's own texts and stay as they are.
// A plain array: deducing std::array from this many entries is too deep for some compilers.
constexpr TableEntry kTable[] = {
    TableEntry{2, "Datei"},
    TableEntry{3, "Speichern"},
    TableEntry{4, "Ende"},
    TableEntry{5, "Ton"},
    TableEntry{6, "Pulston"},
    TableEntry{11, "Puls[1/min]"},
    TableEntry{12, "Zeit"},
    TableEntry{20, "Daten werden NICHT abgespeichert!"},
    TableEntry{21, "Daten speichern"},
    TableEntry{22, "Daten werden gespeichert:"},
    TableEntry{23, "Kein Sensor!"},
    TableEntry{24, "Keine ser. Daten!"},
    TableEntry{25, "Kein Signal!"},
    TableEntry{26, "Daten vom Gerät werden emfangen, aber kein Sensor am Gerät."},
    TableEntry{27, "Daten vom Gerät werden empfangen, aber kein Finger im Sensor."},
    TableEntry{28, "Messwerte werden empfangen und anzeigt."},
    TableEntry{29, "Datenübertragung vom Gerät gestört. Gerät verbinden und einschalten. "
                   "COM Portnummer korrekt einstellen."},
    TableEntry{30, "PCs sind nicht geeignet zum Patientenmonitoring!"},
    TableEntry{31, "Sprache"},
    TableEntry{40, "Nächte"},
    TableEntry{41, "Nächte ansehen …"},
    TableEntry{42, "Nächte"},
    TableEntry{43, "Ordner:"},
    TableEntry{44, "Anderer Ordner …"},
    TableEntry{45, "Ordner öffnen"},
    TableEntry{46, "Abbrechen"},
    TableEntry{47, "Nacht vom"},
    TableEntry{48, "Beginn"},
    TableEntry{49, "Ende"},
    TableEntry{50, "Aufzeichnung"},
    TableEntry{51, "Ausgewertet"},
    TableEntry{52, "SpO2\nMittel [%]"},
    TableEntry{53, "SpO2\ntiefster [%]"},
    TableEntry{54, "T90\n[min]"},
    TableEntry{55, "T88\n[min]"},
    TableEntry{56, "ODI3\n[/h]"},
    TableEntry{57, "ODI4\n[/h]"},
    TableEntry{58, "Puls\nMittel [1/min]"},
    TableEntry{59, "Auflösung"},
    TableEntry{60, "Dateien, die in keiner Nacht zählen, und warum:"},
    TableEntry{61, "Nacht"},
    TableEntry{62, "Verlauf"},
    TableEntry{63, "PDF …"},
    TableEntry{64, "EDF+ …"},
    TableEntry{65, "OSCAR …"},
    TableEntry{66, "CSV …"},
    TableEntry{67, "Ordner wird gelesen: %p %"},
    TableEntry{68, "Lesen abgebrochen."},
    TableEntry{69, "%1 Nächte in %2"},
    TableEntry{70,
               "Mausrad: zoomen · Ziehen: Ausschnitt wählen · Doppelklick: ganze Nacht · Bildlaufleiste: verschieben"},
    TableEntry{71, "Nicht geschrieben: %1"},
    TableEntry{72, "Geschrieben: %1"},
    TableEntry{73, "mit Pulswelle"},
    TableEntry{74, "Keine Nacht gewählt."},
    TableEntry{75, "wird aufgezeichnet"},
    TableEntry{76, "Ordner der Nächte wählen"},
    TableEntry{77, "Die Nacht kann nicht gelesen werden: %1"},
    TableEntry{78, "Pulswelle bei einem Ausschnitt von einer Minute oder weniger"},
    TableEntry{79, "Bericht für den Arzt …"},
    TableEntry{80, "Bericht für den Arzt"},
    TableEntry{81, "Nächte vom"},
    TableEntry{82, "bis"},
    TableEntry{83, "Nur die gewählten Nächte"},
    TableEntry{84, "Name (freiwillig)"},
    TableEntry{85, "Geboren (freiwillig)"},
    TableEntry{86, "In diesem Zeitraum liegt keine Nacht."},
    TableEntry{87, "Bericht wird geschrieben: %p %"},
    TableEntry{88, "%1 würde %2 ersetzen, eine Datei dieser Nacht: bitte einen anderen Namen wählen"},
    TableEntry{89, "Tasten"},
    TableEntry{90,
               "F1\tdiese Tasten\nAlt + unterstrichener Buchstabe\tein Menü, dann ein Eintrag\nF10\tdie Menüleiste\n"
               "Strg+H oder Strg+N\tNächte ansehen\nStrg+Q\tEnde"},
    TableEntry{91,
               "F1\tdiese Tasten\nTab, Umschalt+Tab\tvon Feld zu Feld\nPfeiltasten\tin der Tabelle von Nacht zu Nacht"
               "\nAlt + unterstrichener Buchstabe\teine Schaltfläche oder ein Reiter\nIn der Grafik: + und −\t"
               "vergrößern, verkleinern\n← →\tverschieben\nPos1\tdie ganze Nacht\nUmschalt + ← →\tdie Linie, "
               "deren Werte unten stehen\nF3, Umschalt+F3\tdas nächste, das vorige Ereignis\nEingabe in der Liste der "
               "Ereignisse\tdie vier Minuten darum\nUmschalt + Ziehen in der Grafik\teinen Abschnitt nicht zählen\n"
               "Strg+Z\tdie letzte Änderung der Notizen zurücknehmen\nIm Verlauf: ← →, Pos1, Ende\teine Nacht "
               "wählen\nEingabe im Verlauf\tdie gewählte Nacht öffnen\nEsc\tdas Fenster schließen"},
    TableEntry{92, "F1\tdiese Tasten\nTab\tzwischen OK und Ende\nEingabe, Leertaste\tdie gewählte Schaltfläche\n"
                   "Esc\tEnde"},
    TableEntry{100, "Puls [1/min]"},
    TableEntry{101, "ODI3 [Ereignisse pro Stunde]"},
    TableEntry{102, "T90 [Minuten unter 90 %]"},
    TableEntry{103, "Ein Balken pro Nacht. Dieser Bericht ist keine medizinische Diagnose."},
    TableEntry{104, "Stunde"},
    TableEntry{105, "ausgewertet"},
    TableEntry{106, "ODI3 n"},
    TableEntry{107, "ODI3/h"},
    TableEntry{108, "ODI4 n"},
    TableEntry{109, "ODI4/h"},
    TableEntry{110, "%1 bis %2 · SpO2 im Mittel %3 % · ODI3 %4/h · ODI4 %5/h · schattiert: Entsättigungen um 3 Punkte "
                    "oder mehr · grau: kein Messwert"},
    TableEntry{111, "Dieser Bericht ist keine medizinische Diagnose. PCs sind nicht geeignet zum Patientenmonitoring."},
    TableEntry{112, "Aufgezeichnet"},
    TableEntry{113, "Ausgewertet"},
    TableEntry{114, "Ausgeschlossen"},
    TableEntry{115, "SpO2"},
    TableEntry{116, "Basislinie"},
    TableEntry{117, "T90"},
    TableEntry{118, "T88"},
    TableEntry{119, "ODI3"},
    TableEntry{120, "ODI4"},
    TableEntry{121, "Puls"},
    TableEntry{122, "Pulsanstiege"},
    TableEntry{123, "Auflösung"},
    TableEntry{124, "%1 bis %2 (%3)"},
    TableEntry{125, "%1 gültige Messwerte (%2 %)"},
    TableEntry{126, "%1 %: keine Daten %2, kein Sensor %3, kein Finger %4"},
    TableEntry{127, "Mittel %1 %, Median %2 %, tiefster %3 % um %4"},
    TableEntry{128, "kein gültiger Messwert"},
    TableEntry{129, "%1 % (Median des gleitenden 2-Minuten-Mittels)"},
    TableEntry{130, "keine: kein gültiger Messwert hat einen vor sich"},
    TableEntry{131, "%1 (%2 %), unter 90 %"},
    TableEntry{132, "%1 (%2 %), bei 88 % oder darunter"},
    TableEntry{133, "%1 pro Stunde (%2 Ereignisse)"},
    TableEntry{134, "Mittel %1, tiefster %2, höchster %3 pro Minute"},
    TableEntry{135, "1 s (Sekundendatei)"},
    TableEntry{136, "5 s (nur Aufzeichnungsdatei)"},
    TableEntry{137, "SpO2 und Puls durch die Nacht"},
    TableEntry{138, "Zeit in SpO2-Bereichen (der ausgewerteten Zeit)"},
    TableEntry{139, "Entsättigungen je Uhrzeitstunde"},
    TableEntry{140, "So wird gezählt: "},
    TableEntry{141, ". Auflösung: "},
    TableEntry{142, "Oxymetrie über Nacht — %1 Nächte, %2"},
    TableEntry{143, "Name: %1"},
    TableEntry{144, "Geboren: %1"},
    TableEntry{145, "Die Nächte"},
    TableEntry{146, "Die Nächte (Fortsetzung)"},
    TableEntry{147, "Nacht vom"},
    TableEntry{148, "Aufgezeichnet"},
    TableEntry{149, "Ausgewertet"},
    TableEntry{150, "SpO2 Mittel"},
    TableEntry{151, "tiefster"},
    TableEntry{152, "T90 min"},
    TableEntry{153, "T88 min"},
    TableEntry{154, "ODI3/h"},
    TableEntry{155, "ODI4/h"},
    TableEntry{156, "Puls"},
    TableEntry{157, "Mittel aus %1"},
    TableEntry{158, "* weniger als %1 Stunden ausgewertet: gezeigt, aber nicht in den Mitteln gezählt. Die Mittel "
                    "gewichten jede gezählte Nacht gleich."},
    TableEntry{159, "ODI3 und T90 Nacht für Nacht"},
    TableEntry{160, "Seite %1 von %2"},
    TableEntry{161, "Nacht vom %1: ihre Dateien können nicht mehr gelesen werden"},
    TableEntry{162, "%1 bis %2"},
    TableEntry{163, "Oxymetrie über Nacht — Nacht vom %1"},
    TableEntry{164, "1 s: ein Messwert für jede Sekunde, aus der Sekundendatei"},
    TableEntry{165, "5 s: ein Messwert alle fünf Sekunden, nur aus der Aufzeichnungsdatei"},
    TableEntry{166, "Basislinie: das Mittel der gültigen Messwerte der %1 s davor; Entsättigung: SpO2 %2 Punkte oder "
                    "mehr unter der Basislinie, an der sie beginnt, für %3 Sekunden am Stück oder länger, bis zur "
                    "ersten Sekunde wieder innerhalb von %4 Punkt dieser Basislinie oder ohne gültigen Messwert; ODI3 "
                    "zählt die Entsättigungen, ODI4 jene, die %5 Punkte darunter erreichen; Pulsanstieg: der Puls %6 "
                    "pro Minute oder mehr über seiner Basislinie für %7 Sekunden am Stück oder länger, bis er darunter "
                    "fällt oder eine Sekunde keinen gültigen Puls hat; Raten pro Stunde ausgewerteter Zeit"},
    TableEntry{167, "%1 min"},
    TableEntry{168, "%1 min · %2 %"},
    TableEntry{169, "Datei"},
    TableEntry{170, "Schläge"},
    TableEntry{171, "Schlagerkennung"},
    TableEntry{172, "Regeln"},
    TableEntry{173, "Unlesbare Zeilen"},
    TableEntry{174, "%1 bis %2 (%3)"},
    TableEntry{175, "%1 gültige Messwerte (%2 % der Aufzeichnungszeit)"},
    TableEntry{176, "%1 (%2 %): keine Daten %3 min, kein Sensor %4 min, kein Finger %5 min"},
    TableEntry{177, "Mittel %1 %, Median %2 %, tiefster %3 % um %4"},
    TableEntry{178,
               "%1 % (Median über die Nacht; die Basislinie jedes Ereignisses ist das SpO2-Mittel der %2 s davor)"},
    TableEntry{179, "keine: kein gültiger Messwert hat einen anderen in den %1 s davor"},
    TableEntry{180, "%1 min (%2 % der ausgewerteten Zeit)"},
    TableEntry{181, "%1 min (%2 %): unter 90 %"},
    TableEntry{182, "%1 min (%2 %): bei 88 % oder darunter"},
    TableEntry{183, "%1 in der Pulswelle gefunden, %2 pro Stunde Pulswelle (%3); ihre Rate und der Puls des Geräts "
                    "unterscheiden sich um %4 pro Minute (Median aus %5 Schlägen)"},
    TableEntry{184, "die Pulswelle steigt durch die Mitte ihres Bereichs über 3 s (ein Bereich von %1 oder mehr), %2 s "
                    "oder mehr nach dem Schlag davor; Rate: 60 / die Zeit zwischen zwei Schlägen"},
    TableEntry{185, "Stunde           gewertet  ODI3 Anzahl  ODI3/h  ODI4 Anzahl  ODI4/h"},
    TableEntry{186, " Schläge"},
    TableEntry{187, "Dieser Bericht ist keine medizinische Diagnose."},
    TableEntry{188, "Nacht       Ausgew.   SpO2 Mittel tiefst. T90 min  ODI3/h  ODI4/h   Puls  Datei"},
    TableEntry{189, "%1 — Nacht vom %2"},
    TableEntry{190, "%1 Nächte, %2 bis %3"},
    TableEntry{191, "%1 (Sekundendatei)"},
    TableEntry{192, "%1 (Aufzeichnungsdatei)"},
    TableEntry{193, "%1 mit seiner Sekundendatei %2"},
    TableEntry{194, "Datum"},
    TableEntry{195, "%1, wie angegeben"},
    TableEntry{196, "%1, aus der Änderungszeit der Datei (--date setzt es)"},
    TableEntry{197, " · das Datum "},
    TableEntry{198, "%1 — die Pulswelle um %2"},
    TableEntry{199, "Pulswelle (0–247) und die darin gefundenen Schläge"},
    TableEntry{200, "Schläge/min"},
    TableEntry{201,
               "grau: keine Pulswelle · Dreiecke: gefundene Schläge · Dieser Bericht ist keine medizinische Diagnose."},
    TableEntry{202, "Pulswelle"},
    TableEntry{203, "%1 (%2 bis %3)"},
    TableEntry{204, "Bild"},
    TableEntry{205, "PDF"},
    TableEntry{206, "Ereignisse"},
    TableEntry{207, "%1 (%2 Entsättigungen)"},
    TableEntry{208, "CSV"},
    TableEntry{209, "%1 (%2 Zeilen)"},
    TableEntry{210, "EDF+"},
    TableEntry{211, " (ohne Pleth: die Pulswelle deckt weniger als ein Zehntel der Nacht)"},
    TableEntry{212, "OSCAR"},
    TableEntry{213, "Bilder"},
    TableEntry{214, "%1, neben der Datei jeder Nacht"},
    TableEntry{215, "%1 von %2 geschrieben, neben der Datei jeder Nacht (siehe die Fehler)"},
    TableEntry{216, "%1 (%2 Nächte, %3)"},
    TableEntry{217, "%1 (%2 Nächte)"},
    TableEntry{218, "Verlauf"},
    TableEntry{219, "nicht geschrieben (siehe die Fehler)"},
    TableEntry{220, "Datum aus der Änderungszeit der Datei"},
    TableEntry{221, "%1"},
    TableEntry{222, "sie ist eine Pipe, keine Datei: nicht gelesen"},
    TableEntry{223, "sie ist ein Gerät, keine Datei: nicht gelesen"},
    TableEntry{224, "sie ist ein Ordner"},
    TableEntry{225, "mit %1 MB ist sie größer, als die Aufzeichnung einer Nacht sein kann: nicht gelesen"},
    TableEntry{226, "ihr Name ist kein UTF-8-Text: zum Lesen bitte umbenennen"},
    TableEntry{227, "sie ist ein Verweis, der ins Leere führt"},
    TableEntry{228, "sie enthält keine Messwerte einer Aufzeichnung"},
    TableEntry{229, "keine ihrer Zeilen kann gelesen werden"},
    TableEntry{230, "ihre Zeiten umfassen %1 Tage, und keine Nacht ist länger als 7: eine Zeit darin ist falsch"},
    TableEntry{231, "jede Sekunde darin steht schon in %1"},
    TableEntry{232, "in ihren Dateien sind keine Messwerte dieser Nacht mehr"},
    TableEntry{233, "der Ordner kann nicht angelegt werden"},
    TableEntry{234, "das PDF konnte nicht begonnen werden"},
    TableEntry{235, "das PDF konnte nicht geschrieben werden"},
    TableEntry{236, "das PDF konnte nicht abgeschlossen werden"},
    TableEntry{237, "das SVG konnte nicht begonnen werden"},
    TableEntry{238, "das PNG konnte nicht erzeugt werden"},
    TableEntry{239, "die Datei wurde nie geöffnet"},
    TableEntry{240, "ihre Messwerte decken %1 der %2 ab, die sie umspannen, und EDF- und OSCAR-Dateien enthalten jede "
                    "Sekunde dieser Spanne: bitte jede Nacht in einer eigenen Datei angeben"},
    TableEntry{241, "aus unbekanntem Grund"},
    TableEntry{242, "die Nacht enthält keinen Messwert oder umfasst mehr als 7 Tage"},
    TableEntry{243, "EDF+-Dateien enthalten nur Daten von 1985 bis 2084, und die Nacht beginnt am %1"},
    TableEntry{244, "die Datei kann nicht angelegt werden"},
    TableEntry{245, "edflib kann sie nicht zum Schreiben öffnen"},
    TableEntry{246, "das Schreiben schlug fehl (Datenträger voll, Größengrenze für Dateien oder nicht beschreibbar)"},
    TableEntry{247, "Sie dürfen sie nicht lesen: sie gehört %1"},
    TableEntry{248, "keine Notizdatei dieses Programms: die Nacht wird ohne ihre Notizen gezählt, und die Datei "
                    "bleibt, wie sie ist"},
    TableEntry{249, "Zeile %1 ist nicht wie die Zeilen einer Notizdatei: die Nacht wird ohne ihre Notizen gezählt, "
                    "und die Datei bleibt, wie sie ist"},
    TableEntry{300, "SpO2 in Prozent"},
    TableEntry{301, "Puls in Schlägen pro Minute"},
    TableEntry{302, "Status der Sonde"},
    TableEntry{303, "Uhrzeit"},
    TableEntry{304, "Pulsstärke"},
    TableEntry{305, "Pulswelle"},
    TableEntry{306, "Logo des Herstellers"},
    TableEntry{307, "Nächte"},
    TableEntry{308, "Grafik der Nacht: SpO2 und Puls"},
    TableEntry{309, "Nacht und Verlauf"},
    TableEntry{310, "Dateien in keiner Nacht"},
    TableEntry{311, "Fortschritt"},
    TableEntry{312, "In der Nacht verschieben"},
    TableEntry{313, "Verlauf über die Nächte"},
    TableEntry{314, "Erste Nacht"},
    TableEntry{315, "Letzte Nacht"},
    TableEntry{316, "Werte an der Linie"},
    TableEntry{317, "Statuszeile"},
    TableEntry{318, "SpO2 %1 Prozent"},
    TableEntry{319, "Puls %1 pro Minute"},
    TableEntry{320, "kein Wert"},
    TableEntry{321, "Meldung"},
    TableEntry{322, "Ereignisse"},
    TableEntry{323, "Kennzahlen"},
    TableEntry{324, "Art"},
    TableEntry{325, "Beginn"},
    TableEntry{326, "Dauer"},
    TableEntry{327, "Min./Max."},
    TableEntry{328, "Tiefe"},
    TableEntry{329, "ODI4"},
    TableEntry{330, "Entsättigung"},
    TableEntry{331, "Pulsanstieg"},
    TableEntry{332, "%1 Entsättigungen (ODI3), davon %2 um 4 Punkte oder mehr (ODI4) · %3 Pulsanstiege"},
    TableEntry{333, "Ereignisse der Nacht"},
    TableEntry{334, "Kennzahlen der Nacht"},
    TableEntry{335, "%1 s"},
    TableEntry{336, "ja"},
    TableEntry{337, "Ereignisse und Kennzahlen"},
    TableEntry{338, "keine Daten"},
    TableEntry{339, "Sonde ab"},
    TableEntry{340, "kein Finger"},
    TableEntry{341, "Entsättigung um %1 Punkte, %2 s"},
    TableEntry{342, "Pulsanstieg um %1/min, %2 s"},
    TableEntry{343, "  von Ihnen"},
    TableEntry{344, "%1 min: %2"},
    TableEntry{345, "Notiz"},
    TableEntry{346, "Sauerstoff"},
    TableEntry{347, "CPAP"},
    TableEntry{348, "schlecht geschlafen"},
    TableEntry{349, "unwohl"},
    TableEntry{350, "Alkohol"},
    TableEntry{351, "Medikamente"},
    TableEntry{352, "Notizen"},
    TableEntry{353, "Notiz zur Nacht"},
    TableEntry{354, "Stichworte"},
    TableEntry{355, "Nicht gezählte Abschnitte"},
    TableEntry{356, "Abschnitt &markieren …"},
    TableEntry{357, "Markierung ent&fernen"},
    TableEntry{358, "Rück&gängig"},
    TableEntry{359, "Abschnitt nicht zählen"},
    TableEntry{360, "&Von"},
    TableEntry{361, "&Bis"},
    TableEntry{362, "&Grund"},
    TableEntry{363, "Sonde verrutscht"},
    TableEntry{364, "Gerät abgenommen"},
    TableEntry{365, "anderer Grund"},
    TableEntry{366, "Die Notizen ließen sich nicht speichern: %1"},
    TableEntry{367, "Die Datei %1 war keine lesbare Notizdatei; sie ist als %2 aufbewahrt."},
    TableEntry{368, "Die Notizdatei dieser Nacht ist nicht lesbar: %1. Was Sie hier eintragen, ersetzt sie; die alte "
                    "Datei wird vorher als Kopie aufbewahrt."},
    TableEntry{369, "%1 bis %2: %3"},
    TableEntry{370, "&Zeitraum"},
    TableEntry{371, "letzte 7 Tage"},
    TableEntry{372, "letzte 30 Tage"},
    TableEntry{373, "letzte 90 Tage"},
    TableEntry{374, "alle Nächte"},
    TableEntry{375, "von … bis …"},
    TableEntry{376, "von"},
    TableEntry{377, "bis"},
    TableEntry{378, "Kennzahlen im Verlauf"},
    TableEntry{379, "ODI3 [Ereignisse pro Stunde]"},
    TableEntry{380, "ODI4 [Ereignisse pro Stunde]"},
    TableEntry{381, "T90 [Minuten unter 90 %]"},
    TableEntry{382, "T88 [Minuten bei 88 % und darunter]"},
    TableEntry{383, "SpO2 Mittel [%]"},
    TableEntry{384, "SpO2 tiefster Wert [%]"},
    TableEntry{385, "Puls Mittel [1/min]"},
    TableEntry{386, "%1 Nächte vom %2 bis %3, davon %4 mit mindestens 4 Stunden gezählt"},
    TableEntry{387, "Mittel"},
    TableEntry{388, "Median"},
    TableEntry{389, "Mittel und Median des Zeitraums"},
    TableEntry{390, "Ein Balken pro Nacht; Klick oder Eingabe öffnet die Nacht, ← → wählt eine andere."},
    TableEntry{391, "nicht gezählt (%1)"},

    TableEntry{1002, "File"},
    TableEntry{1003, "Save"},
    TableEntry{1004, "End"},
    TableEntry{1005, "Tone"},
    TableEntry{1006, "Pulse Tone"},
    TableEntry{1011, "Pulse[1/min]"},
    TableEntry{1012, "Time"},
    TableEntry{1020, "Data is NOT written to file!"},
    TableEntry{1021, "Save Data"},
    TableEntry{1022, "Data written to:"},
    TableEntry{1023, "No Probe!"},
    TableEntry{1024, "No Serial Data!"},
    TableEntry{1025, "No Signal!"},
    TableEntry{1026, "Data received from unit, but no probe connected to the unit."},
    TableEntry{1027, "Data received from unit, but no finger in the probe."},
    TableEntry{1028, "Data from the unit is received and displayed."},
    TableEntry{1029, "No data transmission. Connect the unit and turn unit power on. "
                     "Select correct COM port number."},
    TableEntry{1030, "PCs are not suitable for Patient Monitoring!"},
    TableEntry{1031, "Language"},
    TableEntry{1040, "Nights"},
    TableEntry{1041, "View Nights …"},
    TableEntry{1042, "Nights"},
    TableEntry{1043, "Folder:"},
    TableEntry{1044, "Choose Folder …"},
    TableEntry{1045, "Open Folder"},
    TableEntry{1046, "Cancel"},
    TableEntry{1047, "Night of"},
    TableEntry{1048, "Start"},
    TableEntry{1049, "End"},
    TableEntry{1050, "Recorded"},
    TableEntry{1051, "Analysed"},
    TableEntry{1052, "SpO2\nmean [%]"},
    TableEntry{1053, "SpO2\nlowest [%]"},
    TableEntry{1054, "T90\n[min]"},
    TableEntry{1055, "T88\n[min]"},
    TableEntry{1056, "ODI3\n[/h]"},
    TableEntry{1057, "ODI4\n[/h]"},
    TableEntry{1058, "Pulse\nmean [1/min]"},
    TableEntry{1059, "Resolution"},
    TableEntry{1060, "Files not counted in a night, and why:"},
    TableEntry{1061, "Night"},
    TableEntry{1062, "Trend"},
    TableEntry{1063, "PDF …"},
    TableEntry{1064, "EDF+ …"},
    TableEntry{1065, "OSCAR …"},
    TableEntry{1066, "CSV …"},
    TableEntry{1067, "Reading the folder: %p %"},
    TableEntry{1068, "Reading cancelled."},
    TableEntry{1069, "%1 nights in %2"},
    TableEntry{1070, "Wheel: zoom · drag: choose a stretch · double-click: the whole night · scroll bar: move"},
    TableEntry{1071, "Not written: %1"},
    TableEntry{1072, "Written: %1"},
    TableEntry{1073, "with pulse wave"},
    TableEntry{1074, "No night chosen."},
    TableEntry{1075, "being recorded"},
    TableEntry{1076, "Choose the folder of the nights"},
    TableEntry{1077, "The night cannot be read: %1"},
    TableEntry{1078, "pulse wave at a stretch of a minute or less"},
    TableEntry{1079, "Report for the Doctor …"},
    TableEntry{1080, "Report for the doctor"},
    TableEntry{1081, "Nights from"},
    TableEntry{1082, "to"},
    TableEntry{1083, "Only the nights selected"},
    TableEntry{1084, "Name (optional)"},
    TableEntry{1085, "Date of birth (optional)"},
    TableEntry{1086, "No night lies in this range."},
    TableEntry{1087, "Writing the report: %p %"},
    TableEntry{1088, "%1 would replace %2, a file of this night: choose another name"},
    TableEntry{1089, "Keys"},
    TableEntry{1090, "F1\tthese keys\nAlt + underlined letter\ta menu, then an item\nF10\tthe menu bar\n"
                     "Ctrl+H or Ctrl+N\tview nights\nCtrl+Q\tend"},
    TableEntry{1091, "F1\tthese keys\nTab, Shift+Tab\tfrom control to control\nArrow keys\tfrom night to night in "
                     "the table\nAlt + underlined letter\ta button or a tab\nIn the chart: + and −\tzoom in, zoom out"
                     "\n← →\tmove\nHome\tthe whole night\nShift + ← →\tthe line whose values show below it\n"
                     "F3, Shift+F3\tthe next, the previous event\nEnter in the list of events\tthe four minutes "
                     "around it\nShift + drag in the chart\ta stretch not to be counted\nCtrl+Z\ttake back the last "
                     "change of the notes\nIn the trend: ← →, Home, End\tchoose a night\nEnter in the trend\topen "
                     "the night chosen\nEsc\tclose the window"},
    TableEntry{1092, "F1\tthese keys\nTab\tbetween OK and End\nEnter, Space\tthe button chosen\nEsc\tend"},
    TableEntry{1100, "Pulse [1/min]"},
    TableEntry{1101, "ODI3 [events per hour]"},
    TableEntry{1102, "T90 [minutes below 90 %]"},
    TableEntry{1103, "One bar per night. This report is not a medical diagnosis."},
    TableEntry{1104, "hour"},
    TableEntry{1105, "analysed"},
    TableEntry{1106, "ODI3 n"},
    TableEntry{1107, "ODI3/h"},
    TableEntry{1108, "ODI4 n"},
    TableEntry{1109, "ODI4/h"},
    TableEntry{1110, "%1 to %2 · mean SpO2 %3 % · ODI3 %4/h · ODI4 %5/h · shaded: desaturations of 3 points or more · "
                     "grey: no reading"},
    TableEntry{1111, "This report is not a medical diagnosis. A PC is not suitable for patient monitoring."},
    TableEntry{1112, "Recorded"},
    TableEntry{1113, "Analysed"},
    TableEntry{1114, "Excluded"},
    TableEntry{1115, "SpO2"},
    TableEntry{1116, "Baseline"},
    TableEntry{1117, "T90"},
    TableEntry{1118, "T88"},
    TableEntry{1119, "ODI3"},
    TableEntry{1120, "ODI4"},
    TableEntry{1121, "Pulse"},
    TableEntry{1122, "Pulse rises"},
    TableEntry{1123, "Resolution"},
    TableEntry{1124, "%1 to %2 (%3)"},
    TableEntry{1125, "%1 of valid readings (%2 %)"},
    TableEntry{1126, "%1 %: no data %2, probe off %3, no finger %4"},
    TableEntry{1127, "mean %1 %, median %2 %, lowest %3 % at %4"},
    TableEntry{1128, "no valid reading"},
    TableEntry{1129, "%1 % (median of the running 2-minute mean)"},
    TableEntry{1130, "none: no valid reading has another before it"},
    TableEntry{1131, "%1 (%2 %), below 90 %"},
    TableEntry{1132, "%1 (%2 %), at or below 88 %"},
    TableEntry{1133, "%1 per hour (%2 events)"},
    TableEntry{1134, "mean %1, lowest %2, highest %3 per minute"},
    TableEntry{1135, "1 s (per-second file)"},
    TableEntry{1136, "5 s (record file alone)"},
    TableEntry{1137, "SpO2 and pulse through the night"},
    TableEntry{1138, "Time in SpO2 bands (of analysed time)"},
    TableEntry{1139, "Desaturations per clock hour"},
    TableEntry{1140, "How it is counted: "},
    TableEntry{1141, ". Resolution: "},
    TableEntry{1142, "Overnight oximetry — %1 nights, %2"},
    TableEntry{1143, "Name: %1"},
    TableEntry{1144, "Born: %1"},
    TableEntry{1145, "The nights"},
    TableEntry{1146, "The nights (continued)"},
    TableEntry{1147, "Night of"},
    TableEntry{1148, "Recorded"},
    TableEntry{1149, "Analysed"},
    TableEntry{1150, "SpO2 mean"},
    TableEntry{1151, "lowest"},
    TableEntry{1152, "T90 min"},
    TableEntry{1153, "T88 min"},
    TableEntry{1154, "ODI3/h"},
    TableEntry{1155, "ODI4/h"},
    TableEntry{1156, "Pulse"},
    TableEntry{1157, "Mean of %1"},
    TableEntry{1158, "* less than %1 hours analysed: shown, but not counted in the means. The means weigh each counted "
                     "night the same."},
    TableEntry{1159, "ODI3 and T90 night by night"},
    TableEntry{1160, "Page %1 of %2"},
    TableEntry{1161, "Night of %1: its files can no longer be read"},
    TableEntry{1162, "%1 to %2"},
    TableEntry{1163, "Overnight oximetry — night of %1"},
    TableEntry{1164, "1 s: a reading for every second, from the per-second file"},
    TableEntry{1165, "5 s: a reading every five seconds, from the record file alone"},
    TableEntry{
        1166,
        "baseline: the mean of the valid readings of the %1 s before; desaturation: SpO2 %2 points or more below the "
        "baseline where it begins, for %3 consecutive seconds or more, lasting until the first second back within %4 "
        "point of that baseline or without a valid reading; ODI3 counts the desaturations, ODI4 those that reach %5 "
        "points below; pulse rise: the pulse %6 per minute or more above its baseline for %7 consecutive seconds or "
        "more, lasting until it falls below that or a second has no valid pulse; rates per hour of analysed time"},
    TableEntry{1167, "%1 min"},
    TableEntry{1168, "%1 min · %2 %"},
    TableEntry{1169, "File"},
    TableEntry{1170, "Beats"},
    TableEntry{1171, "Beat detector"},
    TableEntry{1172, "Rules"},
    TableEntry{1173, "Unreadable lines"},
    TableEntry{1174, "%1 to %2 (%3)"},
    TableEntry{1175, "%1 of valid readings (%2 % of the recording time)"},
    TableEntry{1176, "%1 (%2 %): no data %3 min, probe off %4 min, no finger %5 min"},
    TableEntry{1177, "mean %1 %, median %2 %, lowest %3 % at %4"},
    TableEntry{1178, "%1 % (median over the night; each event's baseline is the mean SpO2 of the %2 s before it)"},
    TableEntry{1179, "none: no valid reading has another in the %1 s before it"},
    TableEntry{1180, "%1 min (%2 % of analysed time)"},
    TableEntry{1181, "%1 min (%2 %): below 90 %"},
    TableEntry{1182, "%1 min (%2 %): at or below 88 %"},
    TableEntry{1183, "%1 found in the wave, %2 per hour of wave (%3); their rate and the unit's pulse differ by %4 per "
                     "minute (median of %5 beats)"},
    TableEntry{1184, "the wave rising through the middle of its range over 3 s (a range of %1 or more), %2 s or more "
                     "after the beat before; rate: 60 / the time between two beats"},
    TableEntry{1185, "Hour             analysed  ODI3 events  ODI3/h  ODI4 events  ODI4/h"},
    TableEntry{1186, "   beats"},
    TableEntry{1187, "This report is not a medical diagnosis."},
    TableEntry{1188, "Night       Analysed  SpO2 mean  lowest  T90 min  ODI3/h  ODI4/h  Pulse  File"},
    TableEntry{1189, "%1 — night of %2"},
    TableEntry{1190, "%1 nights, %2 to %3"},
    TableEntry{1191, "%1 (per-second file)"},
    TableEntry{1192, "%1 (record file)"},
    TableEntry{1193, "%1 with its per-second file %2"},
    TableEntry{1194, "Date"},
    TableEntry{1195, "%1, as given"},
    TableEntry{1196, "%1, from the file's modification time (--date sets it)"},
    TableEntry{1197, " · the date "},
    TableEntry{1198, "%1 — the wave around %2"},
    TableEntry{1199, "Pulse wave (0–247) and the beats found in it"},
    TableEntry{1200, "Beats/min"},
    TableEntry{1201, "grey: no wave · triangles: beats found · This report is not a medical diagnosis."},
    TableEntry{1202, "Wave"},
    TableEntry{1203, "%1 (%2 to %3)"},
    TableEntry{1204, "Plot"},
    TableEntry{1205, "PDF"},
    TableEntry{1206, "Events"},
    TableEntry{1207, "%1 (%2 desaturations)"},
    TableEntry{1208, "CSV"},
    TableEntry{1209, "%1 (%2 rows)"},
    TableEntry{1210, "EDF+"},
    TableEntry{1211, " (without Pleth: the wave covers less than a tenth of the night)"},
    TableEntry{1212, "OSCAR"},
    TableEntry{1213, "Pictures"},
    TableEntry{1214, "%1, beside each night's file"},
    TableEntry{1215, "%1 of %2 written, beside each night's file (see the errors)"},
    TableEntry{1216, "%1 (%2 nights, %3)"},
    TableEntry{1217, "%1 (%2 nights)"},
    TableEntry{1218, "Trend"},
    TableEntry{1219, "not written (see the errors)"},
    TableEntry{1220, "date from the file's time"},
    TableEntry{1221, "%1"},
    TableEntry{1222, "it is a pipe, not a file: not read"},
    TableEntry{1223, "it is a device, not a file: not read"},
    TableEntry{1224, "it is a folder"},
    TableEntry{1225, "at %1 MB it is larger than a night's recording can be: not read"},
    TableEntry{1226, "its name is not UTF-8 text: rename it to read it"},
    TableEntry{1227, "it is a link that leads nowhere"},
    TableEntry{1228, "it holds no readings of a recording"},
    TableEntry{1229, "no row of it can be read"},
    TableEntry{1230, "its times span %1 days, and no night is longer than 7: a time in it is wrong"},
    TableEntry{1231, "every second it tells is told by %1"},
    TableEntry{1232, "no readings of this night are left in its files"},
    TableEntry{1233, "the folder cannot be made"},
    TableEntry{1234, "the PDF could not be started"},
    TableEntry{1235, "the PDF could not be written"},
    TableEntry{1236, "the PDF could not be finished"},
    TableEntry{1237, "the SVG could not be started"},
    TableEntry{1238, "the PNG could not be made"},
    TableEntry{1239, "the file was never opened"},
    TableEntry{1240,
               "its readings cover %1 of the %2 it spans, and EDF and OSCAR files hold every second of that span: "
               "give each night in a file of its own"},
    TableEntry{1241, "unknown reason"},
    TableEntry{1242, "the night holds no reading, or spans more than 7 days"},
    TableEntry{1243, "EDF+ files hold dates from 1985 to 2084 only, and the night begins on %1"},
    TableEntry{1244, "cannot create the file"},
    TableEntry{1245, "edflib cannot open it for writing"},
    TableEntry{1246, "writing failed (disk full, a file size limit, or not writable)"},
    TableEntry{1247, "you may not read it: it belongs to %1"},
    TableEntry{1248, "not a notes file of this program: the night is counted without its notes, and the file is "
                     "left as it is"},
    TableEntry{1249, "line %1 is not as a notes file's lines are: the night is counted without its notes, and the "
                     "file is left as it is"},
    TableEntry{1300, "SpO2 in percent"},
    TableEntry{1301, "Pulse in beats per minute"},
    TableEntry{1302, "Probe status"},
    TableEntry{1303, "Time of day"},
    TableEntry{1304, "Pulse strength"},
    TableEntry{1305, "Pulse wave"},
    TableEntry{1306, "Maker's logo"},
    TableEntry{1307, "Nights"},
    TableEntry{1308, "Chart of the night: SpO2 and pulse"},
    TableEntry{1309, "Night and trend"},
    TableEntry{1310, "Files in no night"},
    TableEntry{1311, "Progress"},
    TableEntry{1312, "Move through the night"},
    TableEntry{1313, "Trend over the nights"},
    TableEntry{1314, "First night"},
    TableEntry{1315, "Last night"},
    TableEntry{1316, "Values at the line"},
    TableEntry{1317, "Status line"},
    TableEntry{1318, "SpO2 %1 percent"},
    TableEntry{1319, "Pulse %1 per minute"},
    TableEntry{1320, "no value"},
    TableEntry{1321, "Announcement"},
    TableEntry{1322, "Events"},
    TableEntry{1323, "Figures"},
    TableEntry{1324, "Kind"},
    TableEntry{1325, "Start"},
    TableEntry{1326, "Duration"},
    TableEntry{1327, "Low/high"},
    TableEntry{1328, "Depth"},
    TableEntry{1329, "ODI4"},
    TableEntry{1330, "Desaturation"},
    TableEntry{1331, "Pulse rise"},
    TableEntry{1332, "%1 desaturations (ODI3), %2 of them by 4 points or more (ODI4) · %3 pulse rises"},
    TableEntry{1333, "Events of the night"},
    TableEntry{1334, "Figures of the night"},
    TableEntry{1335, "%1 s"},
    TableEntry{1336, "yes"},
    TableEntry{1337, "Events and figures"},
    TableEntry{1338, "no data"},
    TableEntry{1339, "probe off"},
    TableEntry{1340, "no finger"},
    TableEntry{1341, "desaturation by %1 points, %2 s"},
    TableEntry{1342, "pulse rise by %1/min, %2 s"},
    TableEntry{1343, "  by you"},
    TableEntry{1344, "%1 min: %2"},
    TableEntry{1345, "Note"},
    TableEntry{1346, "oxygen"},
    TableEntry{1347, "CPAP"},
    TableEntry{1348, "slept badly"},
    TableEntry{1349, "unwell"},
    TableEntry{1350, "alcohol"},
    TableEntry{1351, "medication"},
    TableEntry{1352, "Notes"},
    TableEntry{1353, "Note on the night"},
    TableEntry{1354, "Tags"},
    TableEntry{1355, "Stretches not counted"},
    TableEntry{1356, "&Mark Stretch …"},
    TableEntry{1357, "Remove Mar&k"},
    TableEntry{1358, "&Undo"},
    TableEntry{1359, "Do Not Count a Stretch"},
    TableEntry{1360, "&From"},
    TableEntry{1361, "&To"},
    TableEntry{1362, "&Reason"},
    TableEntry{1363, "probe slipped"},
    TableEntry{1364, "unit taken off"},
    TableEntry{1365, "other reason"},
    TableEntry{1366, "The notes could not be saved: %1"},
    TableEntry{1367, "The file %1 was no readable notes file; it is kept as %2."},
    TableEntry{1368, "This night's notes file cannot be read: %1. What you enter here replaces it; the old file is "
                     "first kept as a copy."},
    TableEntry{1369, "%1 to %2: %3"},
    TableEntry{1370, "&Range"},
    TableEntry{1371, "last 7 days"},
    TableEntry{1372, "last 30 days"},
    TableEntry{1373, "last 90 days"},
    TableEntry{1374, "all nights"},
    TableEntry{1375, "from … to …"},
    TableEntry{1376, "from"},
    TableEntry{1377, "to"},
    TableEntry{1378, "Measures shown"},
    TableEntry{1379, "ODI3 [events per hour]"},
    TableEntry{1380, "ODI4 [events per hour]"},
    TableEntry{1381, "T90 [minutes below 90 %]"},
    TableEntry{1382, "T88 [minutes at or below 88 %]"},
    TableEntry{1383, "SpO2 mean [%]"},
    TableEntry{1384, "SpO2 lowest [%]"},
    TableEntry{1385, "Pulse mean [1/min]"},
    TableEntry{1386, "%1 nights from %2 to %3, %4 of them counted (at least 4 hours)"},
    TableEntry{1387, "Mean"},
    TableEntry{1388, "Median"},
    TableEntry{1389, "Means and medians of the range"},
    TableEntry{1390, "One bar per night; a click or Enter opens the night, ← → chooses another."},
    TableEntry{1391, "not counted (%1)"},
};

constexpr std::array kMessages{
    MessageEntry{kGerman, Message::PortNoSuchDevice, "Gerät nicht vorhanden (ist das Kabel eingesteckt?)"},
    MessageEntry{kGerman, Message::PortBusy, "belegt: ein anderes Programm benutzt die Schnittstelle"},
    MessageEntry{kGerman, Message::PortPermissionDenied,
                 "keine Berechtigung: Ihr Benutzer muss Mitglied der Gruppe %1 sein, der die Schnittstelle gehört "
                 "(meist dialout: sudo adduser $USER dialout, danach neu anmelden)"},
    MessageEntry{kGerman, Message::PortNotASerialPort, "keine serielle Schnittstelle"},
    MessageEntry{kGerman, Message::PortInvalidNumber, "keine gültige Portnummer"},
    MessageEntry{kGerman, Message::PortOpenFailed, "COM%1 (%2) lässt sich nicht öffnen: %3."},
    MessageEntry{kGerman, Message::PortUnusableTip, "%1: %2"},
    MessageEntry{kGerman, Message::RecordCannotCreate, "Die Datei %1 lässt sich nicht anlegen: %2."},
    MessageEntry{kGerman, Message::RecordCannotWrite,
                 "In die Datei %1 kann nicht mehr geschrieben werden: %2. Die Aufzeichnung ist beendet; die bisher "
                 "geschriebenen Zeilen bleiben erhalten."},
    MessageEntry{kGerman, Message::RecordCannotFinish, "Die Datei %1 ließ sich nicht sicher abschließen: %2."},
    MessageEntry{kGerman, Message::RecordInUse,
                 "In die Datei %1 schreibt gerade eine andere Aufzeichnung. Bitte eine andere Datei wählen."},
    MessageEntry{kGerman, Message::RecordFileGone,
                 "Die Datei %1 wurde während der Aufzeichnung gelöscht oder auf ein anderes Laufwerk verschoben. "
                 "Die Aufzeichnung geht in %2 weiter."},

    MessageEntry{kEnglish, Message::PortNoSuchDevice, "no such device (is the cable plugged in?)"},
    MessageEntry{kEnglish, Message::PortBusy, "busy: another program is using it"},
    MessageEntry{kEnglish, Message::PortPermissionDenied,
                 "permission denied: your user must be a member of the group %1 that owns the device "
                 "(usually dialout: sudo adduser $USER dialout, then log in again)"},
    MessageEntry{kEnglish, Message::PortNotASerialPort, "not a serial port"},
    MessageEntry{kEnglish, Message::PortInvalidNumber, "no valid port number"},
    MessageEntry{kEnglish, Message::PortOpenFailed, "COM%1 (%2) cannot be opened: %3."},
    MessageEntry{kEnglish, Message::PortUnusableTip, "%1: %2"},
    MessageEntry{kEnglish, Message::RecordCannotCreate, "The record file %1 cannot be created: %2."},
    MessageEntry{kEnglish, Message::RecordCannotWrite,
                 "The record file %1 cannot be written any more: %2. Recording has stopped; the lines written so "
                 "far are kept."},
    MessageEntry{kEnglish, Message::RecordCannotFinish, "The record file %1 could not be finished safely: %2."},
    MessageEntry{kEnglish, Message::RecordInUse,
                 "Another recording is writing the record file %1. Please choose another file."},
    MessageEntry{kEnglish, Message::RecordFileGone,
                 "The file %1 was deleted or moved to another disk while recording. Recording goes on into %2."},
};

constexpr bool ById(const TableEntry& a, const TableEntry& b)
{
    return a.id < b.id;
}

const Catalog* g_inUse = nullptr;

const Catalog& TheCatalog()
{
    return g_inUse ? *g_inUse : BuiltInCatalog();
}

std::optional<std::string_view> FindMessage(std::int32_t base, Message message)
{
    for (const MessageEntry& e : TheCatalog().messages)
        if (e.base == base && e.message == message)
            return e.utf8;
    return std::nullopt;
}

}  // namespace

static_assert(std::is_sorted(std::begin(kTable), std::end(kTable), ById));

MissingText::MissingText(int id)
    : std::out_of_range("the string table has no text with id " + std::to_string(id)),
      m_id(id)
{
}

std::span<const Language> Languages() noexcept
{
    return TheCatalog().languages;
}

bool IsLanguage(int base) noexcept
{
    return std::ranges::any_of(Languages(), [base](const Language& l) { return l.base == base; });
}

std::span<const TableEntry> AllTexts() noexcept
{
    return TheCatalog().texts;
}

std::optional<std::string_view> FindText(int id) noexcept
{
    const std::vector<TableEntry>& texts = TheCatalog().texts;
    const auto it = std::lower_bound(texts.begin(), texts.end(), TableEntry{id, {}}, ById);
    if (it == texts.end() || it->id != id)
        return std::nullopt;
    return it->utf8;
}

std::string_view Text(int id)
{
    if (const auto found = FindText(id))
        return *found;
    throw MissingText(id);
}

std::string RecordingStatus(std::int32_t languageBase, bool recording, std::string_view recordFileName)
{
    if (!recording)
        return std::string(Text(static_cast<int>(languageBase) + text::kNotRecording));
    std::string status(Text(static_cast<int>(languageBase) + text::kRecordingTo));
    status += recordFileName;
    return status;
}

std::string MessageText(std::int32_t languageBase, Message message, std::initializer_list<std::string_view> values)
{
    const std::string_view pattern =
        FindMessage(languageBase, message).value_or(FindMessage(kEnglish, message).value_or(std::string_view{}));
    std::string text;
    text.reserve(pattern.size() + 64);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                text += *(values.begin() + n);
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

const Catalog& BuiltInCatalog()
{
    static const Catalog catalog{{kLanguages.begin(), kLanguages.end()},
                                 {std::begin(kTable), std::end(kTable)},
                                 {kMessages.begin(), kMessages.end()}};
    return catalog;
}

UseCatalog::UseCatalog(const Catalog& catalog) : m_before(g_inUse)
{
    g_inUse = &catalog;
}

UseCatalog::~UseCatalog()
{
    g_inUse = m_before;
}

}  // namespace trelvo::lang
