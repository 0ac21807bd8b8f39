#pragma once

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "app/AnsweringDialogs.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianState.h"
#include "model/RecordingUnit.h"

// Answers the file dialogs from a queue (an empty answer cancels) and
// remembers what each dialog was opened with.
struct FileDialogs : AnsweringDialogs {
    struct Asked {
        QString caption, start, filter;
    };
    std::vector<Asked> opens, saves;
    QStringList fileAnswers;

    QString answerFile(std::vector<Asked>& log, const QString& caption, const QString& dir, const QString& filter)
    {
        log.push_back({caption, dir, filter});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString openFileName(QWidget*, const QString& c, const QString& d, const QString& f) override
    {
        return answerFile(opens, c, d, f);
    }
    QString saveFileName(QWidget*, const QString& c, const QString& d, const QString& f) override
    {
        return answerFile(saves, c, d, f);
    }
};

// A device window over fresh records, connected to a recording unit that
// is not the virtual one; confirmations off.
class DeviceFormTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    FileDialogs dialogs;
    std::unique_ptr<TDeviceForm> form;
    std::vector<int> programChanges;

    void open(int model = ModelDrux2)
    {
        setUpModel(model);
        ActiveDevice.DeviceKey = "DEV1";
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        UndoState = UndoStates();
        ClipboardFromCut = false;
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
        form = std::make_unique<TDeviceForm>();
        QObject::connect(form.get(), &TDeviceForm::programChangeRequested,
                         [this](int program) { programChanges.push_back(program); });
    }
    void SetUp() override { open(); }
    void TearDown() override
    {
        form.reset();
        CurrentPreferences = PreferenceSet();
        LibraryFileName.clear();
        LastExportName.clear();
        tearDownModel();
    }

    // Keys and Clear need the window to be the active one.
    void activate()
    {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QPoint cellCentre(int column, int row) const
    {
        return form->PresetGrid->visualRect(form->PresetGrid->model()->index(row, column)).center();
    }
    void click(int column, int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(form->PresetGrid->viewport(), Qt::LeftButton, mods, cellCentre(column, row));
    }
    QString cellText(int slot) const { return form->PresetGrid->item(slot / 5 + 1, slot % 5 + 1)->text(); }
    void name(int slot, const char* text)
    {
        SetRecordName(*DeviceMemory[slot], text);
        form->RedrawSlot(slot);
    }
    QString path(const QString& file) const { return dir.filePath(file); }
};
