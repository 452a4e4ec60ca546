#include "framework/dialogs/fontchoice.h"

#include <QFontInfo>

namespace {

// base with what differs between before and after; no style name, so the flags count.
QFont TakeChanges(const QFont& base, const QFont& before, const QFont& after) {
    QFont result = base;
    result.setStyleName(QString());
    if (after.family() != before.family())
        result.setFamily(after.family());
    if (after.pointSize() > 0 && after.pointSize() != before.pointSize())
        result.setPointSize(after.pointSize());
    if (after.bold() != before.bold())
        result.setBold(after.bold());
    if (after.italic() != before.italic())
        result.setItalic(after.italic());
    if (after.underline() != before.underline())
        result.setUnderline(after.underline());
    if (after.strikeOut() != before.strikeOut())
        result.setStrikeOut(after.strikeOut());
    return result;
}

} // namespace

std::optional<QFont> RunFontDialog(const QFont& initial, QWidget* parent,
                                   QFontDialog::FontDialogOptions options) {
    QFontDialog dialog(parent);
    dialog.setOptions(options);
    dialog.setCurrentFont(initial);
    const QFont offered = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TakeChanges(initial, offered, dialog.selectedFont());
}

QFont FontInUse(const QFont& stored) {
    const QFontInfo used(stored);
    QFont shown(used.family(), used.pointSize());
    shown.setBold(stored.bold());
    shown.setItalic(stored.italic());
    shown.setUnderline(stored.underline());
    shown.setStrikeOut(stored.strikeOut());
    if (used.bold() == stored.bold() && used.italic() == stored.italic())
        shown.setStyleName(used.styleName());
    return shown;
}

std::optional<QFont> ChooseFont(const QFont& stored, const QFont& drawn, QWidget* parent,
                                const TFontDialogRun& run) {
    const QFont shown = FontInUse(drawn);
    const std::optional<QFont> chosen = run(shown, parent);
    if (!chosen)
        return std::nullopt;
    return TakeChanges(stored, shown, *chosen);
}
