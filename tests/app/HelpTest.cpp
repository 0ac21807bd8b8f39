#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

#include "support/AnsweringDialogs.h"
#include "support/ProgramState.h"
#include "shell/HelpPage.h"
#include "app/Program.h"
#include "controls/ImgKnob.h"
#include "editor/EditorForm.h"
#include "editor/EditorFormTables.h"
#include "librarian/DeviceForm.h"
#include "midi/LoopbackDriver.h"
#include "model/Trace.h"
#include "settings/ConnectForm.h"
#include "settings/PrefsForm.h"

// The configuration window's anchors (kept in a file of their own: the
// settings texts and the editor's conversions both declare TimeUnitMidi).
QStringList ConfigurationHelpAnchors();

namespace {

// The page as the build put it beside the program.
QString builtPage(const char* name)
{
    QFile file(QStringLiteral(DRUX_HELP_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList matches(const QString& html, const char* pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch& m : QRegularExpression(QLatin1String(pattern)).globalMatch(html))
        found << m.captured(1);
    return found;
}

QStringList pageIds()
{
    return matches(builtPage(HelpFileName), R"re(\bid="([^"]+)")re");
}

QStringList numbered(const char* page, int first, int last, int step = 1)
{
    QStringList anchors;
    for (int n = first; n <= last; n += step)
        anchors << QStringLiteral("#T%1H%2").arg(QLatin1String(page)).arg(n, 2, 10, QLatin1Char('0'));
    return anchors;
}

// Every anchor a window opens the page at. The device window, the guitar
// editor and the configuration window answer from their own tables; the
// bass editor, the library window and the store dialog are listed here.
std::set<QString> windowAnchors()
{
    std::set<QString> anchors{QString::fromLatin1(TDeviceForm::HelpAnchor)};
    for (int number = -1; number <= 300; ++number)
        anchors.insert(EditorHelpAnchor(number));
    for (const QString& anchor : ConfigurationHelpAnchors())
        anchors.insert(anchor);
    QStringList others{QStringLiteral("#T10H00"), QStringLiteral("#T10H10"), QStringLiteral("#T10H11"),
                       QStringLiteral("#T10H21"), QStringLiteral("#T10H22"), QStringLiteral("#T10H50"),
                       QStringLiteral("#T10H51"), QStringLiteral("#T10H100"), QStringLiteral("#T10H110"),
                       QStringLiteral("#T5H00"), QStringLiteral("#T4H40")};
    others << numbered("10", 31, 38) << numbered("10", 40, 43) << numbered("10", 60, 62) << numbered("10", 70, 72)
           << numbered("10", 80, 83) << numbered("10", 90, 92) << numbered("4", 20, 50, 10);
    anchors.insert(others.begin(), others.end());
    return anchors;
}

TEST(HelpPage, EveryWindowsAnchorIsAPlaceInThePage)
{
    const QStringList ids = pageIds();
    ASSERT_FALSE(ids.isEmpty()) << "no help page in " DRUX_HELP_DIR;
    const std::set<QString> unique(ids.begin(), ids.end());
    EXPECT_EQ(unique.size(), static_cast<size_t>(ids.size())) << "an id is used twice";

    const std::set<QString> anchors = windowAnchors();
    EXPECT_GT(anchors.size(), 90u);
    for (const QString& anchor : anchors)
        EXPECT_TRUE(unique.count(anchor.mid(1))) << anchor.toStdString();
}

TEST(HelpPage, ContentsOpensTheSamePageAndItsLinksLeadSomewhere)
{
    const QString page = builtPage(HelpFileName);
    EXPECT_EQ(builtPage(ContentsFileName), page);

    const QStringList ids = pageIds();
    for (const QString& target : matches(page, R"re(href="#([^"]*)")re"))
        EXPECT_TRUE(ids.contains(target)) << target.toStdString();
    // Self-contained: nothing is fetched from elsewhere.
    EXPECT_EQ(matches(page, R"re(\b(?:src|href)="(?!#)([^"]*)")re"), QStringList());
}

TEST(HelpPage, WithoutThePageNoBrowserIsStartedAndATraceLineSaysWhy)
{
    ASSERT_FALSE(QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/Drux_Help.html")));
    std::vector<std::string> lines;
    SetTraceSink([&](int, const std::string& line) { lines.push_back(line); });
    OpenHelp(QStringLiteral("#T3H00"));
    SetTraceSink(nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("not found"), std::string::npos) << lines[0];
}

// Installed, the program lies in bin and its pages in share/drux.
TEST(HelpPage, AnInstalledProgramFindsItsPagesInShareDrux)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString share = prefix.filePath(QStringLiteral("share/drux"));
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
    const QString name = QLatin1String(HelpFileName);
    EXPECT_EQ(HelpPagePath(bin, name), bin + QLatin1Char('/') + name); // nowhere: beside, to say so
    ASSERT_TRUE(QFile::copy(QStringLiteral(DRUX_HELP_DIR "/") + name, share + QLatin1Char('/') + name));
    EXPECT_EQ(HelpPagePath(bin, name), share + QLatin1Char('/') + name);
    // A page beside the program comes first.
    ASSERT_TRUE(QFile::copy(share + QLatin1Char('/') + name, bin + QLatin1Char('/') + name));
    EXPECT_EQ(HelpPagePath(bin, name), bin + QLatin1Char('/') + name);
}

class HelpKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetHelpUrlOpener([this](const QUrl& url) { opened << url.toString(); });
        state.writeWorkingFolderToIni();
        program = std::make_unique<Program>(std::make_unique<LoopbackDriver>(std::vector<std::string>{"In"},
                                                                              std::vector<std::string>{"Out"}));
        program->start();
    }
    void TearDown() override
    {
        program.reset();
        SetHelpUrlOpener({});
    }

    static void activate(QWidget* window)
    {
        window->show();
        QApplication::setActiveWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // F1 is acted on when it is released, where the focus is.
    static void releaseF1(QWidget* focused)
    {
        focused->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focused);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(focused, &up);
    }
    static QString helpUrl(const char* anchor)
    {
        return QStringLiteral("file://localhost") + QCoreApplication::applicationDirPath() +
               QStringLiteral("/Drux_Help.html") + QLatin1String(anchor);
    }

    ProgramState state;
    AnsweringDialogs dialogs;
    std::unique_ptr<Program> program;
    QStringList opened;
};

TEST_F(HelpKeys, F1InEachWindowOpensThePageAtThatWindowsTopic)
{
    TDeviceForm& device = *program->deviceForm();
    device.HelpKeyClick(); // the key itself is the device window's own test
    device.ContentsM->trigger();

    TEditorForm& editor = *program->guitarEditor();
    activate(&editor);
    editor.KnbpFx1->SetEnabled(true);
    releaseF1(editor.KnbpFx1);

    TConnectForm& connect = *program->connectForm();
    activate(&connect);
    connect.ChanEdit->setEnabled(true); // blank while no unit is shown
    releaseF1(connect.ChanEdit);
    connect.hide();

    TPrefsForm& prefs = *program->prefsForm();
    activate(&prefs);
    releaseF1(prefs.Confirm);
    prefs.hide();

    const QString contents =
        QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/drux_help.html")).toString();
    const QStringList expected{helpUrl("#T3H00"), contents, helpUrl("#T7H40"), helpUrl("#T1H10"), opened.value(4)};
    ASSERT_EQ(opened.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
    // The preferences dialog's topic is one of the page's own places.
    const QUrl prefsTopic(opened[4]);
    EXPECT_EQ(prefsTopic.adjusted(QUrl::RemoveFragment).toString(), helpUrl(""));
    EXPECT_TRUE(pageIds().contains(prefsTopic.fragment())) << opened[4].toStdString();
}

} // namespace
