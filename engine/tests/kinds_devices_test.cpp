// Keypad, LCD, beeper and LED display kinds: the routine libraries, each kind's code and what
// the simulated unit shows when it runs.
#include "engine/tests/kinds_support.h"

#include <algorithm>
#include <cstring>

namespace kindstest {
namespace {

constexpr int kKeypadLibrary = 225;
constexpr int kLcdLibraryDownload = 346;
constexpr int kLcdLibrarySimulation = 351;

// The keypad library as the unit expects it: a jump over it, the scan with the value of A/D
// channel 7 kept in user byte 23, twelve checks and the no-key return.
Bytes KeypadLibrary(int at) {
    const int thresholds[] = {0, 23, 46, 68, 90, 111, 132, 152, 173, 193, 214, 235};
    const char keys[] = "*7410852#963";
    Bytes lib = Cat({B({3}), Addr(at + kKeypadLibrary), B({16, 7, 25, 23})});
    for (int i = 0; i < 12; ++i) {
        const int checkStart = static_cast<int>(lib.size());
        if (i > 0)
            lib.push_back(22), lib.push_back(23);
        const int next = checkStart + (i > 0 ? 18 : 16);
        lib = Cat({lib, B({20, 0, thresholds[i], 52, 56, 20, 0, 3, 63, 4}), Addr(at + next),
                   B({20, 0, keys[i], 6})});
    }
    return Cat({lib, B({20, 0, 0, 6})});
}

class KeypadKind : public KindsTest {
protected:
    int KeyFor(uint8_t adc) {
        MoltraneResetProgram(h);
        MoltraneSetADC(h, 7, adc);
        std::string out;
        for (int i = 0; i < 100; ++i) {
            const uint32_t s = MoltraneStep(h);
            if ((s & 0xFFFF) == 3)
                out += MoltraneGetOutputString(h);
            if ((s & 0xFFFF) == 0 || (s & 0xFFFF) == 0xFFFF)
                break;
        }
        return out.empty() ? -1 : std::stoi(out);
    }
};

TEST_F(KeypadKind, LibraryStandsFirstAndTheBlockCallsIt) {
    const BlockHandle key = Add(106);
    EXPECT_EQ(Param(key), "<null>");
    const BlockHandle print = Add(900, "1");
    Wire(key, print);
    MustBuild();
    const Bytes call = Cat({B({5}), Addr(3), B({30})});
    EXPECT_EQ(CodeDump(), Cat({KeypadLibrary(0), call, B({255})}));
    EXPECT_EQ(SimImage(), Cat({KeypadLibrary(0), B({254, 0, 1}), call, B({255})}));
}

TEST_F(KeypadKind, AnalogValueSelectsTheKey) {
    Wire(Add(106), Add(900, "1"));
    MustBuild();
    EXPECT_EQ(KeyFor(24), '7');
    EXPECT_EQ(KeyFor(26), '7');
    EXPECT_EQ(KeyFor(20), '7');
    EXPECT_EQ(KeyFor(30), 0); // between the windows of "7" and "4"
    EXPECT_EQ(KeyFor(0), '*');
    EXPECT_EQ(KeyFor(3), '*');
    EXPECT_EQ(KeyFor(173), '#');
    EXPECT_EQ(KeyFor(238), '3');
    EXPECT_EQ(KeyFor(255), 0);
    EXPECT_EQ(Value(Add(601, "24")), 255); // the scan keeps the value in user byte 24
}

TEST_F(KeypadKind, LibraryBelongsToTheEngineHoldingTheBlock) {
    EngineHandle other = MoltraneCreate();
    MoltraneAddPage(other, 1, 0);
    MoltraneAddBlock(other, 106, Handle(1, 1));
    MustBuild();
    EXPECT_EQ(CodeDump(), B({255}));
    // Removing the last keypad block drops the library again.
    const BlockHandle key = Add(106);
    MustBuild();
    EXPECT_EQ(static_cast<int>(CodeDump().size()), kKeypadLibrary + 1);
    MoltraneRemoveBlock(h, key);
    MustBuild();
    EXPECT_EQ(CodeDump(), B({255}));
    MoltraneDestroy(other);
}

class LcdKind : public KindsTest {
protected:
    std::string Line(int line) {
        const auto* text = static_cast<const uint8_t*>(MoltraneGetLCD(h));
        return std::string(reinterpret_cast<const char*>(text) + 32 * line, 32);
    }
};

TEST_F(LcdKind, LibraryLengthsAndStartUp) {
    Add(107);
    MustBuild();
    const Bytes code = CodeDump();
    const Bytes sim = SimImage();
    // The block's own code: the calls of LCD_GOTOLINE_1 and LCD_CLREOL.
    ASSERT_EQ(static_cast<int>(code.size()), kLcdLibraryDownload + 6 + 1);
    ASSERT_EQ(static_cast<int>(sim.size()), kLcdLibrarySimulation + 3 + 6 + 1);
    // Port high byte 0, then the command 56 through user byte 22 and LCD_WRITECMD at 78.
    EXPECT_EQ(Bytes(code.begin(), code.begin() + 13),
              Cat({B({20, 0, 0, 14, 1, 20, 0, 56, 25, 22, 5}), Addr(78)}));
    // The start-up jumps over the library.
    EXPECT_EQ(Bytes(code.begin() + 45, code.begin() + 48), Cat({B({3}), Addr(346)}));
    EXPECT_EQ(Bytes(sim.begin() + 45, sim.begin() + 48), Cat({B({3}), Addr(351)}));
    // LCD_GOTOLINE_1 at 65: the simulation image marks line 1 first.
    EXPECT_EQ(Bytes(code.begin() + 65, code.begin() + 73),
              Cat({B({20, 0, 128, 25, 22, 3}), Addr(78)}));
    EXPECT_EQ(Bytes(sim.begin() + 65, sim.begin() + 74),
              Cat({B({251, 20, 0, 128, 25, 22, 3}), Addr(80)}));
    // No debugging opcodes in the download image.
    for (int op : {249, 250, 251, 252, 253, 254})
        EXPECT_EQ(std::count(code.begin(), code.end(), op), 0) << op;
}

TEST_F(LcdKind, MaskCharactersNumbersAndLines) {
    const BlockHandle lcd = Add(107, "Wert #\n$ \xB0"
                                     "C");
    Wire(Const(-1234), lcd, 0);
    Wire(Add(701, "'q'"), lcd, 1);
    MustBuild();
    const Bytes code = CodeDump();
    // Call LCD_GOTOLINE_1 (65), 'W' to LCD_WRITECHAR (86), ... the value to LCD_OUTVAL (176),
    // then LCD_CLREOL (122), LCD_GOTOLINE_2 (73); the degree sign is 223 on the display.
    const auto ch = [](int c) { return Cat({B({20, 0, c, 25, 22, 5}), Addr(86)}); };
    const Bytes expected = Cat({B({5}),         Addr(65),  ch('W'),         ch('e'),
                                ch('r'),        ch('t'),   ch(' '),         B({20, 0xFB, 0x2E}),
                                B({26, 10, 5}), Addr(176), B({5}),          Addr(122),
                                B({5}),         Addr(73),  B({20, 0, 'q'}), B({25, 22, 5}),
                                Addr(86),       ch(' '),   ch(223),         ch('C'),
                                B({5}),         Addr(122), B({255})});
    EXPECT_EQ(Bytes(code.begin() + kLcdLibraryDownload, code.end()), expected);

    const RunResult r = Run();
    EXPECT_TRUE(r.Ended);
    EXPECT_FALSE(r.Failed);
    EXPECT_EQ(Line(0), "Wert -1234" + std::string(16, ' ') + std::string(6, '\xFF'));
    EXPECT_EQ(Line(1), "q \xDF"
                       "C" +
                           std::string(28, ' '));
    // The enable line was pulsed back to its level; the data lines are outputs.
    EXPECT_EQ(static_cast<uint32_t>(MoltraneGetPortState(h)) >> 16, 0xFF00u);
}

TEST_F(LcdKind, NumbersPrintWithoutLeadingZeros) {
    for (int v : {0, 7, 10, 305, 1000, 32767, -32767}) {
        SCOPED_TRACE(v);
        MoltraneClearPage(h, 1);
        const BlockHandle lcd = Add(107, "#");
        Wire(Const(v), lcd);
        MustBuild();
        Run();
        std::string shown = std::to_string(v);
        EXPECT_EQ(Line(0).substr(0, shown.size() + 1), shown + " ");
    }
}

TEST_F(LcdKind, UnconnectedFieldUsesUpItsInput) {
    const BlockHandle lcd = Add(107, "XY#");
    Wire(Const(5), lcd, 1); // "b": never used by the mask's single field
    MustBuild();
    const Bytes code = CodeDump();
    const auto ch = [](int c) { return Cat({B({20, 0, c, 25, 22, 5}), Addr(86)}); };
    EXPECT_EQ(Bytes(code.begin() + kLcdLibraryDownload, code.end()),
              Cat({B({5}), Addr(65), ch('X'), ch('Y'), B({5}), Addr(122), B({255})}));
}

TEST_F(LcdKind, FieldsBeyondTheEighthInputEmitNothing) {
    const BlockHandle lcd = Add(107, "#########");
    for (short i = 0; i < 8; ++i)
        Wire(Const(i + 1), lcd, i);
    MustBuild();
    Run();
    EXPECT_EQ(Line(0).substr(0, 9), "12345678 ");
}

TEST_F(LcdKind, MaskKeepsLongLinesAndIsCutAt39) {
    const std::string mask = std::string(17, 'A') + "\n" + std::string(30, 'B');
    const BlockHandle lcd = Add(107, mask.c_str());
    EXPECT_EQ(Param(lcd), mask.substr(0, 39));
    EXPECT_TRUE(MoltraneSetBlockParam(h, lcd, (std::string(17, 'A') + "\nBBB").c_str()));
    MustBuild();
    Run();
    EXPECT_EQ(Line(0), std::string(17, 'A') + std::string(15, ' '));
    EXPECT_EQ(Line(1), "BBB" + std::string(29, ' '));
}

TEST_F(LcdKind, CharacterMap) {
    // Umlauts in upper case, degree, micro and sharp s change; everything else stays.
    const BlockHandle lcd = Add(107, "\xC4\xD6\xDC\xB5\xDF\xE4z~");
    (void)lcd;
    MustBuild();
    Run();
    EXPECT_EQ(Line(0).substr(0, 8), "\xE1\xEF\xF5\xE4\xE2\xE4z~");
}

TEST_F(LcdKind, LibraryOnlyOnceForManyBlocksAndBeforeTheKeypad) {
    Add(107, "a");
    Add(107, "b");
    Wire(Add(106), Add(900, "1"));
    MustBuild();
    const Bytes code = CodeDump();
    EXPECT_EQ(Bytes(code.begin() + kLcdLibraryDownload,
                    code.begin() + kLcdLibraryDownload + kKeypadLibrary),
              KeypadLibrary(kLcdLibraryDownload));
}

class BeepKind : public KindsTest {};

TEST_F(BeepKind, MelodyTriplesWithToneZeroSkipped) {
    const BlockHandle beep = Add(108, "478 10 5 0 10 5");
    EXPECT_EQ(Param(beep), "478 10 5 0 10 5");
    MustBuild();
    EXPECT_EQ(DownloadBody(),
              B({20, 0x01, 0xDE, 29, 8, 20, 0, 10, 2, 20, 0, 0, 29, 8, 20, 0, 5, 2}));
    EXPECT_EQ(SimBody(), DownloadBody());
}

TEST_F(BeepKind, CutShortTripleCountsMissingNumbersAsZero) {
    Add(108, "239 4");
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 239, 29, 8, 20, 0, 4, 2, 20, 0, 0, 29, 8, 20, 0, 0, 2}));
    MoltraneClearPage(h, 1);
    Add(108, " 300 ");
    MustBuild();
    EXPECT_EQ(DownloadBody(),
              B({20, 0x01, 0x2C, 29, 8, 20, 0, 0, 2, 20, 0, 0, 29, 8, 20, 0, 0, 2}));
}

