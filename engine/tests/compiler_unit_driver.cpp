// The compile driver: page order and markers, labels and fixups, tables, the memory image,
// "CODE.TXT", progress, cancelling and the failure messages.
#include "engine/tests/compiler_unit_support.h"

#include <atomic>

using namespace compilertest;

namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST_F(CompilerTest, EmptyProjectIsTheEndOpcode) {
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{255}));
    EXPECT_EQ(Image(engine.SimulationCompiler), (Bytes{255}));
    ASSERT_EQ(engine.CompilerDone(), 1) << engine.ErrorText;
    EXPECT_EQ(engine.CodeLength(), 1);
    EXPECT_EQ(CodeTxt(), "255 ");
    EXPECT_EQ(Memory(5), (Bytes{0, 1, 0, 0, 255}));
}

TEST_F(CompilerTest, PagesCompileInListOrderWithMarkersInTheSimulationImage) {
    Put<StatementBlock>(7, 1, Bytes{7, 71});
    Put<StatementBlock>(3, 1, Bytes{3});
    Page(5); // an empty page still gets its marker
    ASSERT_EQ(Build(), 0) << engine.ErrorText;
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{7, 71, 3, 255}));
    EXPECT_EQ(Image(engine.SimulationCompiler),
              (Bytes{254, 0, 7, 7, 71, 254, 0, 3, 3, 254, 0, 5, 255}));
    ASSERT_EQ(engine.CompilerDone(), 1);
    EXPECT_EQ(CodeTxt(), "7 71 3 255 ");
    // Header: the download length, then the simulation image from address 4.
    EXPECT_EQ(Memory(17), Concat({{0, 4, 0, 0}, Image(engine.SimulationCompiler)}));
}

TEST_F(CompilerTest, LargePageNumberMarker) {
    Page(0x1234);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.SimulationCompiler), (Bytes{254, 0x12, 0x34, 255}));
}

TEST_F(CompilerTest, OnlyStatementRootsStartCode) {
    // A wired sink compiles its source; the source on its own and an unwired sink do not.
    auto* value = Put<ValueBlock>(1, 1, 'v');
    auto* sink = Put<PrintLikeBlock>(1, 2);
    Put<PrintLikeBlock>(1, 3);
    Put<ValueBlock>(1, 4, 'w');
    sink->Connect(value, 0);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{'v', 'P', 255}));
}

TEST_F(CompilerTest, ValueUsedByTwoStatementsIsCompiledForEach) {
    auto* value = Put<ValueBlock>(1, 1, 'v');
    auto* a = Put<PrintLikeBlock>(1, 2);
    auto* b = Put<PrintLikeBlock>(1, 3);
    a->Connect(value, 0);
    b->Connect(value, 0);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{'v', 'P', 'v', 'P', 255}));
}

TEST_F(CompilerTest, FoldOverConnectedInputsSkipsGaps) {
    auto* one = Put<ValueBlock>(1, 1, 1);
    auto* five = Put<ValueBlock>(1, 2, 5);
    auto* three = Put<ValueBlock>(1, 3, 3);
    auto* add = Put<FoldBlock>(1, 4);
    auto* sink = Put<PrintLikeBlock>(1, 5);
    add->Connect(one, 1);
    add->Connect(five, 5);
    sink->Connect(add, 0);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{1, 5, '+', 'P', 255}));
    add->DisconnectAll();
    add->Connect(three, 3);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{3, 'P', 255}));
    add->Connect(one, 0);
    add->Connect(five, 19);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{1, 3, '+', 5, '+', 'P', 255}));
}

TEST_F(CompilerTest, TwoOperatorsFeedingEachOtherAreARecursion) {
    auto* first = Put<FoldBlock>(1, 1);
    auto* second = Put<FoldBlock>(1, 2);
    auto* sink = Put<PrintLikeBlock>(1, 3);
    first->Connect(second, 0);
    second->Connect(first, 0);
    sink->Connect(first, 0);
    EXPECT_EQ(Build(), first->Handle());
    EXPECT_STREQ(engine.ErrorText, "ung\xFCltige Rekursion");
}

TEST_F(CompilerTest, MissingRequiredInputOfACompiledOperator) {
    auto* value = Put<ValueBlock>(1, 1, 'v');
    auto* pair = Put<PairBlock>(1, 2);
    auto* sink = Put<PrintLikeBlock>(1, 3);
    pair->Connect(value, 1);
    sink->Connect(pair, 0);
    EXPECT_EQ(Build(), pair->Handle());
    EXPECT_STREQ(engine.ErrorText, "fehlende Eingangsverbindung");
    pair->Connect(value, 0);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{'v', 'v', '-', 'P', 255}));
}

