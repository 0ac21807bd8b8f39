// The library window's drags: files dragged out of the tree, presets and
// files dropped on it, and the list scrolling while a drag hovers over it.
#include <QMimeData>
#include <QScrollBar>

#include "librarian/LibraryFormFixture.h"

namespace {

QStringList fileNames(const QString& file)
{
    PresetRecordList list;
    ListInit(list);
    QStringList texts;
    if (ReadLibraryFile(list, file) != FileResult::Ok)
        return {QStringLiteral("(unreadable)")};
    for (int i = 0; i < list.count; ++i) {
        const PresetRecord& r = list.at(i);
        texts << (r.isCommentLine() ? '#' + QString::fromStdString(r.comment)
                                    : QString::fromStdString(GetRecordName(r)).trimmed());
    }
    return texts;
}

} // namespace

TEST_F(LibraryFormTest, AFileDraggedFromTheTreeFillsTheGridAndCopiesIntoFolders)
{
    const QString src = writeLibrary("Src.dlb", {"a", "#group", "b", "c"});
    QDir(dir.path()).mkdir("sub");
    form->SelectPath(src);
    const QModelIndex file = form->FileModel->index(src);
    const QString next = QString::fromStdString(GetRecordName(*DeviceMemory[8])).trimmed();
    int drags = 0;
    form->runDrag = [&](QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        ++drags;
        EXPECT_EQ(PresetDragSource(data), DragSource::FileTree);
        EXPECT_EQ(form->DraggedFileName(), QStringLiteral("Src.dlb"));
        EXPECT_EQ(form->CurrentDropMode(), DropMode::Insert);
        EXPECT_EQ(DragList->count, 4);
        EXPECT_EQ(DragList->columns, 0);
        // Not onto itself; onto another folder as a copy, onto its own folder
        // as a copy beside it.
        EXPECT_FALSE(form->FileTreeDragOver(DragSource::FileTree, file));
        form->FileTreeDragDrop(DragSource::FileTree, form->FileModel->index(path("sub")));
        form->FileTreeDragDrop(DragSource::FileTree, form->FileModel->index(dir.path()));
        // Bank 2, Preset A onward; the comment line takes no slot.
        device->PresetGridDragDrop(DragSource::FileTree, QPoint(1, 2));
    };
    form->FileTreeStartDrag(form->FileModel->index(path("sub")));
    EXPECT_EQ(drags, 0) << "a folder is not dragged";
    form->FileTreeStartDrag(file);
    ASSERT_EQ(drags, 1);
    EXPECT_TRUE(form->DraggedFileName().isEmpty());
    EXPECT_EQ(fileNames(path("sub/Src.dlb")), (QStringList{"a", "#group", "b", "c"}));
    EXPECT_EQ(fileNames(path("Src0.dlb")), (QStringList{"a", "#group", "b", "c"}));
    EXPECT_EQ(fileNames(src), (QStringList{"a", "#group", "b", "c"}));
    QStringList written;
    for (int s = 5; s < 9; ++s)
        written << QString::fromStdString(GetRecordName(*DeviceMemory[s])).trimmed();
    EXPECT_EQ(written, (QStringList{"a", "b", "c", next}));
    EXPECT_TRUE(dialogs.texts.isEmpty());
}

TEST_F(LibraryFormTest, PresetsDroppedOnAFolderMakeNewLibrariesThere)
{
    QDir(dir.path()).mkdir("sub");
    fill(*LibraryList, {"x", "y", "z"});
    form->RefillPresetList();
    StartLibraryDrag({0, 2});
    const QModelIndex sub = form->FileModel->index(path("sub"));
    ASSERT_TRUE(form->FileTreeDragOver(DragSource::LibraryList, sub));
    form->FileTreeDragDrop(DragSource::LibraryList, sub);
    form->FileTreeDragDrop(DragSource::LibraryList, sub);
    EXPECT_EQ(fileNames(path("sub/New.dlb")), (QStringList{"x", "z"}));
    EXPECT_EQ(fileNames(path("sub/New0.dlb")), (QStringList{"x", "z"}));
    EXPECT_EQ(form->SelectedPath(), path("sub/New0.dlb"));
    // The open library stays as it was.
    EXPECT_EQ(names(), (QStringList{"x", "y", "z"}));

    // The edit buffer, named as the Current Preset field shows it.
    device->CurrentPreset->setText(QStringLiteral("Live"));
    ListClear(*DragList);
    form->FileTreeDragDrop(DragSource::CurrentPreset, sub);
    EXPECT_EQ(fileNames(path("sub/New1.dlb")), QStringList{"Live"});

    // A cut file is drawn greyed until the next Copy.
    form->SelectPath(path("sub/New.dlb"));
    form->CutFExecute();
    const QModelIndex cut = form->FileModel->index(path("sub/New.dlb"));
    EXPECT_TRUE(form->FileModel->data(cut, Qt::ForegroundRole).isValid());
    form->CopyFExecute();
    EXPECT_FALSE(form->FileModel->data(cut, Qt::ForegroundRole).isValid());
}

