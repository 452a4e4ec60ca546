// Function and comment blocks: their text lines, copies, data, own bitmaps and drawing.
#include <QtTest>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "engine/include/quendal32.h"
#include "framework/utils.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/dialogs.h"

namespace {

constexpr int ConstValue = 700;
constexpr int ConstText = 702;
constexpr int Lcd = 107;
constexpr int Adder = 200;

int32_t Id(int cell, int local) {
    return (cell << 16) | local;
}

// The lines as a file holds them and as a reader splits them again.
TLines ThroughFile(const TLines& lines) {
    return SplitLines(JoinLines(lines));
}

TLines SaveBlock(const TBlock& block) {
    TLines lines;
    block.SaveToLines(lines);
    return lines;
}

// Reads a block's lines behind its alias and "ID=" line into a fresh block of the class.
template <class Block> std::unique_ptr<Block> LoadBlock(const TLines& lines, bool* ok = nullptr) {
    int id = 0;
    ParseInt(lines.at(1).substr(3), id);
    auto block = std::make_unique<Block>(id, nullptr);
    size_t index = 2;
    const bool read = block->LoadFromLines(lines, index);
    if (ok)
        *ok = read;
    return block;
}

} // namespace

class TestBlocks : public QObject {
    Q_OBJECT

    EngineHandle engine_ = nullptr;

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        engine_ = MoltraneCreate();
        QVERIFY(engine_ != nullptr);
        QCOMPARE(MoltraneAddPage(engine_, 1, 0), 1);
    }
    void cleanupTestCase() {
        MoltraneDestroy(engine_);
        FreeBlockCatalogue();
    }
    void init() { CellDisplay() = TCellDisplay(); }

    void functionBlockTextRoundTrips() {
        const TLines text = {"GraphBlock",
                             "ID=65539",
                             "105,45,165,85",
                             "IN00=65537,1:65,25,85,25,85,65,105,65",
                             "IN03=65538,65537:65,105,105,75",
                             "TYPE=200",
                             "#DLLDATA_START",
                             "erste",
                             "",
                             "dritte",
                             "#DLLDATA_END"};
        bool ok = false;
        auto block = LoadBlock<TGraphBlock>(text, &ok);
        QVERIFY(ok);
        QCOMPARE(block->ID, 65539);
        QCOMPARE(block->TypeId, Adder);
        QCOMPARE(block->InputCount, 2);
        QVERIFY(block->GetInput(1) == nullptr);
        QCOMPARE(int(block->GetInput(3)->InputLetter), 0);
        QCOMPARE(block->ParamText, std::string("erste\r\n\r\ndritte"));
        // The catalogue's picture sets the size.
        QVERIFY(block->Bitmap() != nullptr);
        QCOMPARE(block->Rect.Width(), block->Bitmap()->width());
        TLines expected = text;
        expected[2] = "105,45," + std::to_string(105 + block->Bitmap()->width()) + "," +
                      std::to_string(45 + block->Bitmap()->height());
        QCOMPARE(SaveBlock(*block), expected);
        // The lettered wire leaves room for its letter.
        QCOMPARE(block->GetWiresRect(), (TRect{45, 21, 125, 125}));
    }

    void parameterTextsKeepTheirShape() {
        auto block = TGraphBlock::CreateTyped(Id(1, 1), nullptr, Lcd);
        const std::string texts[] = {"AB\nCD",
                                     "zwei\r\nZeilen",
                                     "\r\n",
                                     "x\r\n",
                                     "#DLLDATA_END",
                                     "#CELL_END",
                                     "#BLOCK_END",
                                     "\x1B"
                                     "escape",
                                     "a\r\n#DLLDATA_END\r\nb",
                                     "\xFC\xE4\xF6"};
        for (const std::string& param : texts) {
            block->ParamText = param;
            block->HasParam = true;
            const TLines saved = SaveBlock(*block);
            for (size_t i = 7; i + 1 < saved.size(); ++i) {
                QVERIFY(saved[i] != "#DLLDATA_END");
                QVERIFY(saved[i].find('\n') == std::string::npos);
            }
            auto loaded = LoadBlock<TGraphBlock>(ThroughFile(saved));
            QCOMPARE(loaded->ParamText, param);
            QCOMPARE(SaveBlock(*loaded), saved);
        }

        // An empty text is a parameter all the same (an empty text constant).
        block->ParamText.clear();
        block->HasParam = true;
        TLines saved = SaveBlock(*block);
        QCOMPARE(TLines(saved.end() - 2, saved.end()), (TLines{"#DLLDATA_START", "#DLLDATA_END"}));
        auto loaded = LoadBlock<TGraphBlock>(ThroughFile(saved));
        QVERIFY(loaded->HasParam);
        QCOMPARE(loaded->ParamText, std::string());
        // A kind without parameter writes no section.
        block->HasParam = false;
        saved = SaveBlock(*block);
        QCOMPARE(saved.back(), std::string("TYPE=107"));
        QVERIFY(!LoadBlock<TGraphBlock>(saved)->HasParam);
    }

    void olderParameterSectionsReadAsBefore() {
        // One empty line: CR LF stays; longer texts lose their last CR LF.
        auto block = LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=1", "0,0,60,20", "TYPE=700", "#DLLDATA_START", "", "#DLLDATA_END"});
        QCOMPARE(block->ParamText, std::string("\r\n"));
        block = LoadBlock<TGraphBlock>({"GraphBlock", "ID=1", "0,0,60,20", "TYPE=700",
                                        "#DLLDATA_START", "#define", "12", "#DLLDATA_END"});
        QCOMPARE(block->ParamText, std::string("#define\r\n12"));
        // Without an end marker the section fails instead of reading on.
        bool ok = true;
        LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=1", "0,0,60,20", "TYPE=700", "#DLLDATA_START", "5"}, &ok);
        QVERIFY(!ok);
    }

    void parameterOfOneEmptyLineSavesAsOne() {
        const TLines text = {"GraphBlock",     "ID=1", "0,0,60,20",   "TYPE=700",
                             "#DLLDATA_START", "",     "#DLLDATA_END"};
        const TLines saved = SaveBlock(*LoadBlock<TGraphBlock>(text));
        QCOMPARE(TLines(saved.begin() + 3, saved.end()), TLines(text.begin() + 3, text.end()));
    }

    void blockAtTheRangeEndStaysInside() {
        // Its size update would reach beyond the range: it moves back in once, then stays.
        for (const TLines& text :
             {TLines{"GraphBlock", "ID=65537", "1048570,20,1048576,60", "TYPE=700"},
              TLines{"TextBlock", "ID=65538", "1048570,20,1048576,60", "Kommentar",
                     "Font=MS Sans Serif,8,0,0,0,0,0"}}) {
            std::unique_ptr<TBlock> block;
            if (text[0] == "GraphBlock")
                block = LoadBlock<TGraphBlock>(text);
            else
                block = LoadBlock<TTextBlock>(text);
            QCOMPARE(block->Rect.Right, MaxCellCoordinate);
            QVERIFY(block->Rect.Width() > 6);
            const TLines saved = SaveBlock(*block);
            if (text[0] == "GraphBlock")
                QCOMPARE(SaveBlock(*LoadBlock<TGraphBlock>(saved)), saved);
            else
                QCOMPARE(SaveBlock(*LoadBlock<TTextBlock>(saved)), saved);
        }
    }

    void badFontFieldTakesItsDefaultAndIsTold() {
        platform::DialogRecorder recorder;
        auto comment = LoadBlock<TTextBlock>(
            {"TextBlock", "ID=65539", "20,20,80,33", "Hallo", "Font=DejaVu Serif,14,255,1,1,0,x"});
        QCOMPARE(comment->FontAsText(), std::string("Font=DejaVu Serif,14,255,1,1,0,0"));
        // A size no font has is bad as well; the rectangle stays a text's.
        comment = LoadBlock<TTextBlock>({"TextBlock", "ID=65539", "20,20,80,33", "Hallo",
                                         "Font=DejaVu Serif,2147483647,255,0,0,0,0"});
        QCOMPARE(comment->FontAsText(), std::string("Font=DejaVu Serif,8,255,0,0,0,0"));
        QVERIFY(comment->Rect.Width() > 0 && comment->Rect.Width() < 200);
        QVERIFY(comment->Rect.Height() > 0 && comment->Rect.Height() < 50);
        const QString told = QString::fromUtf8("Block 3 in Zelle 1: ungültige Werte der "
                                               "Schriftangabe durch die Voreinstellung ersetzt!");
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        QCOMPARE(recorder.Boxes()[1].text, told);
    }

    void badBlockLinesFail() {
        bool ok = true;
        auto block = LoadBlock<TGraphBlock>({"GraphBlock", "ID=1", "0,0,x,20", "TYPE=700"}, &ok);
        QVERIFY(!ok);
        QCOMPARE(block->Rect.Left, 0);
        LoadBlock<TGraphBlock>({"GraphBlock", "ID=1", "0,0,60,20", "TYPX=700"}, &ok);
        QVERIFY(!ok);
        // A broken wire is the wire's fault: it is dropped with a message naming block and
        // input; the block and the wires behind it are read. A wire of too many points is cut
        // to 21, its end kept.
        platform::DialogRecorder recorder;
        std::string overlong = "IN02=4,1:";
        for (int i = 0; i < 30; ++i)
            overlong += std::to_string(i * 10) + ",5,";
        overlong.pop_back();
        block = LoadBlock<TGraphBlock>({"GraphBlock", "ID=65537", "0,0,60,20", "IN00=2,1:0,x",
                                        "IN01=3,1:1,1,9,9", overlong, "TYPE=200"},
                                       &ok);
        QVERIFY(ok);
        QCOMPARE(block->TypeId, 200);
        QCOMPARE(block->InputCount, 2);
        QVERIFY(!block->GetInput(0));
        QCOMPARE(block->GetInput(1)->SourceId, 3);
        QCOMPARE(block->GetInput(2)->PointCount, 21);
        QCOMPARE(block->GetInput(2)->GetPoint(19), QPoint(190, 5));
        QCOMPARE(block->GetInput(2)->GetPoint(20), QPoint(290, 5));
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        QCOMPARE(recorder.Boxes()[0].text,
                 QString::fromUtf8("Block 1 in Zelle 1: ungültige Verbindung an Eingang 00 "
                                   "entfernt!"));
        QCOMPARE(recorder.Boxes()[1].text,
                 QString::fromUtf8("Block 1 in Zelle 1: Verbindung an Eingang 02 auf 21 Punkte "
                                   "gekürzt!"));
        recorder.Clear();
        // Inputs beyond 15 are dropped with a message.
        block = LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=1", "0,0,60,20", "IN16=2,1:0,0,9,9", "TYPE=700"}, &ok);
        QVERIFY(ok);
        QCOMPARE(block->InputCount, 0);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.contains(QStringLiteral("Eingang 16")));
    }

    void ownBitmapIsStoredSoItIsFoundAgain() {
        QTemporaryDir bitmaps, elsewhere;
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(bitmaps.filePath("eigen.bmp")));
        QVERIFY(picture.scaled(50, 50).save(elsewhere.filePath("fremd.bmp")));
        BitmapDir = bitmaps.path();

        auto block = TGraphBlock::CreateTyped(Id(1, 2), nullptr, ConstValue);
        block->SetBmpFile(MakeBitmapPathRelative(bitmaps.filePath("eigen.bmp")).toStdString());
        QVERIFY(block->OwnBitmap);
        QCOMPARE(block->Rect.Width(), 40);
        TLines saved = SaveBlock(*block);
        QCOMPARE(saved.back(), std::string("BmpFile=eigen.bmp"));
        auto loaded = LoadBlock<TGraphBlock>(saved);
        QVERIFY(loaded->OwnBitmap);
        QCOMPARE(loaded->Rect.Height(), 30);

        const std::string outside = elsewhere.filePath("fremd.bmp").toStdString();
        block->SetBmpFile(MakeBitmapPathRelative(QString::fromStdString(outside)).toStdString());
        saved = SaveBlock(*block);
        QCOMPARE(saved.back(), "BmpFile=" + outside);
        loaded = LoadBlock<TGraphBlock>(saved);
        QCOMPARE(loaded->Rect.Width(), 50);

        // The copy has its own picture of the same file.
        auto copy = std::make_unique<TGraphBlock>(Id(1, 3), nullptr);
        copy->Assign(*loaded);
        QVERIFY(copy->OwnBitmap);
        QVERIFY(copy->Bitmap() != loaded->Bitmap());
        QCOMPARE(copy->Rect, loaded->Rect);

        // Dropping the own bitmap brings back the catalogue's.
        block->SetBmpFile("");
        QVERIFY(!block->OwnBitmap);
        QCOMPARE(block->Bitmap(), GetBlockBitmap(ConstValue));

        // A file that cannot be loaded falls back with a message; the name stays.
        platform::DialogRecorder recorder;
        block->SetBmpFile("fehlt.bmp");
        QVERIFY(!block->OwnBitmap);
        QCOMPARE(block->BmpFile, std::string("fehlt.bmp"));
        QCOMPARE(recorder.Boxes().size(), size_t(1));

        // Not found on load, the picture keeps its name and is saved back as read.
        saved = {"GraphBlock", "ID=65538", "0,0,60,20", "TYPE=700", "BmpFile=woanders/fehlt.bmp"};
        loaded = LoadBlock<TGraphBlock>(saved);
        QVERIFY(!loaded->OwnBitmap);
        QCOMPARE(loaded->Bitmap(), GetBlockBitmap(ConstValue));
        QCOMPARE(SaveBlock(*loaded).back(), saved.back());
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        BitmapDir.clear();
    }

    void rectangleReadInPartKeepsItsSize() {
        bool ok = true;
        auto block =
            LoadBlock<TGraphBlock>({"GraphBlock", "ID=65537", "100,50,", "TYPE=9999"}, &ok);
        QVERIFY(!ok);
        QCOMPARE(block->Rect, (TRect{100, 50, 160, 70}));
        block = LoadBlock<TGraphBlock>({"GraphBlock", "ID=65537", "100,50,130", "TYPE=9999"}, &ok);
        QCOMPARE(block->Rect, (TRect{100, 50, 130, 70}));
        // Out of the cell's range: not taken at all.
        block = LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=65537", "100,50,130,5000000", "TYPE=9999"}, &ok);
        QCOMPARE(block->Rect, (TRect{0, 0, 60, 20}));
    }

    void commentTextRoundTrips() {
        TTextBlock comment(Id(1, 5), nullptr);
        QCOMPARE(comment.Text, std::string("Kommentar"));
        QCOMPARE(comment.FontAsText(), std::string("Font=MS Sans Serif,8,0,0,0,0,0"));
        const std::string texts[] = {"Gr\xFC\xDF"
                                     "e",
                                     "#COMMENT_END",
                                     "#CELL_END",
                                     "#BLOCK_END",
                                     "#",
                                     "\x1B",
                                     "Font=x"};
        for (const std::string& text : texts) {
            comment.Text = text;
            comment.FontName = "Arial";
            comment.FontSize = 12;
            comment.FontColor = 0x0000FF;
            comment.FontStyle = TTextBlock::Bold | TTextBlock::StrikeOut;
            comment.UpdateSize();
            const TLines saved = SaveBlock(comment);
            QCOMPARE(saved.back(), std::string("Font=Arial,12,255,1,0,0,1"));
            for (const std::string& line : saved)
                QVERIFY(!IsMarkerLine(line));
            bool ok = false;
            auto loaded = LoadBlock<TTextBlock>(ThroughFile(saved), &ok);
            QVERIFY(ok);
            QCOMPARE(loaded->Text, text);
            QCOMPARE(loaded->FontStyle, comment.FontStyle);
            QCOMPARE(SaveBlock(*loaded), saved);
        }
        // Older texts read unchanged.
        auto loaded = LoadBlock<TTextBlock>(
            {"TextBlock", "ID=9", "0,0,10,10", "Hallo #1", "Font=Courier,10,0,0,1,1,0"});
        QCOMPARE(loaded->Text, std::string("Hallo #1"));
        QCOMPARE(loaded->FontStyle, TTextBlock::Italic | TTextBlock::Underline);
        // The size follows the text.
        QVERIFY(loaded->Rect.Width() > 10);
    }

    void commentFontNeedsAllSevenValues() {
        platform::DialogRecorder recorder;
        TTextBlock comment(Id(1, 5), nullptr);
        // The fields read are taken, the missing ones keep their values.
        QVERIFY(!comment.FontFromText("Font=Arial,10,0,1"));
        QCOMPARE(comment.FontAsText(), std::string("Font=Arial,10,0,1,0,0,0"));
        QVERIFY(comment.FontFromText("Egal=Arial,10,0,0,1,0,0"));
        QCOMPARE(comment.FontName, std::string("Arial"));
        bool ok = true;
        LoadBlock<TTextBlock>({"TextBlock", "ID=9", "0,0,10,10", "nur eine Zeile"}, &ok);
        QVERIFY(!ok);

        QVERIFY(!comment.SetData(0, "ohne Zeilenende"));
        QCOMPARE(comment.Text, std::string("Kommentar"));
        QVERIFY(comment.SetData(0, "Neu\r\nFont=Arial,9,0,0,0,0,0"));
        QCOMPARE(comment.Text, std::string("Neu"));
        std::string data;
        comment.GetData(0, data);
        QCOMPARE(data, std::string("Neu\r\nFont=Arial,9,0,0,0,0,0"));
        QVERIFY_THROWS_EXCEPTION(EBlockError, comment.GetData(1, data));
        QVERIFY_THROWS_EXCEPTION(EBlockError, comment.SetData(1, data));
    }

    void copiesAreOfTheSameClass() {
        TTextBlock comment(Id(1, 1), nullptr);
        TGraphBlock function(Id(1, 2), nullptr);
        try {
            function.Assign(comment);
            QFAIL("assigned across classes");
        } catch (const EBlockError& error) {
            QCOMPARE(std::string(error.what()),
                     std::string("Fehler bei TTextBlock.AssignTo: Falscher Zieltyp"));
        }

        auto source = LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=65540", "5,5,65,45", "IN01=65537,65537:0,0,5,25", "TYPE=200"});
        source->GetInput(1)->Hidden = true;
        TGraphBlock copy(Id(1, 9), nullptr);
        copy.Assign(*source);
        QCOMPARE(copy.ID, Id(1, 9));
        QCOMPARE(copy.Rect, source->Rect);
        QCOMPARE(copy.InputCount, 1);
        QVERIFY(copy.GetInput(1) != source->GetInput(1));
        QVERIFY(copy.GetInput(1)->Equals(*source->GetInput(1)));
        QVERIFY(!copy.GetInput(1)->Hidden);
    }

    void identifiersFollowTheCell() {
        auto block =
            LoadBlock<TGraphBlock>({"GraphBlock", "ID=65540", "5,5,65,45", "IN00=65537,1:0,0,5,25",
                                    "IN02=65538,1:0,0,5,35", "TYPE=200"});
        block->SetCellNumber(3);
        QCOMPARE(block->ID, Id(3, 4));
        QCOMPARE(block->GetInput(0)->SourceId, Id(3, 1));
        QCOMPARE(block->GetInput(2)->SourceId, Id(3, 2));
        block->ShiftIds(10);
        QCOMPARE(block->ID, Id(3, 14));
        QCOMPARE(block->GetInput(2)->SourceId, Id(3, 12));

        TGraphBlock other(Id(3, 11), nullptr);
        std::vector<TBlock*> sources{&other};
        QVERIFY(block->HasInputFrom(sources));
        QVERIFY(block->DropInputsFrom(sources));
        QCOMPARE(block->InputCount, 1);
        QVERIFY(!block->HasInputFrom(sources));
        QVERIFY(!block->DropInputsFrom(sources));
    }

    void movingReroutesWireEnds() {
        CellDisplay().CellAlignAtGrid = true;
        auto block = LoadBlock<TGraphBlock>(
            {"GraphBlock", "ID=65540", "105,45,165,85", "IN00=65537,1:25,65,105,65", "TYPE=200"});
        const int width = block->Rect.Width();
        QVERIFY(block->MoveBy({20, 0}));
        QCOMPARE(block->Rect.Left, 125);
        QCOMPARE(block->GetInput(0)->Points[1],
                 QPoint(125, SnapToGrid(45 + block->Rect.Height() / 2)));
        QCOMPARE(block->Rect.Width(), width);
        // Less than half a grid step snaps back to where it was.
        QVERIFY(!block->MoveBy({3, 0}));

        block->MoveWithWires({100, 100});
        QCOMPARE(block->Rect.Left, 225);
        QCOMPARE(block->GetInput(0)->Points[0], QPoint(125, 165));
    }

    void blockPictureFillsItsRectangle() {
        CellDisplay().CellBackgnd = QColor(1, 2, 3);
        auto block = TGraphBlock::CreateTyped(Id(1, 1), nullptr, ConstValue);
        const QImage* picture = block->Bitmap();
        QVERIFY(picture != nullptr);
        block->MoveBy({100, 50});
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter canvas(&image);
            block->Draw(canvas);
        }
        const TRect& r = block->Rect;
        int magenta = 0;
        for (int y = 0; y < picture->height(); ++y) {
            for (int x = 0; x < picture->width(); ++x) {
                const QRgb source = picture->pixel(x, y);
                const QRgb drawn = image.pixel(r.Left + x, r.Top + y);
                if ((source & 0xFFFFFF) == 0xFF00FF) {
                    ++magenta;
                    QCOMPARE(drawn, qRgb(1, 2, 3));
                } else {
                    QCOMPARE(drawn, source | 0xFF000000);
                }
            }
        }
        QVERIFY(magenta > 0);
        QCOMPARE(image.pixel(r.Left - 1, r.Top), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(r.Right, r.Bottom), qRgb(255, 255, 255));
    }

    void indexLabelShowsInTheCorner() {
        auto block = TGraphBlock::CreateTyped(Id(1, 1), nullptr, ConstValue);
        block->IndexLabel = "12";
        CellDisplay().IndexBackgnd = QColor(0, 200, 0);
        auto render = [&] {
            QImage image(200, 100, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter canvas(&image);
            block->Draw(canvas);
            return image;
        };
        CellDisplay().BlockIndicesVisible = false;
        const QImage without = render();
        CellDisplay().BlockIndicesVisible = true;
        const QImage with = render();
        const QRgb green = qRgb(0, 200, 0);
        QCOMPARE(with.pixel(block->Rect.Right - 1, block->Rect.Top), green);
        QVERIFY(without.pixel(block->Rect.Right - 1, block->Rect.Top) != green);
        QVERIFY(with.pixel(block->Rect.Left, block->Rect.Top) != green);
    }

    void blockWithoutPictureShowsItsText() {
        TGraphBlock block(Id(1, 1), nullptr);
        block.TypeId = 9999; // no picture
        block.Rect = {10, 10, 70, 30};
        auto render = [&] {
            QImage image(100, 50, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter canvas(&image);
            block.Draw(canvas);
            return image;
        };
        QImage image = render();
        const QRgb yellow = QColor(Qt::yellow).rgb();
        QCOMPARE(image.pixel(13, 13), yellow);
        QCOMPARE(image.pixel(11, 11), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(10, 10), qRgb(255, 255, 255));
        int navy = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 70; ++x)
                navy += qBlue(image.pixel(x, y)) > qRed(image.pixel(x, y)) + 40 ? 1 : 0;
        QVERIFY(navy > 5); // "???"

        // Too narrow for any text: still ends, inside the rectangle.
        block.ParamText = "ein sehr langer Parametertext";
        for (int width : {60, 8, 2, 0}) {
            block.Rect = {10, 10, 10 + width, 30};
            image = render();
            for (int y = 0; y < 50; ++y)
                QCOMPARE(image.pixel(80, y), qRgb(255, 255, 255));
        }
    }
};

QTEST_MAIN(TestBlocks)
#include "tst_blocks.moc"