TEST_F(CompilerTest, StoredValueInALoopLoadsInsteadOfFailing) {
    // word <- fold <- (word, value): the word stores the sum of its old value and another.
    auto* word = Put<StoreBlock>(1, 1);
    auto* fold = Put<FoldBlock>(1, 2);
    auto* value = Put<ValueBlock>(1, 3, 'v');
    word->Connect(fold, 0);
    fold->Connect(word, 0);
    fold->Connect(value, 1);
    ASSERT_FALSE(word->IsStatementRoot()) << "the fold uses its value";
    auto* sink = Put<PrintLikeBlock>(1, 4);
    sink->Connect(word, 0);
    ASSERT_EQ(Build(), 0) << engine.ErrorText;
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{'L', 'v', '+', 'S', 'P', 255}));
}

TEST_F(CompilerTest, StoredValueWithoutInputLoads) {
    auto* word = Put<StoreBlock>(1, 1);
    auto* sink = Put<PrintLikeBlock>(1, 2);
    sink->Connect(word, 0);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{'L', 'P', 255}));
}

TEST_F(CompilerTest, JumpToANamedPageResolvesToItsAddress) {
    Put<StatementBlock>(1, 1, Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    Page(2, "Ziel");
    Put<StatementBlock>(2, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::Jump);
        c.EmitFixup("Ziel");
    });
    ASSERT_EQ(Build(), 0);
    ASSERT_EQ(engine.CompilerDone(), 1) << engine.ErrorText;
    // Download: the page starts at code position 10, memory address 14.
    EXPECT_EQ(Image(engine.DownloadCompiler),
              (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 3, 0, 14, 255}));
    // Simulation: the label stands before the page's marker.
    EXPECT_EQ(Image(engine.SimulationCompiler),
              Concat({{254, 0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {254, 0, 2, 3, 0, 17, 255}}));
    EXPECT_EQ(CodeTxt(), "1 2 3 4 5 6 7 8 9 10 3 0 14 255 ");
}

TEST_F(CompilerTest, UndefinedJumpTargetIsReportedWithItsName) {
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::Gosub);
        c.EmitFixup("Nirgends");
    });
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.CompilerDone(), 0);
    EXPECT_STREQ(engine.ErrorText, "Sprungziel/Tabelle nicht definiert: Nirgends");
    EXPECT_FALSE(std::filesystem::exists("CODE.TXT")) << "nothing is written after a failure";
}

TEST_F(CompilerTest, VeryLongTargetNameIsCutNotOverrun) {
    const std::string name(600, 'N');
    Put<StatementBlock>(1, 1, [name](CMoltraneCompiler& c) {
        c.Emit(Op::Jump);
        c.EmitFixup(name.c_str());
    });
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.CompilerDone(), 0);
    const std::string text = engine.ErrorText;
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(0, 36), "Sprungziel/Tabelle nicht definiert: ");
}

TEST_F(CompilerTest, FirstLabelOfANameWins) {
    // A table named like a page: the page's label came first.
    Page(1, "Doppelt");
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::TableRead);
        c.EmitFixup("Doppelt");
    });
    ASSERT_EQ(Build(), 0);
    ASSERT_EQ(engine.LoadTable("Doppelt", "5"), 1);
    ASSERT_EQ(engine.CompilerDone(), 1);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{27, 0, 4, 255, 0, 5}));
}

TEST_F(CompilerTest, TablesStandBehindTheProgram) {
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::TableRead);
        c.EmitFixup("Kennlinie");
    });
    ASSERT_EQ(Build(), 0);
    ASSERT_EQ(engine.LoadTable("Kennlinie", "1 2 -1"), 1) << engine.ErrorText;
    ASSERT_EQ(engine.LoadTable("Zweite", " 70000\n"), 1);
    ASSERT_EQ(engine.CompilerDone(), 1) << engine.ErrorText;
    // Program 27 w 255 (4 bytes), then the tables at positions 4 and 10.
    EXPECT_EQ(Image(engine.DownloadCompiler),
              (Bytes{27, 0, 8, 255, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x11, 0x70}));
    EXPECT_EQ(Image(engine.SimulationCompiler),
              (Bytes{254, 0, 1, 27, 0, 11, 255, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFF, 0x11, 0x70}));
    EXPECT_EQ(engine.CodeLength(), 12);
    EXPECT_EQ(CodeTxt(), "27 0 8 255 0 1 0 2 255 255 17 112 ");
}