TEST_F(BeepKind, EmptyOrUnreadableMelodyEmitsNothing) {
    Add(108);
    Add(108, "abc 478 1 1");
    MustBuild();
    EXPECT_EQ(DownloadBody(), Bytes{});
}

TEST_F(BeepKind, LongMelodyIsCutAt599Characters) {
    std::string melody;
    while (melody.size() < 700)
        melody += "100 1 1 ";
    const BlockHandle beep = Add(108, melody.c_str());
    EXPECT_EQ(Param(beep), melody.substr(0, 599));
}

TEST_F(BeepKind, InputsOverrideTheMelody) {
    const BlockHandle beep = Add(108, "478 10 5");
    Wire(Const(50), beep, 1);
    MustBuild();
    // No tone input: tone 0; then the duration and the tone switched off.
    EXPECT_EQ(DownloadBody(), B({20, 0, 0, 29, 8, 20, 0, 50, 2, 20, 0, 0, 29, 8}));
    MoltraneClearPage(h, 1);
    const BlockHandle full = Add(108);
    Wire(Const(400), full, 0);
    Wire(Const(3), full, 2);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0x01, 0x90, 29, 8, 20, 0, 3, 2}));
    EXPECT_TRUE(Run().Ended);
    EXPECT_EQ(MoltraneGetValue(h, 0x01050008), 400); // tone register
}

