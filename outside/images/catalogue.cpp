#include "outside/images/catalogue.h"

namespace images {
namespace {

constexpr BlockGroup kGroups[] = {
    {"GRP_PORT", "Ports und Analog-E/A", "I/O", 0xFFCFE3F7, 0xFF1F4E79},
    {"GRP_DISPLAY", "Tastatur und Anzeigen", "LCD", 0xFFD7F0D2, 0xFF2E6B25},
    {"GRP_ARITH", "Arithmetik", "+-", 0xFFFFF0C8, 0xFF7A5A00},
    {"GRP_LOGIC", "Logik", "&", 0xFFF3D9F0, 0xFF6E2367},
    {"GRP_COMPARE", "Vergleiche", "<>", 0xFFFBE0CE, 0xFF8A3B0C},
    {"GRP_CLOCK", "Uhr und Timer", "UHR", 0xFFD9F2F2, 0xFF1C6262},
    {"GRP_VARIABLE", "Benutzervariablen", "VAR", 0xFFE6E0F8, 0xFF3F2E82},
    {"GRP_CONSTANT", "Konstanten", "123", 0xFFE3EAF0, 0xFF34495E},
    {"GRP_FILE", "Datendatei", "DAT", 0xFFF2EBDD, 0xFF6B4F1D},
    {"GRP_SERIAL", "Serielle Schnittstelle", "COM", 0xFFDCEBDD, 0xFF2F5D34},
    {"GRP_FLOW", "Programmablauf", "GO", 0xFFF8D7D7, 0xFF8B1A1A},
};

enum : int {
    kPort,
    kDisplay,
    kArith,
    kLogic,
    kCompare,
    kClock,
    kVariable,
    kConstant,
    kFile,
    kSerial,
    kFlow,
};

// Inputs and outputs follow the engine's kind table: a kind has inputs when it takes at least
// one ("up to" or "exactly"), an output when its output type is not none.
constexpr BlockKind kKinds[] = {
    {100, kPort, "Bitport", "PORT\nBIT", true, true},
    {101, kPort, "Byteport", "PORT\nBYTE", true, true},
    {102, kPort, "Wortport", "PORT\nWORT", true, true},
    {103, kPort, "A/D-Eingang", "A/D", false, true},
    {104, kPort, "D/A-Ausgang", "D/A", true, false},
    {105, kPort, "Frequenzeingang", "FREQ", false, true},
    {106, kDisplay, "Tastatur", "TASTE", false, true},
    {107, kDisplay, "LCD-Anzeige", "LCD", true, false},
    {108, kDisplay, "Tongeber", "BEEP", true, false},
    {109, kDisplay, "LED-Anzeige", "LED", true, false},
    {200, kArith, "Addition", "+", true, true},
    {201, kArith, "Subtraktion", "-", true, true},
    {202, kArith, "Multiplikation", "\x05", true, true},
    {203, kArith, "Division", "/", true, true},
    {204, kArith, "Divisionsrest", "MOD", true, true},
    {205, kArith, "Negation", "NEG", true, true},
    {206, kArith, "Betrag", "ABS", true, true},
    {207, kArith, "Vorzeichen", "SGN", true, true},
    {208, kArith, "Zufallszahl", "RND", true, true},
    {209, kArith, "Tabelle", "TAB", true, true},
    {210, kArith, "Minimum", "MIN", true, true},
    {211, kArith, "Maximum", "MAX", true, true},
    {212, kArith, "Links schieben", "SHL", true, true},
    {213, kArith, "Rechts schieben", "SHR", true, true},
    {214, kArith, "Wertauswahl", "A?B:C", true, true},
    {215, kArith, "Quadratwurzel", "\x04", true, true},
    {300, kLogic, "Nicht", "NOT", true, true},
    {301, kLogic, "Und", "AND", true, true},
    {302, kLogic, "Nicht-Und", "NAND", true, true},
    {303, kLogic, "Oder", "OR", true, true},
    {304, kLogic, "Nicht-Oder", "NOR", true, true},
    {305, kLogic, "Exklusiv-Oder", "XOR", true, true},
    {400, kCompare, "Kleiner", "<", true, true},
    {401, kCompare, "Kleiner oder gleich", "\x02", true, true},
    {402, kCompare,
     "Gr\xF6\xDF"
     "er",
     ">", true, true},
    {403, kCompare,
     "Gr\xF6\xDF"
     "er oder gleich",
     "\x03", true, true},
    {404, kCompare, "Gleich", "=", true, true},
    {405, kCompare, "Ungleich", "\x01", true, true},
    {406, kCompare, "Gleich null", "=0", true, true},
    {407, kCompare, "Ungleich null",
     "\x01"
     "0",
     true, true},
    {408, kCompare, "Kleiner null", "<0", true, true},
    {409, kCompare,
     "Gr\xF6\xDF"
     "er null",
     ">0", true, true},
    {500, kClock, "Sekunde", "SEK", true, true},
    {501, kClock, "Minute", "MIN", true, true},
    {502, kClock, "Stunde", "STD", true, true},
    {503, kClock, "Uhrzeit", "ZEIT", false, true},
    {504, kClock, "Tag", "TAG", true, true},
    {506, kClock, "Monat", "MONAT", true, true},
    {507, kClock, "Jahr", "JAHR", true, true},
    {508, kClock, "Datum", "DATUM", false, true},
    {509, kClock, "Timer", "TIMER", false, true},
    {600, kVariable, "Bitvariable", "VAR\nBIT", true, true},
    {601, kVariable, "Bytevariable", "VAR\nBYTE", true, true},
    {602, kVariable, "Wortvariable", "VAR\nWORT", true, true},
    {700, kConstant, "Zahlkonstante", "123", false, true},
    {701, kConstant, "Zeichenkonstante", "'C'", false, true},
    {702, kConstant, "Textkonstante", "TEXT", false, true},
    {703, kConstant, "Zeitkonstante", "12:00", false, true},
    {704, kConstant, "Datumskonstante", "31.12", false, true},
    {800, kFile,
     "Zum Schreiben \xF6"
     "ffnen",
     "OPEN\nW", false, false},
    {801, kFile,
     "Zum Anh\xE4"
     "ngen \xF6"
     "ffnen",
     "OPEN\nA", false, false},
    {802, kFile,
     "Zum Lesen \xF6"
     "ffnen",
     "OPEN\nR", false, false},
    {803, kFile, "In Datei schreiben", "WRITE", true, false},
    {804, kFile, "Aus Datei lesen", "READ", false, true},
    {805, kFile,
     "Datei schlie\xDF"
     "en",
     "CLOSE", false, false},
    {806, kFile, "Dateiende", "EOF", false, true},
    {807, kFile, "Freier Dateispeicher", "FREE", false, true},
    {900, kSerial, "Ausgabe", "PRINT", true, false},
    {901, kSerial, "Eingabe", "INPUT", false, true},
    {902, kSerial, "Zeichen senden", "PUT", true, false},
    {903, kSerial, "Zeichen empfangen", "GET", false, true},
    {904, kSerial, "Baudrate", "BAUD", false, false},
    {905, kSerial, "Empfangsbereit", "RXD", false, true},
    {1000, kFlow, "Sprung", "GOTO", true, false},
    {1001, kFlow, "Unterprogramm", "GOSUB", true, false},
    {1002, kFlow,
     "R\xFC"
     "cksprung",
     "RET", true, false},
    {1003, kFlow, "Verteilter Sprung", "ON\nGOTO", true, false},
    {1004, kFlow, "Verteilter Aufruf", "ON\nGOSUB", true, false},
    {1005, kFlow, "Warten", "WAIT", true, false},
    {1006, kFlow, "Pause", "PAUSE", true, false},
    {1007, kFlow, "Ende", "END", true, false},
};

} // namespace

std::span<const BlockGroup> Groups() {
    return kGroups;
}

std::span<const BlockKind> Kinds() {
    return kKinds;
}

const BlockKind* FindKind(int id) {
    for (const BlockKind& kind : kKinds) {
        if (kind.id == id) {
            return &kind;
        }
    }
    return nullptr;
}

const BlockGroup* FindGroup(std::string_view key) {
    for (const BlockGroup& group : kGroups) {
        if (key == group.key) {
            return &group;
        }
    }
    return nullptr;
}

} // namespace images