TEST_F(CompilerTest, TableNumberSyntaxAndLimit) {
    ASSERT_EQ(Build(), 0);
    ASSERT_EQ(engine.LoadTable("Oktal", "010 0x1F 08"), 1);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{255, 0, 8, 0, 31, 0, 0, 0, 8}));
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += std::to_string(i) + (i % 10 == 9 ? "\r\n" : "\t");
    ASSERT_EQ(engine.LoadTable("Viele", many.c_str()), 1);
    EXPECT_EQ(engine.DownloadCompiler.Length, 9 + 512);
    EXPECT_EQ(engine.SimulationCompiler.Length, 9 + 512);
    EXPECT_EQ(engine.DownloadCompiler.Data[9 + 510], 0);
    EXPECT_EQ(engine.DownloadCompiler.Data[9 + 511], 255);
}

TEST_F(CompilerTest, TableWithALetterFails) {
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.LoadTable("Falsch", "1 x 2"), 0);
    EXPECT_STREQ(engine.ErrorText, "Fehler in Tabelle");
    // The download image failed first: the simulation image got no part of the table.
    EXPECT_EQ(engine.SimulationCompiler.Length, 1);
}

TEST_F(CompilerTest, ProgramTooLong) {
    Put<StatementBlock>(1, 1, Bytes(CMoltraneCompiler::kCodeCapacity, 7));
    EXPECT_EQ(Build(), -1);
    EXPECT_STREQ(engine.ErrorText, "Programm zu lang");
    // Exactly full with the end opcode fits.
    engine.ClearPage(1);
    Put<StatementBlock>(1, 1, Bytes(CMoltraneCompiler::kCodeCapacity - 1, 7));
    EXPECT_EQ(Build(), -1) << "the page marker of the simulation image does not fit";
    engine.RemovePage(1);
    ASSERT_EQ(Build(), 0);
    std::string big;
    for (int i = 0; i < 256; ++i)
        big += "1 ";
    for (int t = 0; t < 15; ++t)
        ASSERT_EQ(engine.LoadTable(("T" + std::to_string(t)).c_str(), big.c_str()), 1);
    EXPECT_EQ(engine.LoadTable("Zuviel", big.c_str()), 0);
    EXPECT_STREQ(engine.ErrorText, "Programm zu lang");
}

TEST_F(CompilerTest, BreakStopsBeforeTheNextPage) {
    Put<StatementBlock>(1, 1, [this](CMoltraneCompiler&) { engine.BreakFlag.store(1); });
    Page(2);
    EXPECT_EQ(Build(), -1);
    EXPECT_STREQ(engine.ErrorText, "Abbruch durch Anwender");
    // The next compile starts with a cleared flag.
    engine.ClearPage(1);
    EXPECT_EQ(Build(), 0);
}

TEST_F(CompilerTest, ProgressRisesWithinRangeAndEndsAt100) {
    std::vector<int> seen;
    for (int p = 1; p <= 3; ++p)
        Put<StatementBlock>(
            p, 1, [this, &seen](CMoltraneCompiler&) { seen.push_back(engine.Progress()); });
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.Progress(), 100);
    ASSERT_EQ(seen.size(), 6u);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_GE(seen[i], 0);
        EXPECT_LT(seen[i], 100);
        if (i > 0) {
            EXPECT_GT(seen[i], seen[i - 1]);
        }
    }
}

TEST_F(CompilerTest, UnknownFailureInsideTheCompile) {
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler&) { throw std::runtime_error("kaputt"); });
    EXPECT_EQ(Build(), -1);
    EXPECT_STREQ(engine.ErrorText, "unbekannter Compilerfehler");
}

TEST_F(CompilerTest, ErrorTextStaysAfterSuccess) {
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler&) { throw COMPILERERROR{77, "Test"}; });
    EXPECT_EQ(Build(), 77);
    engine.ClearPage(1);
    EXPECT_EQ(Build(), 0);
    EXPECT_STREQ(engine.ErrorText, "Test");
}

TEST_F(CompilerTest, InitEmptiesCodeLabelsAndFixups) {
    Page(1, "Seite");
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::Jump);
        c.EmitFixup("Seite");
    });
    ASSERT_EQ(Build(), 0);
    ASSERT_EQ(engine.CompilerDone(), 1);
    engine.RemovePage(1);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.DownloadCompiler.FixupList.Count, 0);
    EXPECT_EQ(engine.DownloadCompiler.LabelList.Count, 0);
    ASSERT_EQ(engine.CompilerDone(), 1);
    EXPECT_EQ(CodeTxt(), "255 ");
}

