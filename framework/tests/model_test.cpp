#include "framework/mdichild.h"
#include "framework/model.h"
#include "platform/qt/dialogs.h"
#include "platform/tests/writeprotect.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using platform::BeepKind;
using platform::BoxKind;
using platform::Button;
using platform::DialogRecorder;

namespace {

int liveActions = 0;

// A one-line text document; every edit replaces the text.
class TTextModel : public TModel {
public:
    explicit TTextModel(bool autoFree = false) : TModel(autoFree) {}

    QString text;
    bool failWrites = false;
    int waitDuringSave = -1;
    QString targetDuringSave;

    void Edit(const QString& newText);

    void GetFileDialogStrings(QString& filter, QString& defaultExt) override {
        filter = QStringLiteral("Texte (*.txt)|*.txt");
        defaultExt = QStringLiteral("txt");
    }

protected:
    bool DoLoad(const QString& fileName) override {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        text = QString::fromUtf8(file.readAll());
        return true;
    }
    bool DoSave(const QString& fileName, std::string& content) override {
        waitDuringSave = platform::WaitCursor::Depth();
        targetDuringSave = fileName;
        if (failWrites)
            return false; // a document that cannot be written out
        content = text.toUtf8().toStdString();
        return true;
    }
};

class TSetText : public TUndoAction {
public:
    explicit TSetText(QString stored = QString()) : stored_(std::move(stored)) { ++liveActions; }
    ~TSetText() override { --liveActions; }