class LedKind : public KindsTest {
protected:
    Bytes Shift(int segments) { return B({20, 0, segments, 8, 1, 0x87}); }
    Bytes Number(int point, int places) { return B({20, 0, point, 20, 0, places, 8, 1, 1}); }
    std::vector<int> Display() {
        const unsigned char* led = MoltraneGetLED(h);
        return std::vector<int>(led, led + 6);
    }
};

TEST_F(LedKind, FixedCharactersOnTheStarterBoard) {
    ProvideFirmware();
    const BlockHandle led = Add(109, "HALLO-000100");
    EXPECT_EQ(Param(led), "HALLO-000100");
    MustBuild();
    // From the right: "-", "O", "L" with its point lit, "L", "A", "H".
    const Bytes code =
        Cat({B({20, 0, 0, 13, 9, 13, 13, 20, 0xFF, 0xFF, 13, 10}), Shift(253), Shift(148),
             Shift(242 & 0x7F), Shift(242), Shift(136), Shift(200), B({20, 0, 0, 13, 10})});
    EXPECT_EQ(CodeDump(), Cat({code, B({255, 0xAB})}));
    EXPECT_EQ(SimBody(), Cat({code, B({249})}));
    EXPECT_EQ(MoltraneGetCodeLength(h), static_cast<int>(code.size()) + 2);
    const RunResult r = Run();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(Display(), (std::vector<int>{200, 136, 242, 242 & 0x7F, 148, 253}));
    EXPECT_TRUE(std::any_of(r.Statuses.begin(), r.Statuses.end(),
                            [](uint32_t s) { return (s & 0xFFFF) == 8; }));
}