// Preset files dragged from the desktop's file manager are read as the
// tree's own files, wherever they are dropped, and stay where they were.
TEST_F(LibraryFormTest, PresetFilesFromAnotherProgramDropLikeTheTreesOwn)
{
    QDir(dir.path()).mkdir("sub");
    const QString outside = writeLibrary("Outside.dlb", {"o1", "o2"});
    QTableWidget* grid = device->PresetGrid;
    device->show();
    const QPoint cell = grid->visualRect(grid->model()->index(3, 1)).center(); // slot 10
    EXPECT_EQ(DropFiles(grid->viewport(), cell, {outside}), Qt::CopyAction);
    EXPECT_EQ(QString::fromStdString(GetRecordName(*DeviceMemory[10])).trimmed(), "o1");
    EXPECT_EQ(QString::fromStdString(GetRecordName(*DeviceMemory[11])).trimmed(), "o2");
    EXPECT_TRUE(QFile::exists(outside));

    EXPECT_EQ(DropFiles(form->PresetList->viewport(), QPoint(20, 20), {outside}), Qt::CopyAction);
    EXPECT_EQ(names(), (QStringList{"o1", "o2"}));

    form->SelectPath(path("sub"));
    const QModelIndex sub = form->FileModel->index(path("sub"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->FileTree->visualRect(sub).isValid(); }));
    EXPECT_EQ(DropFiles(form->FileTree->viewport(), form->FileTree->visualRect(sub).center(), {outside}),
              Qt::CopyAction);
    EXPECT_EQ(fileNames(path("sub/Outside.dlb")), (QStringList{"o1", "o2"}));
    EXPECT_TRUE(QFile::exists(outside));

    // Other files are no presets.
    QFile text(path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.close();
    EXPECT_EQ(DropFiles(grid->viewport(), cell, {text.fileName()}), Qt::IgnoreAction);
}

TEST_F(LibraryFormTest, PresetsDroppedOnALibraryFileAreAppendedAfterTheQuestion)
{
    const QString target = writeLibrary("Target.dlb", {"t1", "t2"});
    const QString dump = path("bank.syx");
    QFile(dump).open(QIODevice::WriteOnly);
    form->SelectPath(dir.path());
    const QModelIndex node = form->FileModel->index(target);
    EXPECT_FALSE(form->FileTreeDragOver(DragSource::LibraryList, form->FileModel->index(dump)));
    fill(*DragList, {"new"});
    CurrentPreferences.Confirm = 1;

    dialogs.answers = {QMessageBox::Cancel};
    form->FileTreeDragDrop(DragSource::Grid, node);
    EXPECT_EQ(fileNames(target), (QStringList{"t1", "t2"}));
    EXPECT_EQ(LibraryList->count, 0);

    form->FileTreeDragDrop(DragSource::Grid, node);
    EXPECT_EQ(dialogs.texts, (QStringList{"Append presets?", "Append presets?"}));
    EXPECT_EQ(fileNames(target), (QStringList{"t1", "t2", "new"}));
    // The file that grew is now the open library.
    EXPECT_EQ(names(), (QStringList{"t1", "t2", "new"}));
    EXPECT_EQ(form->PresetList->topLevelItemCount(), 3);
    EXPECT_EQ(form->SelectedPath(), target);
}

TEST_F(LibraryFormTest, TheScrollTimerScrollsTheListWhileTheDragHoversBelowOrAbove)
{
    QStringList many;
    for (int i = 0; i < 200; ++i)
        many << QStringLiteral("p%1").arg(i);
    fill(*LibraryList, many);
    form->RefillPresetList();
    QScrollBar* bar = form->PresetList->verticalScrollBar();
    bar->setValue(50);
    // A drag from the tree passes over the list and leaves it.
    StartLibraryDrag({});
    std::unique_ptr<QMimeData> data(PresetDragData(DragSource::FileTree));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(form->PresetList->viewport(), &enter);
    QDragLeaveEvent leave;
    QApplication::sendEvent(form->PresetList->viewport(), &leave);
    EXPECT_TRUE(form->ScrollTimer->isActive());

    const QRect list(form->PresetList->mapToGlobal(QPoint(0, 0)), form->PresetList->size());
    QPoint pointer(list.center().x(), list.bottom() + 20);
    form->pointerPosition = [&] { return pointer; };
    form->ScrollTimerTimer();
    EXPECT_EQ(bar->value(), 50 + bar->singleStep());
    pointer.setY(list.top() - 20);
    form->ScrollTimerTimer();
    form->ScrollTimerTimer();
    EXPECT_EQ(bar->value(), 50 - bar->singleStep());
    EXPECT_TRUE(form->ScrollTimer->isActive());
    // Beside the list, or back over it, the timer stops.
    pointer.setX(list.right() + 20);
    form->ScrollTimerTimer();
    EXPECT_FALSE(form->ScrollTimer->isActive());
    EXPECT_EQ(bar->value(), 50 - bar->singleStep());

    form->ScrollTimer->start();
    form->FileTreeEndDrag();
    EXPECT_FALSE(form->ScrollTimer->isActive());
}

TEST_F(LibraryFormTest, PullingAFileNodeWithTheMouseStartsItsDrag)
{
    const QString src = writeLibrary("Src.dlb", {"a"});
    form->SelectPath(src);
    QRect node;
    for (int i = 0; i < 100 && node.isEmpty(); ++i) {
        QTest::qWait(20);
        node = form->FileTree->visualRect(form->FileModel->index(src));
    }
    ASSERT_FALSE(node.isEmpty()) << "the tree did not show the file";
    QStringList dragged;
    form->runDrag = [&](QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        dragged << form->DraggedFileName();
    };
    QWidget* viewport = form->FileTree->viewport();
    const QPoint from = node.center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(3, 0));
    EXPECT_TRUE(dragged.isEmpty()) << "a drag begins after 7 pixels";
    QTest::mouseMove(viewport, from + QPoint(8, 1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(8, 1));
    EXPECT_EQ(dragged, QStringList{"Src.dlb"});
    EXPECT_EQ(DragList->count, 1);
}
