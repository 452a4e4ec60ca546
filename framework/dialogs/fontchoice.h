// The font dialogs of both programs: they open at the font a view really draws with, in that
// font's own style, and hand back the stored font with only what the user changed in them, so
// that OK on an untouched dialog stores nothing new.
#pragma once

#include <QFont>
#include <QFontDialog>

#include <functional>
#include <optional>

class QWidget;

// Runs a font dialog that starts at initial; empty when it was cancelled.
using TFontDialogRun = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;

// Qt's font dialog with the given options. Family, size and each style flag the user left as
// the dialog first showed them come back as initial holds them.
std::optional<QFont> RunFontDialog(const QFont& initial, QWidget* parent,
                                   QFontDialog::FontDialogOptions options = {});

// The font the views draw for stored: the family the system takes for its name, at its size,
// with the stored style flags and the name of the face in use, as the dialog selects styles by
// name ("Book", not "Regular", is the upright style of some families).
QFont FontInUse(const QFont& stored);

// Runs the dialog at the font in use for drawn, the font a view draws for stored. Answers stored
// with the family, size and style flags the user changed, or nothing when the dialog was
// cancelled.
std::optional<QFont> ChooseFont(const QFont& stored, const QFont& drawn, QWidget* parent,
                                const TFontDialogRun& run);
// The same for a view that draws stored as the system resolves it.
inline std::optional<QFont> ChooseFont(const QFont& stored, QWidget* parent,
                                       const TFontDialogRun& run) {
    return ChooseFont(stored, stored, parent, run);
}
