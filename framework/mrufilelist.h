// The most recently used files as numbered items of a menu, kept in the settings.
#pragma once

#include "framework/model.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>

class TSettingsSections;

class EPropertyError : public EFrameworkError {
public:
    using EFrameworkError::EFrameworkError;
};

class TMRUFileList : public QObject {
    Q_OBJECT

public:
    static constexpr int MaxEntries = 8;

    explicit TMRUFileList(QObject* parent = nullptr);
    ~TMRUFileList() override;

    // Number of menu slots, 0 to 8; set once.
    void SetMRUItemCount(int count);
    int MRUItemCount() const { return itemCount_; }
    void SetParentMenu(QMenu* menu);
    QMenu* ParentMenu() const { return parentMenu_; }
    // The item after which the slots go; must belong to ParentMenu.
    void SetInsertAfter(QAction* item);
    QAction* InsertAfter() const { return insertAfter_; }
    void SetSeparatorBefore(bool separator) { separatorBefore_ = separator; }
    void SetHint(const QString& hint);
    const QString& Hint() const { return hint_; }
    // Called with the file name when a slot is clicked.
    std::function<void(const QString&)> OnOpenFile;

    // Creates the slot items once the properties are set.
    void Loaded();

    void AddFile(const QString& fileName);
    void RemoveFile(const QString& fileName);
    const QStringList& Names() const { return names_; }
    // The item of slot index (null for slots without one).
    QAction* Item(int index) const { return items_.at(static_cast<size_t>(index)); }
    QAction* Separator() const { return separator_; }

    void LoadFromRegistry(TSettingsSections& reg);
    void SaveToRegistry(TSettingsSections& reg);

    // Opens the file of the slot (handler) and takes it off the list, also when that fails.
    void MenuItemClick(int index);

    // A caption-sized form of a long path: the first folder level, "..." and the tail.
    static QString ShortenMRUPath(const QString& fileName);

private:
    void UpdateMenuItems();
    void ItemDestroyed(QObject* item);

    int itemCount_ = 0;
    bool countSet_ = false;
    QStringList names_;
    QPointer<QMenu> parentMenu_;
    QPointer<QAction> insertAfter_;
    std::array<QAction*, MaxEntries> items_{};
    bool separatorBefore_ = false;
    QPointer<QAction> separator_;
    QString hint_;
};
