// Help by context number. A program's help is a folder named like its help file
// ("Quendal.hlp") beside the program: one HTML page per topic, "<context>.html", and
// "index.html" for the contents. Pages open in the desktop's browser.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace platform {

// Sets the help file (a full path); the default is the program's own name with ".hlp"
// in the program's directory.
void SetHelpFile(const QString& path);
QString HelpFile();

// Shows the topic, or the contents when the folder has no page for it. Without any help
// the user is told so with a message box. True when a page was shown.
bool ShowHelpContext(int context);
bool ShowHelpContents();

// Opens a page; tests replace it. Returns the previous opener; an empty one restores the
// browser.
using HelpOpener = std::function<bool(const QUrl&)>;
HelpOpener SetHelpOpener(HelpOpener opener);

} // namespace platform
