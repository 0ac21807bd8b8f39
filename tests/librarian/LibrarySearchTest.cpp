// The library window's search box and its searches through every preset
// file of a folder, driven as a user types and clicks.
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/ApplicationFilter.h"
#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "librarian/DeviceFormFixture.h"
#include "librarian/LibraryForm.h"
#include "librarian/LibrarySearch.h"

namespace {

class LibrarySearchTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    FileDialogs dialogs;
    CapturingHelp help;
    LibrarianActions librarian;
    ApplicationFilter keys;
    std::unique_ptr<TDeviceForm> device;
    std::unique_ptr<TLibraryForm> form;
    LibrarySearch* search = nullptr;

    void SetUp() override
    {
        setUpModel(ModelDrux2);
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        UndoState = UndoStates();
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
        CurrentPreferences.Dir = dir.path();
        qApp->installEventFilter(&keys);
        device = std::make_unique<TDeviceForm>(TestServices(dialogs, help), librarian);
        form = std::make_unique<TLibraryForm>(TestServices(dialogs, help), librarian);
        search = form->Search;
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&keys);
        form.reset();
        device.reset();
        CurrentPreferences = PreferenceSet();
        LibraryFileName.clear();
        tearDownModel();
    }

    QString path(const QString& file) const { return dir.filePath(file); }

    // Entries "name|comment|author"; "#text" makes a comment line.
    static PresetRecord record(const QString& entry, uint32_t model = ModelDrux2)
    {
        PresetRecord r;
        InitRecord(r, -1);
        r.model = model;
        r.origin = 3;
        r.dateTime = 45000.5;
        if (entry.startsWith('#')) {
            r.origin = -1;
            r.comment = entry.mid(1).toStdString();
            return r;
        }
        const QStringList parts = entry.split('|');
        std::string name = parts[0].toLatin1().toStdString();
        name.resize(NameLength, ' ');
        std::copy(name.begin(), name.end(), r.data.begin() + (ImageLengthFor(model) - NameLength));
        // A sound of its own for every name.
        int sum = 0;
        for (QChar c : parts[0])
            sum += c.unicode();
        r.data[0] = uint8_t(sum & 0x7F);
        r.comment = parts.value(1).toLatin1().toStdString();
        r.createdBy = parts.value(2).toLatin1().toStdString();
        return r;
    }
    QString library(const QString& file, const QStringList& entries, uint32_t model = ModelDrux2)
    {
        PresetRecordList list;
        ListInit(list);
        for (const QString& e : entries) {
            const PresetRecord r = record(e, model);
            ListAdd(list, &r);
        }
        QDir().mkpath(QFileInfo(path(file)).absolutePath());
        const int length = ImageLengthFor(model);
        // Written byte for byte: the library writer follows the connected unit.
        write(file, library::EncodeLibrary(list, length, CurrentDataFormatVersion));
        return path(file);
    }
    void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(path(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Every file under the folder with its bytes, to see that none changed.
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> all;
        QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            f.open(QIODevice::ReadOnly);
            all[it.filePath()] = f.readAll();
        }
        return all;
    }
    QStringList libraryNames() const
    {
        QStringList texts;
        for (int i = 0; i < LibraryList->count; ++i) {
            const PresetRecord& r = LibraryList->at(i);
            texts << (r.isCommentLine() ? '#' + QString::fromStdString(r.comment)
                                        : QString::fromLatin1(GetRecordName(r)).trimmed());
        }
        return texts;
    }
    QStringList shownRows(QTreeWidget* list, int column) const
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (!list->topLevelItem(i)->isHidden())
                texts << list->topLevelItem(i)->text(column).trimmed();
        return texts;
    }
    void clickRow(QTreeWidget* list, int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, mods,
                          list->visualItemRect(list->topLevelItem(row)).center());
    }
    void type(const QString& text)
    {
        search->SearchBox->setFocus();
        QTest::keyClicks(search->SearchBox, text);
    }
    bool waitForResults() const
    {
        return QTest::qWaitFor([this] { return search->ShowingResults(); }, 5000);
    }
};

// File column, name column and file names in the result list.
constexpr int FileColumn = 1;
constexpr int NameColumnOfResults = 2;

