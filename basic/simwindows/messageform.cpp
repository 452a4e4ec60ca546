#include "basic/simwindows/messageform.h"

#include "basic/dialogs/colorsettings.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/simcommands.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace harvel {

TMessageForm* MessageForm = nullptr;
TWindowRect MessageWindowRect;

namespace {

struct TMessageList {
    std::vector<TMessageLine> lines;
    int errorCount = 0;
    int firstError = -1;
    int lastError = -1;
    int currentError = -1;
};

TMessageList& List() {
    static TMessageList list;
    return list;
}

QPointer<QMdiArea> messageArea;

void Recount() {
    TMessageList& l = List();
    l.errorCount = 0;
    l.firstError = l.lastError = -1;
    for (int i = 0; i < int(l.lines.size()); ++i) {
        if (l.lines[size_t(i)].kind != mkCompilerError)
            continue;
        if (l.errorCount++ == 0)
            l.firstError = i;
        l.lastError = i;
    }
    l.currentError = std::clamp(l.currentError, l.firstError, l.lastError);
}

void Appended() {
    Recount();
    if (MessageForm)
        MessageForm->Refresh(int(List().lines.size()) - 1);
}

void ShowSourceOf(int index, bool activate) {
    const std::vector<TMessageLine>& lines = List().lines;
    if (index < 0 || index >= int(lines.size()) || lines[size_t(index)].kind != mkCompilerError)
        return;
    const int line = SourceLineOf(lines[size_t(index)].text);
    if (line >= 0)
        Linotrex().ShowLine(line, activate);
}

// The mark of the current compiler error line.
void DrawErrorGlyph(QPainter& painter, int left, int top) {
    const QPoint arrow[] = {{left + 1, top + 2},  {left + 7, top + 2},  {left + 7, top},
                            {left + 11, top + 6}, {left + 7, top + 11}, {left + 7, top + 9},
                            {left + 1, top + 9}};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::darkRed);
    painter.setBrush(Qt::red);
    painter.drawPolygon(arrow, int(std::size(arrow)));
    painter.restore();
}

} // namespace

const std::vector<TMessageLine>& Messages() {
    return List().lines;
}

void ClearMessages() {
    List() = TMessageList();
    if (MessageForm)
        MessageForm->Refresh(-1);
}

void AddMessage(const QString& text, TMessageKind kind) {
    if (kind == mkError)
        platform::MessageBeep(platform::BeepKind::Exclamation);
    List().lines.push_back({text, kind});
    Appended();
}

void AppendToLastMessage(const QString& text) {
    std::vector<TMessageLine>& lines = List().lines;
    // With no line to continue the text still shows, as a line of its own.
    if (lines.empty())
        return AddMessage(text, mkPlain);
    lines.back().text += text;
    if (MessageForm)
        MessageForm->Refresh(int(lines.size()) - 1);
}

void AddCompilerErrors(const QString& buffer) {
    std::vector<TMessageLine>& lines = List().lines;
    const QStringList pieces = buffer.split(QStringLiteral("\r\n"));
    for (int i = 0; i < pieces.size() - 1; ++i)
        lines.push_back({pieces[i], mkCompilerError});
    const QString& tail = pieces.last();
    lines.push_back({tail, tail.isEmpty() ? mkPlain : mkCompilerError});
    Appended();
}

bool HasNextError() {
    const TMessageList& l = List();
    return l.errorCount > 0 && l.currentError < l.lastError;
}

bool HasPreviousError() {
    const TMessageList& l = List();
    return l.errorCount > 0 && l.currentError > l.firstError;
}

int CurrentErrorLine() {
    return List().currentError;
}

void GoToError(int direction, bool activate) {
    ShowMessageWindow(messageArea, !activate);
    TMessageList& l = List();
    if (l.errorCount == 0)
        return;
    int target = l.firstError;
    if (direction > 0) {
        target = l.lastError;
        for (int i = l.currentError + 1; i < l.lastError; ++i)
            if (l.lines[size_t(i)].kind == mkCompilerError) {
                target = i;
                break;
            }
    } else if (direction < 0) {
        target = l.firstError;
        for (int i = l.currentError - 1; i > l.firstError; --i)
            if (l.lines[size_t(i)].kind == mkCompilerError) {
                target = i;
                break;
            }
    }
    l.currentError = std::clamp(target, l.firstError, l.lastError);
    if (MessageForm)
        MessageForm->Grid()->SetCurrentRow(l.currentError);
    ShowSourceOf(l.currentError, activate);
}

int SourceLineOf(const QString& text) {
    int start = 0;
    while (start < text.size() && !text[start].isDigit())
        ++start;
    int end = start;
    while (end < text.size() && text[end].isDigit())
        ++end;
    if (end == start)
        return -1;
    bool ok = false;
    const int line = text.mid(start, end - start).toInt(&ok);
    return ok ? line : -1;
}