TEST_F(LedKind, ApplicationBoardDrivesOtherLinesAndFirmware) {
    ProvideFirmware();
    MoltraneSetOptions(h, 4);
    Add(109, "      000000");
    MustBuild();
    const Bytes code = CodeDump();
    EXPECT_EQ(Bytes(code.begin(), code.begin() + 12),
              B({20, 0, 0, 13, 13, 13, 9, 20, 0xFF, 0xFF, 13, 14}));
    EXPECT_EQ(Bytes(code.end() - 7, code.end()), B({20, 0, 0, 13, 14, 255, 0xCD}));
}

TEST_F(LedKind, NumberFieldsTakeTheInputsFromTheRight) {
    ProvideFirmware();
    // ##.### with the point flag at place 3: field 4-6 is "a" (3 places, no point), the point
    // character shows lit, field 1-2 is "b".
    const BlockHandle led = Add(109, "##.###001000");
    Wire(Const(42), led, 0);
    Wire(Const(-7), led, 1);
    MustBuild();
    const Bytes code = CodeDump();
    EXPECT_EQ(Bytes(code.begin() + 12, code.end() - 7),
              Cat({B({20, 0, 42}), Number(0, 3), Shift(127), B({20, 0xFF, 0xF9}), Number(0, 2)}));
    Run();
    EXPECT_EQ(Display(), (std::vector<int>{253, 143, 127, 255, 204, 145}));
}

TEST_F(LedKind, PointPlaceIsTheHighestFlaggedPlaceOfTheField) {
    ProvideFirmware();
    const BlockHandle led = Add(109, "###   011000");
    Wire(Const(5), led, 2); // "c" is never reached: the only field takes "a"
    Wire(Const(5), led, 0);
    MustBuild();
    const Bytes code = CodeDump();
    EXPECT_EQ(Bytes(code.begin() + 12, code.end() - 7),
              Cat({Shift(255), Shift(255), Shift(255), B({20, 0, 5}), Number(2, 3)}));
    Run();
    // 5 in 3 places with the point at place 2: blank, "0" with its point, "5".
    EXPECT_EQ(Display(), (std::vector<int>{255, 130 & 0x7F, 164, 255, 255, 255}));
}

TEST_F(LedKind, UnconnectedFieldEmitsNothingAndShortMaskReadsBlank) {
    ProvideFirmware();
    Add(109, "#");
    MustBuild();
    const Bytes code = CodeDump();
    EXPECT_EQ(Bytes(code.begin() + 12, code.end() - 7),
              Cat({Shift(255), Shift(255), Shift(255), Shift(255), Shift(255)}));
}

TEST_F(LedKind, SegmentMap) {
    ProvideFirmware();
    const char chars[] = "0123456789-AbCcdEFGHhIJLNnOoPqrtUuY_\xB0\xB5\xF6\xFCxZ";
    const int segments[] = {130, 207, 145, 133, 204, 164, 160, 143, 128, 132, 253, 136, 224, 178,
                            241, 193, 176, 184, 162, 200, 232, 250, 195, 242, 138, 233, 148, 225,
                            152, 140, 249, 240, 194, 227, 196, 247, 156, 216, 161, 163, 255, 255};
    for (size_t i = 0; i < std::strlen(chars); ++i) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(chars[i])));
        MoltraneClearPage(h, 1);
        Add(109, (std::string(5, ' ') + chars[i] + "000000").c_str());
        MustBuild();
        const Bytes code = CodeDump();
        EXPECT_EQ(Bytes(code.begin() + 12, code.begin() + 18), Shift(segments[i]));
    }
}

TEST_F(LedKind, MissingFirmwareFailsTheCompile) {
    h->FirmwareDirectory = dir_;
    Add(109, "000000000000");
    ExpectBuildFails(-1, "Datei nicht gefunden");
}

} // namespace
} // namespace kindstest
