#include <QLabel>
#include <QLineEdit>

#include "support/AnsweringDialogs.h"
#include "app/ApplicationFilter.h"
#include "controls/ControlFixture.h"
#include "editor/ConversionControls.h"
#include "files/Preferences.h"

namespace {

// A knob on Gain (0..127) with a value label and the shared value editor.
class ConversionControls : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        CurrentPreferences.TimeUnit = TimeUnitMs;
        knob = imageKnob(McGain);
        label = new QLabel(&win());
        label->setGeometry(20, 80, 52, 18);
        edit = new QLineEdit(&win());
        edit->resize(60, 20);
        TWC_CustomControl::SetValEdit(edit);
        knob->SetValLabel(label);
        qApp->installEventFilter(&keys);
    }

    void TearDown() override
    {
        qApp->removeEventFilter(&keys);
        ControlTest::TearDown();
    }

    void setValue(int v)
    {
        preset(McGain).SetVal(v);
        FlushPending();
    }

    // Types the text into the value editor and confirms it with Enter.
    void type(const QString& text)
    {
        showActive();
        QTest::mouseClick(label, Qt::LeftButton);
        ASSERT_FALSE(edit->isHidden());
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static QString decimal(const char* text) { return QString::fromLatin1(text).replace(u'.', SystemDecimalSeparator()); }

    // The program's key filter: Enter reaches the value editor as its
    // confirm key.
    ApplicationFilter keys;
    TWC_ImgKnob* knob = nullptr;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(ConversionControls, LabelFollowsTheTimeUnitInForce)
{
    InstallConversion(*knob, GuitarValues::DelT);
    setValue(100);
    EXPECT_EQ(label->text(), decimal("12.8 ms"));

    CurrentPreferences.TimeUnit = TimeUnitMidi;
    knob->SetValText();
    EXPECT_EQ(label->text(), QStringLiteral("100"));

    CurrentPreferences.TimeUnit = TimeUnitBpm;
    setValue(0);
    EXPECT_EQ(label->text(), QString());
}

TEST_F(ConversionControls, FxSpdAsksForTheModulationTypeEachTime)
{
    int type = 2;
    InstallConversion(*knob, GuitarValues::FxSpd, [&] { return type; });
    setValue(100);
    EXPECT_EQ(label->text(), decimal("6.20 Hz"));
    type = 3;
    knob->SetValText();
    EXPECT_EQ(label->text(), decimal("3.10 Hz"));
}

TEST_F(ConversionControls, ValueOutsideTheTableKeepsTheLabel)
{
    InstallConversion(*knob, BassValues::Key);
    setValue(12);
    EXPECT_EQ(label->text(), QStringLiteral("B"));
    setValue(13);
    EXPECT_EQ(label->text(), QStringLiteral("B"));
}

TEST_F(ConversionControls, TypedTextSetsTheParameterWhichClamps)
{
    AnsweringDialogs dialogs;
    InstallConversion(*knob, GuitarValues::DelT);
    type(decimal("6.4 ms"));
    EXPECT_EQ(preset(McGain).GetVal(), 50);
    type(QStringLiteral("1 s"));
    EXPECT_EQ(preset(McGain).GetVal(), 127);
    FlushPending();
    EXPECT_EQ(label->text(), decimal("16.26 ms"));
    EXPECT_TRUE(dialogs.texts.isEmpty());
}

TEST_F(ConversionControls, UnreadableTextShowsTheErrorAndKeepsTheValue)
{
    AnsweringDialogs dialogs;
    InstallConversion(*knob, GuitarValues::Attack);
    setValue(40);
    type(QStringLiteral("abc ms"));
    EXPECT_EQ(preset(McGain).GetVal(), 40);
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("'abc ms' is not a valid number")});
    EXPECT_TRUE(edit->isHidden());

    type(QStringLiteral("0"));
    EXPECT_EQ(preset(McGain).GetVal(), 40);
    ASSERT_EQ(dialogs.texts.size(), 2);
    EXPECT_EQ(dialogs.texts[1], QStringLiteral("'0' is below the lowest value, 1 ms"));
}

TEST_F(ConversionControls, WholeNumberPairsNeverAsk)
{
    AnsweringDialogs dialogs;
    InstallConversion(*knob, GuitarValues::Gate);
    setValue(7);
    type(QStringLiteral("loud"));
    EXPECT_EQ(preset(McGain).GetVal(), 0);
    CurrentPreferences.TimeUnit = TimeUnitMidi;
    setValue(7);
    type(QStringLiteral("loud"));
    EXPECT_EQ(preset(McGain).GetVal(), 7);
    EXPECT_TRUE(dialogs.texts.isEmpty());
}

} // namespace