TMessageForm::TMessageForm(TModel* model, QWidget* parent)
    : TSingleChildForm(model, MessageWindowRect, parent) {
    setWindowTitle(QStringLiteral("Meldungen"));
    ResizeUnlessPlaced(480, 180);
    grid_ = new TRowGrid;
    grid_->DrawCell = [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); };
    grid_->KeyDown = [this](QKeyEvent* event) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            ShowSource(true);
            return true;
        }
        return HelpKey(event, 11000);
    };
    grid_->DoubleClick = [this] { ShowSource(true); };
    setWidget(grid_);
    ColorsChanged();
    RegisterInstance();
    Refresh(-1);
}

TMessageForm::~TMessageForm() {
    ForgetChild(MessageForm, this);
}

void TMessageForm::RegisterInstance() {
    MessageForm = this;
}

void TMessageForm::AfterShow() {
    LayoutColumn();
}

void TMessageForm::AfterResize() {
    LayoutColumn();
}

void TMessageForm::AfterClose() {
    ForgetChild(MessageForm, this);
}

void TMessageForm::LayoutColumn() {
    grid_->SetColumnWidth(80 * QFontMetrics(grid_->font()).horizontalAdvance(QLatin1Char('W')) +
                          16);
}

void TMessageForm::Refresh(int row) {
    const int count = int(Messages().size());
    grid_->SetRowCount(std::max(count, 1));
    if (row >= 0)
        grid_->InvalidateRow(row);
    else
        grid_->viewport()->update();
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

void TMessageForm::ShowSource(bool activate) {
    ShowSourceOf(grid_->CurrentRow(), activate);
}

void TMessageForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    const TColorSettings& colors = ColorSettings();
    painter.fillRect(rect, colors.Color(clMessageBackgnd));
    const std::vector<TMessageLine>& lines = Messages();
    if (row >= int(lines.size()))
        return;
    const TMessageLine& line = lines[size_t(row)];
    painter.setPen(colors.Color(line.kind == mkError ? clMessageError : clMessageText));
    painter.drawText(rect.left() + 16, rect.top() + 2 + painter.fontMetrics().ascent(), line.text);
    if (row == grid_->CurrentRow() && line.kind == mkCompilerError)
        DrawErrorGlyph(painter, rect.left() + 2, rect.top() + 2);
}

bool TMessageForm::IsCommandEnabled(int cmd) {
    if (IsSimulatorCommand(cmd))
        return SimulatorCommandEnabled(Linotrex(), cmd);
    switch (cmd) {
    case cmCopy:
    case cmClearWindow:
        return !Messages().empty();
    case cmNextError:
        return HasNextError();
    case cmPrevError:
        return HasPreviousError();
    default:
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

void TMessageForm::DoCommand(int cmd) {
    if (IsSimulatorCommand(cmd))
        return DoSimulatorCommand(Linotrex(), cmd);
    if (!IsCommandEnabled(cmd))
        return TMDIChildForm::DoCommand(cmd);
    switch (cmd) {
    case cmCopy: {
        QString text;
        for (const TMessageLine& line : Messages())
            text += line.text + QStringLiteral("\r\n");
        QGuiApplication::clipboard()->setText(text);
        break;
    }
    case cmClearWindow:
        ClearMessages();
        break;
    case cmNextError:
        GoToError(1, true);
        break;
    case cmPrevError:
        GoToError(-1, true);
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
    }
}

void TMessageForm::ColorsChanged() {
    const QColor back = ColorSettings().Color(clMessageBackgnd);
    grid_->SetBackground(back);
    const QFont font = ColorSettings().Font(fvMessage);
    grid_->SetRowFont(font);
    LayoutColumn();
    grid_->viewport()->update();
}

TMessageForm* ShowMessageWindow(QMdiArea* area, bool activate) {
    return ShowSingleChild(MessageForm, area, nullptr, activate, true);
}

void ReadMessageSettings(TWinRegistry& reg) {
    MessageWindowRect.Read(reg, QStringLiteral("MessageWindow"));
}

void WriteMessageSettings(TWinRegistry& reg) {
    if (MessageForm)
        KeepClosingPlace(MessageWindowRect, *MessageForm);
    MessageWindowRect.Write(reg, QStringLiteral("MessageWindow"));
}

void ConnectMessageWindow(QMdiArea* area, TLinotrex& wrapper) {
    messageArea = area;
    TLinotrexViews& views = wrapper.Views();
    using Kind = TLinotrexViews::MessageKind;
    views.ClearMessages = [] { ClearMessages(); };
    // The compile's lines are seen even under other windows; the keys stay where they are.
    views.ShowMessageWindow = [] {
        if (TMessageForm* form = ShowMessageWindow(messageArea, false))
            form->raise();
    };
    views.AddMessage = [](const QString& text, Kind kind) {
        AddMessage(text, kind == Kind::Error      ? mkError
                         : kind == Kind::Progress ? mkProgress
                                                  : mkPlain);
    };
    views.AppendToLastMessage = [](const QString& text) { AppendToLastMessage(text); };
    views.AddCompilerErrors = [](const QString& lines) { AddCompilerErrors(lines); };
    views.GoToError = [] { GoToError(0, false); };
}

} // namespace harvel