TEST_F(CompilerTest, LabelNamesSurviveARenameAfterTheCompile) {
    Page(1, "Alt");
    Put<StatementBlock>(1, 1, [](CMoltraneCompiler& c) {
        c.Emit(Op::Jump);
        c.EmitFixup("Alt");
    });
    ASSERT_EQ(Build(), 0);
    ASSERT_TRUE(engine.SetPageName(1, "Neu"));
    EXPECT_EQ(engine.CompilerDone(), 1) << "labels keep the names they were compiled with";
}

TEST_F(CompilerTest, LedFirmwareIsAppendedToTheDownload) {
    {
        std::ofstream s19("LEDSTBRD.S19");
        s19 << "S00600004844521B\r\nS1060000AABBCCC8\r\nS9030000FC\r\n";
    }
    {
        std::ofstream s19("LEDAPPBRD.S19");
        s19 << "S10500001122C7\r\n";
    }
    engine.FirmwareDirectory = dir_.string();
    Page(1);
    ASSERT_EQ(AddBlock(engine, IdLED, 0x10001), 1);
    ASSERT_EQ(Build(), 0) << engine.ErrorText;
    const int codeLength = engine.DownloadCompiler.Length;
    ASSERT_EQ(engine.FirmwareCount, 3);
    EXPECT_EQ(engine.CodeLength(), codeLength + 3);
    ASSERT_EQ(engine.CompilerDone(), 1);
    EXPECT_EQ(CodeTxt(), Numbers(Image(engine.DownloadCompiler)) + "170 187 204 ");
    EXPECT_EQ(Memory(2), (Bytes{0, codeLength + 3}));

    engine.Options = kOptionApplicationBoard;
    ASSERT_EQ(Build(), 0) << engine.ErrorText;
    EXPECT_EQ(engine.FirmwareCount, 2);
    EXPECT_EQ(engine.FirmwareBytes[0], 0x11);

    std::filesystem::remove("LEDAPPBRD.S19");
    EXPECT_EQ(Build(), -1);
    EXPECT_STREQ(engine.ErrorText, "Datei nicht gefunden");
    // Without LED blocks no firmware is read or counted.
    engine.ClearPage(1);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(engine.FirmwareCount, 0);
}

TEST_F(CompilerTest, RoutineLibrariesFollowTheBlocksOfThisEngineOnly) {
    CMoltrane other; // holds a keypad and an LCD block; this engine holds none
    ASSERT_TRUE(other.AddPage(1, 0));
    ASSERT_EQ(AddBlock(other, IdKeyboard, 0x10001), 1);
    ASSERT_EQ(AddBlock(other, IdLCD, 0x10002), 1);
    Page(1);
    ASSERT_EQ(Build(), 0);
    EXPECT_EQ(Image(engine.DownloadCompiler), (Bytes{255}));
    EXPECT_EQ(Image(engine.SimulationCompiler), (Bytes{254, 0, 1, 255}));

    // The other engine starts with the LCD library, jumped over to its end, then the keypad
    // library likewise; the page's own code follows behind both.
    ASSERT_EQ(other.CompilerInit(), 1);
    ASSERT_EQ(other.Compile(), 0) << other.ErrorText;
    const CMoltraneCompiler& image = other.DownloadCompiler;
    ASSERT_GT(image.Length, 10);
    auto label = [&](const char* name) {
        XXNode<char>* node = other.DownloadCompiler.LabelList.FindByName(name);
        return node != nullptr ? node->Key : -1;
    };
    const int lcdEnd = label("LCD_END");
    const int keybEnd = label("KEYB_END");
    ASSERT_GT(lcdEnd, 0);
    ASSERT_GT(keybEnd, lcdEnd);
    EXPECT_EQ(image.Data[lcdEnd], 3) << "the keypad library starts with its jump";
    ASSERT_EQ(other.CompilerDone(), 1) << other.ErrorText;
    EXPECT_EQ(image.Data[lcdEnd + 1] << 8 | image.Data[lcdEnd + 2], keybEnd + 4);

    // Once the blocks are gone, the libraries are too.
    other.ClearPage(1);
    ASSERT_EQ(other.CompilerInit(), 1);
    ASSERT_EQ(other.Compile(), 0);
    EXPECT_EQ(Image(other.DownloadCompiler), (Bytes{255}));
}