TEST_F(LibrarySearchTest, TypingFiltersTheOpenLibraryAndEscapeShowsItWhole)
{
    const QString open = library("Open.dlb", {"Clean|warm", "#Leads", "Crunch Lead|for the bridge",
                                              "Solo|loud|J\u00FCrgen"});
    form->SelectPath(open);
    form->FileTreeDblClick(form->FileModel->index(open));
    type(QStringLiteral("LEAD"));
    EXPECT_EQ(shownRows(form->PresetList, NameColumn), QStringList{"Crunch Lead"});
    search->SearchBox->clear();
    type(QStringLiteral("jurgen"));
    EXPECT_EQ(shownRows(form->PresetList, NameColumn), QStringList{"Solo"});

    QTest::keyClick(search->SearchBox, Qt::Key_Escape);
    EXPECT_TRUE(search->SearchBox->text().isEmpty());
    EXPECT_EQ(shownRows(form->PresetList, NameColumn).size(), 4);

    // What the filter hides is not acted on: Select All and Delete take the
    // rows the user sees.
    type(QStringLiteral("c"));
    EXPECT_EQ(shownRows(form->PresetList, NameColumn), (QStringList{"Clean", "Crunch Lead"}));
    form->PresetList->setFocus();
    QTest::keyClick(form->PresetList, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->PresetList, Qt::Key_Delete);
    EXPECT_EQ(libraryNames(), (QStringList{"#Leads", "Solo"}));
}

TEST_F(LibrarySearchTest, SearchAllFilesShowsTheHitsOfEveryFileAndGoesBackToTheLibraryUnchanged)
{
    const QString open = library("Open.dlb", {"Mine", "Yours"});
    library("Gig.dlb", {"Blues|smoky bar", "Clean"});
    library("Old/Backup.dlb", {"#Old ones", "Smoke"});
    PresetRecord one = record("SMOKE ON WATER");
    const auto dumped = dump::PresetDumpBytes(0, ModelDrux2, dump::EditBufferNumber, one.data.data(), GuitarImageLength);
    write("One.syx", QByteArray(reinterpret_cast<const char*>(dumped.data()), qsizetype(dumped.size())));
    library("Bass.blb", {"Smoky Bass"}, ModelBass);
    write("Broken.dlb", "not a library");
    form->SelectPath(open);
    form->FileTreeDblClick(form->FileModel->index(open));
    form->SelectPath(dir.path());
    const auto before = files();

    type(QStringLiteral("smok"));
    QTest::mouseClick(search->SearchAllBtn, Qt::LeftButton);
    EXPECT_TRUE(search->Progress->isVisible());
    EXPECT_TRUE(search->CancelBtn->isVisible());
    ASSERT_TRUE(waitForResults());
    EXPECT_FALSE(search->Progress->isVisible());
    EXPECT_FALSE(form->PresetList->isVisible());
    EXPECT_EQ(shownRows(search->ResultList, FileColumn),
              (QStringList{"Gig.dlb", QDir::toNativeSeparators("Old/Backup.dlb"), "One.syx"}));
    EXPECT_EQ(shownRows(search->ResultList, NameColumnOfResults), (QStringList{"Blues", "Smoke", "SMOKE ON WATER"}));
    EXPECT_TRUE(search->Status->text().contains("1 file could not be read")) << search->Status->text().toStdString();
    EXPECT_TRUE(search->Status->text().contains("1 preset of the other family not shown"));

    // Typing on narrows the results; the list is read-only.
    type(QStringLiteral("e"));
    EXPECT_EQ(shownRows(search->ResultList, NameColumnOfResults), (QStringList{"Smoke", "SMOKE ON WATER"}));
    clickRow(search->ResultList, 1);
    for (auto key : {QKeyCombination(Qt::Key_Delete), QKeyCombination(Qt::ControlModifier, Qt::Key_X),
                     QKeyCombination(Qt::ControlModifier, Qt::Key_M), QKeyCombination(Qt::ControlModifier, Qt::Key_I)})
        QTest::keyClick(search->ResultList, key.key(), key.keyboardModifiers());
    EXPECT_FALSE(form->PresetPropertyEdit->isVisible());
    EXPECT_TRUE(dialogs.texts.isEmpty()) << "no question about deleting anything";

    QTest::mouseClick(search->SearchBox, Qt::LeftButton);
    QTest::keyClick(search->SearchBox, Qt::Key_Escape);
    EXPECT_FALSE(search->ShowingResults());
    EXPECT_TRUE(form->PresetList->isVisible());
    EXPECT_EQ(shownRows(form->PresetList, NameColumn), (QStringList{"Mine", "Yours"}));
    EXPECT_EQ(libraryNames(), (QStringList{"Mine", "Yours"}));
    EXPECT_FALSE(LibraryDiffersFromSaved());
    EXPECT_EQ(files(), before) << "a search writes no file";
}

