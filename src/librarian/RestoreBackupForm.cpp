#include "librarian/RestoreBackupForm.h"

#include "model/Presets.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Names shown of the differing slots; the count tells the rest.
constexpr int NamesShown = 3;
}

QString DifferenceText(const backup::MemoryImages& backup, const backup::MemoryImages& memory)
{
    const std::vector<int> differing = backup::DifferingSlots(backup, memory);
    if (differing.empty())
        return QStringLiteral("none");
    QStringList names;
    for (size_t i = 0; i < differing.size() && i < NamesShown; ++i) {
        const int slot = differing[i];
        const std::string name = backup.slotName(slot);
        names << QStringLiteral("%1 %2 %3")
                     .arg(SlotBank(slot))
                     .arg(QLatin1Char(SlotLetter(slot)))
                     .arg(QString::fromLatin1(name.data(), qsizetype(name.size())));
    }
    QString text = differing.size() == 1 ? QStringLiteral("1 slot: ") : QStringLiteral("%1 slots: ").arg(differing.size());
    text += names.join(QStringLiteral(", "));
    if (differing.size() > NamesShown)
        text += QStringLiteral(" ...");
    return text;
}

TRestoreBackupForm::TRestoreBackupForm(std::vector<Choice> backups, const backup::MemoryImages& memory,
                                       QWidget* parent)
    : QDialog(parent), Backups(std::move(backups))
{
    setWindowTitle(QStringLiteral("Restore Backup"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Choose the memory to give back to the unit. It replaces all 125 "
                                                "presets; the memory as it is now is kept as a backup first."),
                                 this));
    List = new QTreeWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setRootIsDecorated(false);
    List->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Differs from the memory in"),
                           QStringLiteral("File")});
    for (const auto& [e, images] : Backups) {
        auto* item = new QTreeWidgetItem(List, {e.when.toString(QStringLiteral("yyyy-MM-dd")),
                                                e.when.toString(QStringLiteral("HH:mm:ss")),
                                                DifferenceText(images, memory), QDir::toNativeSeparators(e.path)});
        item->setToolTip(3, item->text(3));
    }
    List->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    List->header()->setStretchLastSection(true);
    if (List->topLevelItemCount())
        List->setCurrentItem(List->topLevelItem(0));
    layout->addWidget(List);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* restore = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::AcceptRole);
    restore->setObjectName(QStringLiteral("Restore"));
    restore->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(List, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(List, &QTreeWidget::currentItemChanged, this,
            [restore](QTreeWidgetItem* current) { restore->setEnabled(current != nullptr); });
    restore->setEnabled(List->currentItem() != nullptr);
    layout->addWidget(buttons);
    resize(720, 320);
}

QString TRestoreBackupForm::chosenPath() const
{
    const int row = List->currentItem() ? List->indexOfTopLevelItem(List->currentItem()) : -1;
    return row >= 0 && row < int(Backups.size()) ? Backups[size_t(row)].entry.path : QString();
}