    void SaveRedoData(TUndoAction* redoAction, TModel* model) override {
        static_cast<TSetText*>(redoAction)->stored_ = static_cast<TTextModel*>(model)->text;
    }
    bool UndoAction(TModel* model, bool isRedo) override {
        CreateRedoAction<TSetText>(model, isRedo);
        static_cast<TTextModel*>(model)->text = stored_;
        return true;
    }

private:
    QString stored_;
};

void TTextModel::Edit(const QString& newText) {
    AddUndoAction(std::make_unique<TSetText>(text), false);
    text = newText;
    NotifyViews(2000, 0);
}

class TThrowingAction : public TUndoAction {
public:
    TThrowingAction() { ++liveActions; }
    ~TThrowingAction() override { --liveActions; }
    bool UndoAction(TModel*, bool) override { throw std::runtime_error("kaputt"); }
};

// A view that records its notifications and may act on them.
class TRecordingView : public TMDIChildForm {
public:
    explicit TRecordingView(TModel* model) : TMDIChildForm(model) {}
    std::vector<int> codes;
    std::function<void()> onUpdate;
    void UpdateAspekt(int code, NotifyData) override {
        codes.push_back(code);
        if (onUpdate)
            onUpdate();
    }
};

class TRecordingSpecial : public TSpecialView {
public:
    std::vector<int> codes;
    std::function<void()> onUpdate;
    void UpdateAspekt(int code, NotifyData) override {
        codes.push_back(code);
        if (onUpdate)
            onUpdate();
    }
};

QString ReadFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing>");
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TUntypedModel : public TModel {
public:
    TUntypedModel() : TModel(false) {}
};

class ModelTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(liveActions, 0); }

    void undoRedoFollowStoredState() {
        TTextModel model;
        model.Edit(QStringLiteral("a"));
        QVERIFY(model.Modified());
        QVERIFY(model.CanUndo());
        QVERIFY(!model.CanRedo());

        model.Undo();
        QCOMPARE(model.text, QString());
        QVERIFY(!model.Modified());
        QVERIFY(model.CanRedo());
        QCOMPARE(platform::WaitCursor::Depth(), 0);

        model.Redo();
        QCOMPARE(model.text, QStringLiteral("a"));
        QVERIFY(model.Modified());
        QCOMPARE(model.UndoCount(), 1);
        QCOMPARE(model.RedoCount(), 0);

        // Undo after several edits comes back to the stored state only at the last step.
        model.Edit(QStringLiteral("b"));
        model.Edit(QStringLiteral("c"));
        model.Undo();
        model.Undo();
        QVERIFY(model.Modified());
        model.Undo();
        QVERIFY(!model.Modified());
        QCOMPARE(model.text, QString());
    }

    void newEditClearsRedoButRedoKeepsIt() {
        TTextModel model;
        model.Edit(QStringLiteral("a"));
        model.Edit(QStringLiteral("b"));
        model.Edit(QStringLiteral("c"));
        model.Undo();
        model.Undo();
        QCOMPARE(model.RedoCount(), 2);

        model.Redo(); // its inverse goes to the undo stack without touching the other redo
        QCOMPARE(model.RedoCount(), 1);
        QCOMPARE(model.UndoCount(), 2);
        QCOMPARE(model.text, QStringLiteral("b"));

        model.Edit(QStringLiteral("x"));
        QCOMPARE(model.RedoCount(), 0);
        QVERIFY(!model.CanRedo());
        QCOMPARE(model.UndoCount(), 3);
    }

    void hundredAndOneEditsDropTheOldest() {
        TTextModel model;
        for (int i = 1; i <= 101; ++i)
            model.Edit(QString::number(i));
        QCOMPARE(model.UndoCount(), TModel::MaxUndo);
        QCOMPARE(liveActions, TModel::MaxUndo); // the oldest was freed
        QVERIFY(model.ModifiedBeyondUndo());

        for (int i = 0; i < TModel::MaxUndo; ++i)
            model.Undo();
        QVERIFY(!model.CanUndo());
        QCOMPARE(model.text, QStringLiteral("1")); // the first edit can no longer be undone
        QVERIFY(model.Modified());
        QCOMPARE(model.RedoCount(), TModel::MaxUndo);
    }

    void failingUndoStillDropsTheAction() {
        TTextModel model;
        model.Edit(QStringLiteral("a"));
        model.AddUndoAction(std::make_unique<TThrowingAction>(), false);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, model.Undo());
        QCOMPARE(model.UndoCount(), 1);
        QCOMPARE(platform::WaitCursor::Depth(), 0);
        QVERIFY_THROWS_EXCEPTION(EFrameworkError, [] {
            TTextModel empty;
            empty.Redo();
        }());
    }

    void saveClearsUndoAndModified() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("doc.txt"));
        TTextModel model;
        model.SetFileName(name);
        model.Edit(QStringLiteral("hello"));
        QVERIFY(model.Save());
        QCOMPARE(model.waitDuringSave, 1); // the hourglass shows while writing
        QCOMPARE(platform::WaitCursor::Depth(), 0);
        QCOMPARE(ReadFile(name), QStringLiteral("hello"));
        QVERIFY(!model.Modified());
        QVERIFY(!model.CanUndo());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("doc.txt")});
    }

    void failedSaveKeepsTheStoredDocument() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("doc.txt"));
        TTextModel model;
        model.SetFileName(name);
        model.Edit(QStringLiteral("first version"));
        QVERIFY(model.Save());

        model.Edit(QStringLiteral("second version"));
        model.failWrites = true;
        QVERIFY(!model.Save());
        // DoSave is given the document's name, not a temporary file's.
        QCOMPARE(model.targetDuringSave, name);
        QCOMPARE(ReadFile(name), QStringLiteral("first version"));
        QVERIFY(model.Modified());
        QVERIFY(model.CanUndo());
        // No temporary file is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void aFolderTakingNoNewFilesGetsTheDocumentInPlace() {
        if (const std::string why = WriteProtectionUnavailable(); !why.empty())
            QSKIP(why.c_str());
        QTemporaryDir dir;
        DialogRecorder dialogs;
        const QString name = dir.filePath(QStringLiteral("doc.txt"));
        TTextModel model, fresh;
        model.SetFileName(name);
        fresh.SetFileName(dir.filePath(QStringLiteral("neu.txt")));
        model.Edit(QStringLiteral("first version"));
        fresh.Edit(QStringLiteral("x"));
        QVERIFY(model.Save());
        model.Edit(QStringLiteral("second"));
        {
            TClosedFolder closed(name);
            QVERIFY(model.Save());
            // a new document cannot be made there: the message names the folder
            QVERIFY(!fresh.Save());
        }
        QCOMPARE(ReadFile(name), QStringLiteral("second"));
        QVERIFY(!model.Modified());
        QVERIFY(fresh.Modified());
        QCOMPARE(dialogs.Boxes().size(), size_t(1));
        QCOMPARE(dialogs.Boxes()[0].text, dir.path() + QStringLiteral(": Zugriff verweigert"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("doc.txt")});
    }

    void savedFilesTakeTheUsualPermissions() {
        QTemporaryDir dir;
        const mode_t previousMask = ::umask(022);
        TTextModel model;
        const QString name = dir.filePath(QStringLiteral("neu.txt"));
        model.SetFileName(name);
        model.Edit(QStringLiteral("a"));
        const bool saved = model.Save();
        ::umask(previousMask);
        QVERIFY(saved);
        // A new document is created like any other file of the user...
        const auto usual = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                           QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
        QCOMPARE(QFile::permissions(name), usual);
        // ...and a saved one keeps what its owner set.
        const auto restricted = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                QFile::WriteUser | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(name, restricted));
        model.Edit(QStringLiteral("b"));
        QVERIFY(model.Save());
        QCOMPARE(QFile::permissions(name), restricted);
        QCOMPARE(ReadFile(name), QStringLiteral("b"));
    }

    void saveOfUntitledAsksForAName() {
        QTemporaryDir dir;
        DialogRecorder dialogs;
        TTextModel model;
        model.Edit(QStringLiteral("x"));

        dialogs.QueueSaveName(QString()); // cancelled
        QVERIFY(!model.Save());
        QVERIFY(model.Modified());
        QVERIFY(model.FileName().isEmpty());
        QCOMPARE(dialogs.Events().size(), size_t(1));
        const platform::SaveDialogRequest request = dialogs.Events()[0].save;
        QCOMPARE(request.title, QStringLiteral("Speichere Unbenannt als"));
        QCOMPARE(request.filter, QStringLiteral("Texte (*.txt)|*.txt|Alle Dateien (*.*)|*.*"));
        QCOMPARE(request.defaultExt, QStringLiteral("txt"));

        const QString name = dir.filePath(QStringLiteral("Neu.txt"));
        dialogs.QueueSaveName(name);
        QVERIFY(model.Save());
        QCOMPARE(model.FileName(), name);
        QVERIFY(!model.Modified());
        QCOMPARE(model.GetDisplayName(), QStringLiteral("Neu"));
        QCOMPARE(ReadFile(name), QStringLiteral("x"));
    }

    void saveAsCopyLeavesTheModelAlone() {
        QTemporaryDir dir;
        DialogRecorder dialogs;
        const QString original = dir.filePath(QStringLiteral("orig.txt"));
        const QString copy = dir.filePath(QStringLiteral("copy.txt"));
        TTextModel model;
        model.SetFileName(original);
        model.Edit(QStringLiteral("content"));

        dialogs.QueueSaveName(copy);
        QVERIFY(model.SaveAs(false));
        QCOMPARE(ReadFile(copy), QStringLiteral("content"));
        QCOMPARE(model.FileName(), original);
        QVERIFY(model.Modified());
        QVERIFY(model.CanUndo());
        QCOMPARE(dialogs.Events()[0].save.title, QStringLiteral("Speichere orig als"));
        QCOMPARE(dialogs.Events()[0].save.fileName, original);
    }

    void closeQueryAsksWhenModified() {
        QTemporaryDir dir;
        DialogRecorder dialogs;
        TTextModel model;
        model.SetFileName(dir.filePath(QStringLiteral("Bericht.TXT")));
        QVERIFY(model.CloseQuery());
        QVERIFY(dialogs.Events().empty());

        model.Edit(QStringLiteral("x"));
        dialogs.QueueAnswer(Button::Cancel);
        QVERIFY(!model.CloseQuery());
        QCOMPARE(dialogs.Beeps(), std::vector<BeepKind>{BeepKind::Question});
        const auto boxes = dialogs.Boxes();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].kind, BoxKind::Confirmation);
        QCOMPARE(boxes[0].text, QStringLiteral("Bericht wurde geändert. Speichern?"));
        QCOMPARE(boxes[0].buttons, Button::Yes | Button::No | Button::Cancel);

        dialogs.QueueAnswer(Button::No);
        QVERIFY(model.CloseQuery());
        QVERIFY(model.Modified());
        QVERIFY(!QFile::exists(model.FileName()));

        dialogs.QueueAnswer(Button::Yes);
        QVERIFY(model.CloseQuery());
        QVERIFY(!model.Modified());
        QCOMPARE(ReadFile(model.FileName()), QStringLiteral("x"));

        // Yes on an untitled document whose save dialog is cancelled keeps it open.
        TTextModel untitled;
        untitled.Edit(QStringLiteral("y"));
        dialogs.QueueAnswer(Button::Yes);
        dialogs.QueueSaveName(QString());
        QVERIFY(!untitled.CloseQuery());
    }

    void displayNames() {
        TTextModel model;
        QCOMPARE(model.GetDisplayName(), QStringLiteral("Unbenannt"));
        model.SetFileName(QStringLiteral("/home/u/Projekt.TxT"));
        QCOMPARE(model.GetDisplayName(), QStringLiteral("Projekt"));
        model.SetFileName(QStringLiteral("/home/u/Projekt.txt.bak"));
        QCOMPARE(model.GetDisplayName(), QStringLiteral("Projekt.txt.bak"));

        TUntypedModel untyped;
        untyped.SetFileName(QStringLiteral("/x/y.z"));
        try {
            untyped.GetDisplayName();
            QFAIL("no exception");
        } catch (const EFrameworkError& error) {
            QCOMPARE(error.Message(),
                     QStringLiteral("TUntypedModel.GetFileDialogStrings nicht überschrieben"));
        }
    }

    void viewListErrorsAreReported() {
        DialogRecorder dialogs;
        TTextModel model;
        auto* view = TMDIChildForm::Create<TRecordingView>(&model);
        model.AddView(view);
        QCOMPARE(model.ViewCount(), 1);
        QCOMPARE(dialogs.Beeps(), std::vector<BeepKind>{BeepKind::Default});
        QVERIFY(dialogs.Boxes().at(0).text.endsWith(QStringLiteral("schon enthalten")));
        QCOMPARE(dialogs.Boxes().at(0).kind, BoxKind::Error);

        TTextModel other;
        other.RemoveView(view);
        QVERIFY(dialogs.Boxes().at(1).text.contains(QStringLiteral("[RemoveView]")));
        delete view;
        QCOMPARE(model.ViewCount(), 0);
    }

    void notificationReachesEveryViewInOrder() {
        TTextModel model;
        auto* first = TMDIChildForm::Create<TRecordingView>(&model);
        auto* second = TMDIChildForm::Create<TRecordingView>(&model);
        TRecordingSpecial special;
        special.SetModel(&model);
        std::vector<QString> order;
        first->onUpdate = [&] { order.push_back(QStringLiteral("first")); };
        second->onUpdate = [&] { order.push_back(QStringLiteral("second")); };
        special.onUpdate = [&] { order.push_back(QStringLiteral("special")); };
        model.NotifyViews(2205, 7);
        QCOMPARE(order, (std::vector<QString>{QStringLiteral("first"), QStringLiteral("second"),
                                              QStringLiteral("special")}));
        delete first;
        delete second;
    }

    void viewsClosingDuringNotificationAreSkipped() {
        TTextModel model;
        auto* first = TMDIChildForm::Create<TRecordingView>(&model);
        auto* second = TMDIChildForm::Create<TRecordingView>(&model);
        auto* third = TMDIChildForm::Create<TRecordingView>(&model);
        auto* special = new TRecordingSpecial;
        special->SetModel(&model);
        auto* lastSpecial = new TRecordingSpecial;
        lastSpecial->SetModel(&model);
        // The first view closes the second and the first special view.
        first->onUpdate = [&] {
            delete second;
            delete special;
        };
        model.NotifyViews(2001, 0);
        QCOMPARE(first->codes, std::vector<int>{2001});
        QCOMPARE(third->codes, std::vector<int>{2001});
        QCOMPARE(lastSpecial->codes, std::vector<int>{2001});
        QCOMPARE(model.ViewCount(), 2);
        QCOMPARE(model.SpecialViewCount(), 1);

        // A view closing itself.
        first->onUpdate = nullptr;
        third->onUpdate = [&] { delete third; };
        model.NotifyViews(2002, 0);
        QCOMPARE(model.ViewCount(), 1);
        QCOMPARE(first->codes, (std::vector<int>{2001, 2002}));
        delete first;
        delete lastSpecial;
        QCOMPARE(model.SpecialViewCount(), 0);
    }

    void autoFreeModelOutlivesTheNotificationThatEmptiesIt() {
        auto* model = new TTextModel(true);
        auto* only = TMDIChildForm::Create<TRecordingView>(model);
        TRecordingSpecial special;
        special.SetModel(model);
        only->onUpdate = [&] { delete only; };
        model->NotifyViews(2003, 0); // frees the model once the round is over
        QCOMPARE(special.codes, std::vector<int>{2003});
        QCOMPARE(special.Model(), nullptr);
    }

    void destroyingTheModelDetachesItsViews() {
        auto* model = new TTextModel;
        QPointer<TRecordingView> view = TMDIChildForm::Create<TRecordingView>(model);
        TRecordingSpecial special;
        special.SetModel(model);
        delete model;
        QVERIFY(view);
        QCOMPARE(view->Model(), nullptr);
        QCOMPARE(special.Model(), nullptr);
        QTRY_VERIFY(!view); // closed, freed by the event loop

        // A view that takes a special view with it while the model goes: the model must not
        // touch that special view afterwards (the sanitizer build sees it).
        class TOwningView : public TMDIChildForm {
        public:
            using TMDIChildForm::TMDIChildForm;
            TSpecialView* owned = nullptr;
            void ModelDestroyed() override {
                delete std::exchange(owned, nullptr);
                TMDIChildForm::ModelDestroyed();
            }
        };
        model = new TTextModel;
        QPointer<TOwningView> owner = TMDIChildForm::Create<TOwningView>(model);
        owner->owned = new TRecordingSpecial;
        owner->owned->SetModel(model);
        special.SetModel(model);
        QCOMPARE(model->SpecialViewCount(), 2);
        delete model;
        QCOMPARE(special.Model(), nullptr);
        QTRY_VERIFY(!owner);
    }

    void modelAttachedRunsOnceWithAModel() {
        struct TAttachView : TMDIChildForm {
            explicit TAttachView(TModel* model) : TMDIChildForm(model) {}
            int attached = 0;
            void ModelAttached() override { ++attached; }
        };
        TTextModel model;
        auto* view = TMDIChildForm::Create<TAttachView>(&model);
        QCOMPARE(view->attached, 1);
        view->show();
        QCOMPARE(view->attached, 1);
        auto* plain = TMDIChildForm::Create<TAttachView>(nullptr);
        QCOMPARE(plain->attached, 0);
        delete view;
        delete plain;
    }
};

QTEST_MAIN(ModelTest)
#include "model_test.moc"
