#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

#include <stdexcept>

namespace platform {

namespace {

struct Handlers {
    BeepHandler beep;
    MessageBoxHandler box;
    SaveDialogHandler save;
};

Handlers& CurrentHandlers() {
    static Handlers handlers;
    return handlers;
}

int waitCursorDepth = 0;

// The answer of a box closed without a button: Cancel, else No, else the only button.
Button EscapeAnswer(Buttons buttons) {
    if (HasButton(buttons, Button::Cancel))
        return Button::Cancel;
    if (HasButton(buttons, Button::No))
        return Button::No;
    if (HasButton(buttons, Button::Ok))
        return Button::Ok;
    return Button::None;
}

Button ShowRealBox(const MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (request.kind) {
    case BoxKind::Error:
        icon = QMessageBox::Critical;
        break;
    case BoxKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case BoxKind::Information:
        icon = QMessageBox::Information;
        break;
    case BoxKind::Confirmation:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox box(icon, request.caption, request.text, QMessageBox::NoButton, DialogOwner());
    struct Label {
        Button button;
        const char* text;
        QMessageBox::ButtonRole role;
    };
    static const Label labels[] = {
        {Button::Yes, "&Ja", QMessageBox::YesRole},
        {Button::No, "&Nein", QMessageBox::NoRole},
        {Button::Ok, "OK", QMessageBox::AcceptRole},
        {Button::Cancel, "Abbrechen", QMessageBox::RejectRole},
        {Button::Abort, "&Abbrechen", QMessageBox::RejectRole},
        {Button::Retry, "&Wiederholen", QMessageBox::AcceptRole},
        {Button::Ignore, "&Ignorieren", QMessageBox::AcceptRole},
    };
    std::vector<std::pair<QAbstractButton*, Button>> made;
    for (const Label& label : labels) {
        if (HasButton(request.buttons, label.button))
            made.emplace_back(box.addButton(QString::fromUtf8(label.text), label.role),
                              label.button);
    }
    if (made.empty())
        made.emplace_back(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole), Button::Ok);
    box.exec();
    for (const auto& [widget, button] : made) {
        if (box.clickedButton() == widget)
            return button;
    }
    return EscapeAnswer(request.buttons);
}

std::optional<QString> ShowRealSaveDialog(const SaveDialogRequest& request) {
    QFileDialog dialog(DialogOwner(), request.title, request.fileName,
                       QtFileFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

QWidget* DialogOwner() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible())
        return modal;
    QWidget* active = QApplication::activeWindow();
    // A tool window belongs to the main window; a dialog that has just closed leaves none active.
    for (QWidget* widget = active; widget; widget = widget->parentWidget())
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible())
            return widget;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
            return window;
    return active;
}

QString BoxCaption(BoxKind kind) {
    switch (kind) {
    case BoxKind::Error:
        return QStringLiteral("Fehler");
    case BoxKind::Warning:
        return QStringLiteral("Warnung");
    case BoxKind::Information:
        return QStringLiteral("Information");
    case BoxKind::Confirmation:
        return QStringLiteral("Bestätigen");
    }
    return QString();
}

void MessageBeep(BeepKind kind) {
    if (CurrentHandlers().beep) {
        CurrentHandlers().beep(kind);
        return;
    }
    // The desktop offers one bell for every kind.
    QApplication::beep();
}

Button MessageBox(BoxKind kind, const QString& text, Buttons buttons, const QString& caption) {
    MessageBoxRequest request;
    request.kind = kind;
    request.caption = caption.isEmpty() ? BoxCaption(kind) : caption;
    request.text = text;
    request.buttons = buttons == 0 ? static_cast<Buttons>(Button::Ok) : buttons;
    if (CurrentHandlers().box)
        return CurrentHandlers().box(request);
    return ShowRealBox(request);
}

std::optional<QString> SaveFileDialog(const SaveDialogRequest& request) {
    if (CurrentHandlers().save)
        return CurrentHandlers().save(request);
    return ShowRealSaveDialog(request);
}

QString QtFileFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description often repeats the patterns in parentheses; Qt reads them from there.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

WaitCursor::WaitCursor() {
    ++waitCursorDepth;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    --waitCursorDepth;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::restoreOverrideCursor();
}

int WaitCursor::Depth() {
    return waitCursorDepth;
}

BeepHandler SetBeepHandler(BeepHandler handler) {
    return std::exchange(CurrentHandlers().beep, std::move(handler));
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(CurrentHandlers().box, std::move(handler));
}

SaveDialogHandler SetSaveDialogHandler(SaveDialogHandler handler) {
    return std::exchange(CurrentHandlers().save, std::move(handler));
}

DialogRecorder::DialogRecorder() {
    oldBeep_ = SetBeepHandler([this](BeepKind kind) {
        Event event;
        event.type = Event::Type::Beep;
        event.beep = kind;
        events_.push_back(event);
    });
    oldBox_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
        Event event;
        event.type = Event::Type::Box;
        event.box = request;
        events_.push_back(event);
        if (answers_.empty()) {
            if (HasButton(request.buttons, Button::Ok))
                return Button::Ok;
            return EscapeAnswer(request.buttons);
        }
        const std::variant<Button, QString> answer = answers_.front();
        answers_.erase(answers_.begin());
        if (const auto* failure = std::get_if<QString>(&answer))
            throw std::runtime_error(failure->toStdString());
        return std::get<Button>(answer);
    });
    oldSave_ = SetSaveDialogHandler([this](const SaveDialogRequest& request) {
        Event event;
        event.type = Event::Type::SaveDialog;
        event.save = request;
        events_.push_back(event);
        if (saveNames_.empty() || saveNames_.front().isEmpty()) {
            if (!saveNames_.empty())
                saveNames_.erase(saveNames_.begin());
            return std::optional<QString>();
        }
        const QString name = saveNames_.front();
        saveNames_.erase(saveNames_.begin());
        return std::optional<QString>(name);
    });
}

DialogRecorder::~DialogRecorder() {
    SetBeepHandler(std::move(oldBeep_));
    SetMessageBoxHandler(std::move(oldBox_));
    SetSaveDialogHandler(std::move(oldSave_));
}

std::vector<MessageBoxRequest> DialogRecorder::Boxes() const {
    std::vector<MessageBoxRequest> boxes;
    for (const Event& event : events_) {
        if (event.type == Event::Type::Box)
            boxes.push_back(event.box);
    }
    return boxes;
}

std::vector<BeepKind> DialogRecorder::Beeps() const {
    std::vector<BeepKind> beeps;
    for (const Event& event : events_) {
        if (event.type == Event::Type::Beep)
            beeps.push_back(event.beep);
    }
    return beeps;
}

} // namespace platform
