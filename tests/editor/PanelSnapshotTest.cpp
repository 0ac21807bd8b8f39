#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/BassEditorForm.h"
#include "editor/EditorFixture.h"
#include "editor/EditorForm.h"
#include "editor/PanelSnapshots.h"
#include "support/WidgetSnapshot.h"

namespace {

// The panel behind the controls: its sections, printed captions, knob
// scales, name display and badge.
QStringList describeDrawing(const PanelDrawing& d)
{
    auto rect = [](QRect r) { return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()); };
    QStringList lines;
    lines << QStringLiteral("panel %1x%2 name %3 badge %4 %5")
                 .arg(d.size.width())
                 .arg(d.size.height())
                 .arg(rect(d.nameDisplay), rect(d.badge), d.badgeSubtitle);
    for (const PanelSection& s : d.sections)
        lines << QStringLiteral("section %1 %2").arg(rect(s.area), s.title);
    for (const PanelText& t : d.captions)
        lines << QStringLiteral("caption %1 %2 align=%3").arg(rect(t.area), t.text).arg(static_cast<int>(t.align));
    QStringList centres;
    for (QPoint c : d.knobCentres)
        centres << QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
    lines << QStringLiteral("scales ") + centres.join(u' ');
    return lines;
}

// The panel as it is first shown: the window's style sheets are handed out
// when it is polished.
template <typename Form>
QStringList describePanel(const Form& form)
{
    form.ensurePolished();
    QStringList lines =
        WidgetSnapshot::describeChildren(&form, [](const QWidget* w) { return TEditorFormBase::HelpContext(w); });
    lines << describeDrawing(form.Drawing());
    return lines;
}

template <size_t N>
void expectLines(const QStringList& actual, const char* const (&expected)[N])
{
    EXPECT_EQ(actual.size(), static_cast<qsizetype>(N));
    for (qsizetype i = 0; i < std::min(actual.size(), static_cast<qsizetype>(N)); ++i)
        EXPECT_EQ(actual[i].toStdString(), expected[i]) << "line " << i;
}

class GuitarPanel : public ::testing::Test, protected EditorFixture<TEditorForm> {
protected:
    void SetUp() override { setUpEditor(ModelDrux2, EditorServices()); }
    void TearDown() override { tearDownEditor(); }
};

class BassPanel : public ::testing::Test, protected EditorFixture<TBassEditF> {
protected:
    void SetUp() override { setUpEditor(ModelBass, EditorServices()); }
    void TearDown() override { tearDownEditor(); }
};

// Every control of the panels keeps its place, caption, help number,
// parameter and conversion, in the order the user tabs through them.
TEST_F(GuitarPanel, ControlsAsBuilt)
{
    expectLines(describePanel(*form), GuitarPanelSnapshot);
}

TEST_F(BassPanel, ControlsAsBuilt)
{
    expectLines(describePanel(*form), BassPanelSnapshot);
}

} // namespace
