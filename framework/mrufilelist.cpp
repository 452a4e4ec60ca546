#include "framework/mrufilelist.h"

#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/failure.h"

#include <QAction>
#include <QMenu>

namespace {

const QString Section = QStringLiteral("MRUList");

void InsertAt(QMenu* menu, qsizetype position, QAction* action) {
    const QList<QAction*> actions = menu->actions();
    menu->insertAction(position < actions.size() ? actions[position] : nullptr, action);
}

} // namespace

TMRUFileList::TMRUFileList(QObject* parent) : QObject(parent) {}

TMRUFileList::~TMRUFileList() {
    for (QAction* item : items_) {
        if (item)
            disconnect(item, nullptr, this, nullptr);
    }
}

void TMRUFileList::SetMRUItemCount(int count) {
    if (count == itemCount_)
        return;
    if (count < 0 || count > MaxEntries)
        throw EPropertyError(QStringLiteral("Ungültige Zahl von MRU-Einträgen"));
    if (countSet_)
        throw EPropertyError(QStringLiteral("Anzahl der MRU-Einträge schon gesetzt!"));
    countSet_ = true;
    itemCount_ = count;
}

void TMRUFileList::SetParentMenu(QMenu* menu) {
    parentMenu_ = menu;
    if (!menu || (insertAfter_ && !menu->actions().contains(insertAfter_.data())))
        insertAfter_ = nullptr;
}

void TMRUFileList::SetInsertAfter(QAction* item) {
    if (item == insertAfter_)
        return;
    if (item && (!parentMenu_ || !parentMenu_->actions().contains(item)))
        throw EPropertyError(QStringLiteral("InsertAfter muß ein Unterpunkt von ParentMenu sein"));
    insertAfter_ = item;
}

void TMRUFileList::SetHint(const QString& hint) {
    hint_ = hint;
    for (QAction* item : items_) {
        if (item)
            item->setStatusTip(hint);
    }
}

void TMRUFileList::Loaded() {
    if (itemCount_ > 0 && (!parentMenu_ || !insertAfter_))
        throw EPropertyError(QStringLiteral("ParentMenu und InsertAfter dürfen nicht nil sein"));
    if (itemCount_ == 0)
        return;
    qsizetype position = parentMenu_->actions().indexOf(insertAfter_.data());
    if (position < 0)
        position = 0;
    if (separatorBefore_) {
        ++position;
        separator_ = new QAction(parentMenu_);
        separator_->setSeparator(true);
        InsertAt(parentMenu_, position, separator_);
    }
    for (int i = 0; i < itemCount_; ++i) {
        ++position;
        auto* item = new QAction(parentMenu_);
        item->setObjectName(QStringLiteral("FileMRUItem%1").arg(i));
        item->setStatusTip(hint_);
        ConnectCommand(item, this, [this, item] {
            const auto slot = std::find(items_.begin(), items_.end(), item);
            if (slot == items_.end())
                return;
            try {
                MenuItemClick(static_cast<int>(slot - items_.begin()));
            } catch (const std::exception& error) {
                ShowError(ErrorText(error));
            }
        });
        connect(item, &QObject::destroyed, this, &TMRUFileList::ItemDestroyed);
        InsertAt(parentMenu_, position, item);
        items_[static_cast<size_t>(i)] = item;
    }
    UpdateMenuItems();
}

void TMRUFileList::ItemDestroyed(QObject* item) {
    const auto slot = std::find(items_.begin(), items_.end(), item);
    if (slot == items_.end())
        return;
    std::move(slot + 1, items_.end(), slot);
    items_.back() = nullptr;
}

void TMRUFileList::AddFile(const QString& fileName) {
    // File names differ by letter case on this system, so only equal names are one entry.
    names_.removeAll(fileName);
    names_.prepend(fileName);
    while (names_.size() > MaxEntries)
        names_.removeLast();
    UpdateMenuItems();
}

void TMRUFileList::RemoveFile(const QString& fileName) {
    names_.removeAll(fileName);
    UpdateMenuItems();
}

void TMRUFileList::UpdateMenuItems() {
    bool anyVisible = false;
    for (int i = 0; i < MaxEntries; ++i) {
        QAction* item = items_[static_cast<size_t>(i)];
        if (!item)
            continue;
        const bool visible = i < names_.size();
        item->setVisible(visible);
        if (visible) {
            anyVisible = true;
            QString shortName = ShortenMRUPath(names_[i]);
            shortName.replace(QLatin1Char('&'), QStringLiteral("&&"));
            item->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shortName));
        }
    }
    if (separator_)
        separator_->setVisible(anyVisible);
}

void TMRUFileList::MenuItemClick(int index) {
    if (index < 0 || index >= names_.size())
        return;
    const QString name = names_[index];
    if (name.isEmpty())
        return;
    try {
        if (OnOpenFile)
            OnOpenFile(name);
    } catch (...) {
        RemoveFile(name);
        throw;
    }
    RemoveFile(name);
}

QString TMRUFileList::ShortenMRUPath(const QString& fileName) {
    // Positions are counted from 1 as in the caption rule: F is the first "/", I the cut.
    const qsizetype len = fileName.size();
    if (len <= 52)
        return fileName;
    const qsizetype f = fileName.indexOf(QLatin1Char('/')) + 1;
    if (f == 0)
        return fileName;
    qsizetype chosen = 0;
    qsizetype last = 0;
    for (qsizetype i = f + 2; i <= len - 1; ++i) {
        if (fileName[i - 1] != QLatin1Char('/'))
            continue;
        last = i;
        if (chosen == 0 && (len - i) + f + 1 <= 50)
            chosen = i;
    }
    if (chosen == 0)
        chosen = last;
    if (chosen == 0)
        return fileName; // no later folder to cut at
    return fileName.left(f) + QStringLiteral("...") + fileName.mid(chosen - 1);
}

void TMRUFileList::LoadFromRegistry(TSettingsSections& reg) {
    names_.clear();
    // The stored count may have been edited; never more entries than the list holds.
    const int count = std::min(reg.ReadInteger(Section, QStringLiteral("Count"), 0), MaxEntries);
    for (int i = 1; i <= count; ++i) {
        const QString name = reg.ReadString(Section, QStringLiteral("File%1").arg(i), QString());
        if (!name.isEmpty())
            names_.append(name);
    }
    UpdateMenuItems();
}

void TMRUFileList::SaveToRegistry(TSettingsSections& reg) {
    const int count = static_cast<int>(names_.size());
    reg.WriteInteger(Section, QStringLiteral("Count"), count);
    for (int i = 1; i <= MaxEntries; ++i)
        reg.WriteString(Section, QStringLiteral("File%1").arg(i),
                        i <= count ? names_[i - 1] : QString());
}
