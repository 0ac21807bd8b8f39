#pragma once

#include <QDialog>
#include <vector>

#include "files/Backups.h"

class QTreeWidget;

// File > Restore Backup...: the backups of the connected unit, newest first,
// each with the slots where it differs from the memory as the program holds
// it. The choice goes through the ordinary all-presets import.
class TRestoreBackupForm : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        backup::Entry entry;
        backup::MemoryImages images;
    };
    TRestoreBackupForm(std::vector<Choice> backups, const backup::MemoryImages& memory, QWidget* parent = nullptr);

    // The backup chosen, once the dialog was accepted.
    QString chosenPath() const;

    QTreeWidget* List;

private:
    std::vector<Choice> Backups;
};

// "3 slots: 1 A CRUNCH, 4 C LEAD, 9 E CLEAN ..." for the slots where
// `backup` differs from `memory`; "none" when they are equal.
QString DifferenceText(const backup::MemoryImages& backup, const backup::MemoryImages& memory);
