#pragma once

#include <QList>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/AnsweringQuestions.h"
#include "files/Preferences.h"
#include "librarian/PresetClipboard.h"
#include "model/RecordingUnit.h"

inline const QString FitQuestion =
    QStringLiteral("Selection does not fit on destination! \n Do you want to clip the selection?");

// Fresh records of a guitar unit with every slot named "s<slot>" and an
// empty undo history; confirmations off.
class ClipboardTest : public ::testing::Test, public ModelFixtureBase {
protected:
    AnsweringQuestions questions;

    void SetUp() override
    {
        setUpModel(ModelDrux2);
        DataFormatVersion = CurrentDataFormatVersion;
        ResetAllRecords();
        for (int slot = 0; slot < SlotCount; ++slot)
            SetRecordName(*DeviceMemory[slot], "s" + std::to_string(slot));
        UndoState = UndoStates();
        ClipboardFromCut = false;
        CurrentPreferences = PreferenceSet();
        CurrentPreferences.Confirm = 0;
    }
    void TearDown() override
    {
        CurrentPreferences = PreferenceSet();
        tearDownModel();
    }

    static std::string nameOf(const PresetRecord& r)
    {
        const std::string name = GetRecordName(r);
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }
    static std::string slotName(int slot) { return nameOf(*DeviceMemory[slot]); }
    static std::vector<std::string> slotNames(int first, int count)
    {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back(slotName(first + i));
        return names;
    }
    static std::vector<std::string> listNames(const PresetRecordList& list)
    {
        std::vector<std::string> names;
        for (int i = 0; i < list.count; ++i)
            names.push_back(list.at(i).isCommentLine() ? "#" + list.at(i).comment : nameOf(list.at(i)));
        return names;
    }
    // Library entries: a name makes a preset, "#text" a comment line.
    static void fill(PresetRecordList& list, const std::vector<std::string>& entries)
    {
        ListClear(list);
        for (const std::string& e : entries) {
            PresetRecord r;
            InitRecord(r, -1);
            if (e.starts_with('#')) {
                r.origin = -1;
                r.comment = e.substr(1);
            } else {
                SetRecordName(r, e);
            }
            ListAdd(list, &r);
            list.at(list.count - 1).mark = 0;
        }
    }
    static QRect cells(int left, int top, int right, int bottom)
    {
        return QRect(QPoint(left, top), QPoint(right, bottom));
    }
};
