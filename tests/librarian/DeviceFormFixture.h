#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "support/AnsweringDialogs.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianActions.h"
#include "librarian/LibrarianState.h"
#include "model/RecordingUnit.h"

// Answers the file dialogs from a queue (an empty answer cancels) and
// remembers what each dialog was opened with. A save dialog answers with
// the filter at `chosenFilter` (the first one by default).
struct FileDialogs : AnsweringDialogs {
    struct Asked {
        QString caption, start, filter;
    };
    std::vector<Asked> opens, saves;
    QStringList fileAnswers;
    int chosenFilter = 0;
    // Opens Qt's own save dialog instead, for tests that answer it as a
    // user would.
    bool realSaveDialog = false;

    QString answerFile(std::vector<Asked>& log, const QString& caption, const QString& dir, const QString& filter)
    {
        log.push_back({caption, dir, filter});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString openFileName(QWidget*, const QString& c, const QString& d, const QString& f) override
    {
        return answerFile(opens, c, d, f);
    }
    QString saveFileName(QWidget* parent, const QString& c, const QString& d, const QString& f, QString* chosen) override
    {
        if (realSaveDialog) {
            saves.push_back({c, d, f});
            return MessageService::saveFileName(parent, c, d, f, chosen);
        }
        if (chosen)
            *chosen = f.split(QStringLiteral(";;")).value(chosenFilter);
        return answerFile(saves, c, d, f);
    }
};

// Runs `act` on the modal window of kind T as soon as it is up, so that a
// test can answer a dialog that the code under test runs with exec().
// Returns the poll, which a test may delete when no such window came.
template <class T>
QPointer<QTimer> WhenModal(std::function<void(T*)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(window);
    });
    poll->start();
    return poll;
}

// In Qt's save dialog: types `name` into the file name field and presses
// Enter. A question that comes up (the file exists) is answered with
// `answer` and its text goes to `asked`; a dialog still open then is
// cancelled with Escape. `filterIndex` >= 0 chooses a filter first.
inline void SaveAs(const QString& name, QMessageBox::StandardButton answer, QStringList* asked,
                   int filterIndex = -1)
{
    WhenModal<QFileDialog>([=](QFileDialog* dialog) {
        // The dialog reads its folder in the background and then selects
        // the proposed file; the user types after that.
        QTest::qWait(200);
        if (filterIndex >= 0) {
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            types->setFocus();
            while (types->currentIndex() < filterIndex)
                QTest::keyClick(types, Qt::Key_Down);
        }
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        field->setFocus();
        // On a busy machine the dialog may still put its proposal in after
        // the first try; the user would simply type again.
        for (int attempt = 0; attempt < 5; ++attempt) {
            field->selectAll();
            QTest::keyClicks(field, name);
            QTest::qWait(50);
            if (field->text() == name)
                break;
        }
        QPointer<QTimer> question = WhenModal<QMessageBox>([=](QMessageBox* box) {
            if (asked)
                *asked << box->text();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
        QTest::keyClick(field, Qt::Key_Return);
        delete question;
        if (dialog->isVisible())
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
}

// A drag of `files` from another program (the desktop's file manager) that
// enters `target` and is dropped at `at`. Returns the action the drop was
// taken with (IgnoreAction when refused).
inline Qt::DropAction DropFiles(QWidget* target, QPoint at, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &move);
    if (!move.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// A device window over fresh records, connected to a recording unit that
// is not the virtual one; confirmations off.
class DeviceFormTest : public ::testing::Test, public ModelFixtureBase {
protected:
    QTemporaryDir dir;
    FileDialogs dialogs;
    CapturingHelp help;
    LibrarianActions librarian;
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
        form = std::make_unique<TDeviceForm>(TestServices(dialogs, help), librarian);
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
    // Opens `menu` as the user would and clicks `item` in it.
    void choose(QMenu* menu, QAction* item)
    {
        menu->popup(form->mapToGlobal(QPoint(40, 40)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
};
