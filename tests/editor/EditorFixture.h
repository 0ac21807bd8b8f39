#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "support/AnsweringDialogs.h"
#include "app/ApplicationFilter.h"
#include "controls/ImgButton.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/EditorFormBase.h"
#include "files/Preferences.h"
#include "model/RecordingUnit.h"
#include "model/EditorLink.h"

// What the guitar and the bass editor tests share: fresh modules for the
// unit's model and the program's state put back afterwards, an editor showing a
// preset that is both the original and the edit buffer, and the user's ways
// of working the window.
template <typename Form>
class EditorFixture : protected ModelFixtureBase {
protected:
    // Builds the editor for `model`; `services` gets the program change and
    // slot answers here, the rest from the caller.
    void setUpEditor(int model, EditorServices services)
    {
        setUpModel(model);
        TWC_CustomControl::SetModul(ModuleTable);
        TResForm::Create()->ManualTick = true;
        TResForm::Instance()->MS20.stop();
        CurrentPreferences.Confirm = 1;
        CurrentPreferences.TimeUnit = 1;
        services.sendProgramChange = [this](int program) { programs.push_back(program); };
        services.currentSlot = [this] { return currentSlot; };
        form = std::make_unique<Form>(TestServices(dialogs, helpPages), services);
        // The program's key filter: Enter and Escape reach edit fields as
        // their confirm and cancel keys, O and P the bass piano.
        if constexpr (requires(Form& f) { f.PianoActive(); })
            keys.pianoActive = [this] { return form && form->PianoActive(); };
        qApp->installEventFilter(&keys);
    }

    // The preset the editor starts with: the default image with `values`
    // (parameter, value) and `name`.
    void takeStart(std::initializer_list<std::pair<int, int>> values, const char* name)
    {
        PresetRecord start = *OriginalRecord;
        for (auto [mcix, v] : values)
            start.data[static_cast<size_t>(mcix - 1)] = static_cast<uint8_t>(v);
        SetRecordName(start, name);
        form->TakePreset(start);
        FlushPending();
        unit.controllers.clear();
    }

    void tearDownEditor()
    {
        qApp->removeEventFilter(&keys);
        form.reset();
        SetEditorLink(false, nullptr);
        SetEditorLink(true, nullptr);
        TWC_CustomControl::SetValEdit(nullptr);
        tearDownModel();
        TWC_CustomControl::SetModul(nullptr);
        TResForm::Instance()->ManualTick = false;
    }

    void showActive()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        FlushPending();
        unit.controllers.clear();
    }

    // One frame tick, then one comparison tick.
    void tick()
    {
        FlushPending();
        form->ChangedTimerTimer();
    }

    // The user opens the list, walks to the entry with the arrow keys and
    // takes it with Enter.
    static void choose(TWC_ComboBox* box, int index)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F4);
        QWidget* view = box->view();
        ASSERT_TRUE(view->isVisible());
        QTest::keyClick(view, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
        FlushPending();
    }

    static void click(TWC_ImgButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        FlushPending();
    }

    // The editor's message boxes and help pages.
    AnsweringDialogs dialogs;
    CapturingHelp helpPages;
    ApplicationFilter keys;
    std::unique_ptr<Form> form;
    std::vector<int> programs;
    int currentSlot = 0;
};