TEST_F(LibrarySearchTest, AResultAuditionsOpensInTheEditorDragsAndOpensItsFileAtItsRow)
{
    library("Gig.dlb", {"Clean", "#Set two", "Lead|solo", "Rhythm"});
    const QString target = library("Set.dlb", {"First"});
    QSignalSpy editor(form.get(), &TLibraryForm::editorRequested);
    // Enter in the box searches all files.
    type(QStringLiteral("lead"));
    QTest::keyClick(search->SearchBox, Qt::Key_Return);
    ASSERT_TRUE(waitForResults());
    ASSERT_EQ(shownRows(search->ResultList, NameColumnOfResults), QStringList{"Lead"});
    clickRow(search->ResultList, 0);

    QTest::keyClick(search->ResultList, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{dump::EditBufferNumber});
    QTest::keyClick(search->ResultList, Qt::Key_Return);
    ASSERT_EQ(editor.size(), 1);
    EXPECT_EQ(editor[0][1].toString().trimmed(), "Lead");
    EXPECT_EQ(editor[0][2].toString(), "Gig.dlb");

    // Dragged into the grid at Bank 2, Preset A, and onto a library in the tree.
    device->show();
    QTableWidget* grid = device->PresetGrid;
    const QPoint cell = grid->visualRect(grid->model()->index(2, 1)).center();
    const QModelIndex setNode = form->FileModel->index(target);
    form->runDrag = [&](QMimeData* data) {
        std::unique_ptr<QMimeData> owned(data);
        QDragEnterEvent enter(cell, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grid->viewport(), &enter);
        QDragMoveEvent move(cell, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grid->viewport(), &move);
        QDropEvent drop(cell, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grid->viewport(), &drop);
        form->FileTreeDragDrop(PresetDragSource(data), setNode);
    };
    const QRect row = search->ResultList->visualItemRect(search->ResultList->topLevelItem(0));
    QTest::mousePress(search->ResultList->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseMove(search->ResultList->viewport(), row.center() + QPoint(12, 3));
    QTest::mouseRelease(search->ResultList->viewport(), Qt::LeftButton, {}, row.center() + QPoint(12, 3));
    EXPECT_EQ(QString::fromLatin1(GetRecordName(*DeviceMemory[5])).trimmed(), "Lead");
    EXPECT_EQ(unit.dumpSlots.back(), 5) << "the slot went to the unit";
    PresetRecordList set;
    ListInit(set);
    ASSERT_EQ(ReadLibraryFile(set, target), FileResult::Ok);
    ASSERT_EQ(set.count, 2);
    EXPECT_EQ(QString::fromLatin1(GetRecordName(set.at(1))).trimmed(), "Lead");

    // Open File: the library it came from, at its row (the comment line counts).
    ASSERT_TRUE(search->ShowingResults());
    clickRow(search->ResultList, 0);
    QTest::mouseClick(search->OpenFileBtn, Qt::LeftButton);
    EXPECT_FALSE(search->ShowingResults());
    EXPECT_EQ(libraryNames().size(), 4);
    EXPECT_EQ(form->SelectedItems(), std::vector<int>{2});
    EXPECT_EQ(form->windowTitle(), QDir::toNativeSeparators(path("Gig.dlb")));
    EXPECT_EQ(form->SelectedPath(), path("Gig.dlb"));
}

TEST_F(LibrarySearchTest, FindDuplicatesShowsTheGroupsAndCancelStopsASearch)
{
    library("A.dlb", {"Clean", "Lead"});
    library("B.dlb", {"Lead", "Other"});
    QTest::mouseClick(search->FindDuplicatesBtn, Qt::LeftButton);
    ASSERT_TRUE(waitForResults());
    EXPECT_EQ(shownRows(search->ResultList, 0), (QStringList{"1", "1"}));
    EXPECT_EQ(shownRows(search->ResultList, FileColumn), (QStringList{"A.dlb", "B.dlb"}));
    EXPECT_EQ(shownRows(search->ResultList, NameColumnOfResults), (QStringList{"Lead", "Lead"}));
    QTest::mouseClick(search->BackBtn, Qt::LeftButton);
    EXPECT_FALSE(search->ShowingResults());

    // A cancelled search shows nothing of what it found.
    QTest::mouseClick(search->SearchAllBtn, Qt::LeftButton);
    ASSERT_TRUE(search->CancelBtn->isVisible());
    QTest::mouseClick(search->CancelBtn, Qt::LeftButton);
    EXPECT_EQ(search->Status->text(), "Search cancelled.");
    QTest::qWait(200);
    EXPECT_FALSE(search->ShowingResults());
    EXPECT_TRUE(search->SearchAllBtn->isEnabled());
    EXPECT_FALSE(search->CancelBtn->isVisible());
}

} // namespace
