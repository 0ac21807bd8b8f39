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

// Answers the file dialogs from a queue (an empty answer is a cancel) and
// remembers what each dialog was opened with.
struct FileDialogs : AnsweringDialogs {
    struct Asked {
        QString caption, start, filter;
    };
    std::vector<Asked> opens, saves;
    QStringList fileAnswers;

    QString openFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        opens.push_back({caption, dir, filter});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        saves.push_back({caption, dir, filter});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
};

// A device window over fresh records, connected to a recording unit of
// `model` that is not the virtual one.
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
        ActiveDevice.DeviceName = "Stage Rig";
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
        form = std::make_unique<TDeviceForm>();
        QObject::connect(form.get(), &TDeviceForm::programChangeRequested,
                         [this](int program) { programChanges.push_back(program); });
    }
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        open();
    }
    void TearDown() override
    {
        form.reset();
        CurrentPreferences = PreferenceSet();
        LibraryFileName.clear();
        LastExportName.clear();
        tearDownModel();
    }

    // Shows the window and waits until it is the active one (keys and Clear
    // need that).
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
