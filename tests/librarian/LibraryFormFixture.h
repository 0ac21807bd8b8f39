#pragma once

// The library window's test fixture: a device window and a library window
// over a temporary folder, with helpers that write libraries there, open
// them from the tree and type into the list.
#include <QApplication>
#include <QFile>
#include <QTest>
#include <memory>

#include "controls/KeyCodes.h"
#include "files/LibraryFile.h"
#include "librarian/DeviceFormFixture.h"
#include "librarian/LibraryForm.h"

inline const QString SaveQuestion = QStringLiteral("Save Library?");
inline const QString NewQuestion = QStringLiteral("Create New Library ?");
inline const QString CannotLoad = QStringLiteral("Unable to Load the file");
inline const QString CannotSave = QStringLiteral("Unable to Save the file");

// File dialogs from a queue, message boxes from a queue (then Ok).
struct LibraryDialogs : FileDialogs {
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton message(QWidget* parent, Kind kind, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        FileDialogs::message(parent, kind, title, text, buttons, defaultButton);
        return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
    }
};

class LibraryFormTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    LibraryDialogs dialogs;
    CapturingHelp help;
    LibrarianActions librarian;
    std::unique_ptr<TDeviceForm> device;
    std::unique_ptr<TLibraryForm> form;

    void SetUp() override
    {
        setUpModel(ModelDrux2);
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        UndoState = UndoStates();
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
        CurrentPreferences.Dir = dir.path();
        device = std::make_unique<TDeviceForm>(TestServices(dialogs, help), librarian);
        form = std::make_unique<TLibraryForm>(TestServices(dialogs, help), librarian);
        QObject::connect(device.get(), &TDeviceForm::librarySaved, form.get(), &TLibraryForm::LibrarySaved);
        form->show();
    }
    void TearDown() override
    {
        form->hide();
        form.reset();
        device.reset();
        CurrentPreferences = PreferenceSet();
        LibraryFileName.clear();
        tearDownModel();
    }

    QString path(const QString& file) const { return dir.filePath(file); }

    // Entries: a name makes a preset (origin 7, device id 3), "#text" a
    // comment line, "?name" a preset never taken from the unit.
    static void fill(PresetRecordList& list, const QStringList& entries)
    {
        ListClear(list);
        for (const QString& e : entries) {
            PresetRecord r;
            InitRecord(r, -1);
            r.origin = 7;
            r.deviceId = 3;
            if (e.startsWith('#')) {
                r.origin = -1;
                r.comment = e.mid(1).toStdString();
            } else if (e.startsWith('?')) {
                r.origin = -2;
                SetRecordName(r, e.mid(1).toStdString());
            } else {
                SetRecordName(r, e.toStdString());
            }
            r.dateTime = 45000.5;
            ListAdd(list, &r);
        }
    }
    QString writeLibrary(const QString& file, const QStringList& entries)
    {
        PresetRecordList list;
        ListInit(list);
        fill(list, entries);
        EXPECT_EQ(WriteLibraryFile(list, path(file)), FileResult::Ok);
        return path(file);
    }
    void openInTree(const QString& file)
    {
        form->SelectPath(file);
        form->FileTreeDblClick(form->FileModel->index(file));
    }
    QStringList column(int c) const
    {
        QStringList texts;
        for (int i = 0; i < form->PresetList->topLevelItemCount(); ++i)
            texts << form->PresetList->topLevelItem(i)->text(c);
        return texts;
    }
    QStringList names() const
    {
        QStringList texts;
        for (int i = 0; i < LibraryList->count; ++i) {
            const PresetRecord& r = LibraryList->at(i);
            texts << (r.isCommentLine() ? '#' + QString::fromStdString(r.comment)
                                        : QString::fromStdString(GetRecordName(r)).trimmed());
        }
        return texts;
    }
    // The program's own codes for Enter and Escape, as the key filter hands
    // them to edit fields.
    void release(int key)
    {
        QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(form->PresetPropertyEdit, &e);
    }
    void activate()
    {
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = {})
    {
        QTreeWidgetItem* item = form->PresetList->topLevelItem(row);
        QTest::mouseClick(form->PresetList->viewport(), Qt::LeftButton, mods,
                          form->PresetList->visualRect(form->PresetList->indexFromItem(item, NameColumn)).center());
    }
    // Waits longer than a double-click, so that the next click is a new one.
    static void pause() { QTest::qWait(QApplication::doubleClickInterval() + 100); }
    void typeAndCommit(const QString& text)
    {
        form->PresetPropertyEdit->clear();
        QTest::keyClicks(form->PresetPropertyEdit, text);
        release(KeyConfirm);
    }
};
