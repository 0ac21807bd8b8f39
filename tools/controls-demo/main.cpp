// Shows the controls demo window bound to live parameters. With a folder
// argument it saves the window in its normal, highlighted and disabled looks
// as PNG files there and exits.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "ControlsDemo.h"
#include "controls/CustomControl.h"
#include "controls/LedVuChain.h"
#include "model/Parameters.h"

namespace {

void setStartValues()
{
    const int values[][2] = {{1, 92}, {4, 70}, {3, 58}, {2, 81}, {6, 40}, {5, 100}, {7, 34}, {8, 5},
                             {10, 1}, {15, 1}, {13, 4}, {29, 88}, {16, 64}, {22, 1}, {17, 2}};
    for (const auto& v : values)
        Param(ModixPreset, v[0]).SetVal(v[1]);
    Param(GuitarGlobal::MasterVolume).SetVal(90);
    FlushPending();
}

bool save(QWidget& w, const QString& path)
{
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CreateModules();
    TWC_CustomControl::SetModul(ModuleTable);

    int rc = 0;
    {
        TControlsDemo demo;
        QTimer frame;
        QObject::connect(&frame, &QTimer::timeout, [] { FlushPending(); });
        frame.start(33);
        demo.show();
        setStartValues();
        // Let the highlights of the start values run out.
        const qint64 until = QDateTime::currentMSecsSinceEpoch() + 600;
        while (QDateTime::currentMSecsSinceEpoch() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

        const QStringList args = app.arguments();
        if (args.size() > 1) {
            // The normal look: no control holds the focus.
            if (QWidget* focused = QApplication::focusWidget())
                focused->clearFocus();
            QCoreApplication::processEvents();
            QDir dir(args.at(1));
            dir.mkpath(QStringLiteral("."));
            bool ok = save(demo, dir.filePath(QStringLiteral("controls-normal.png")));
            demo.HighlightAll();
            ok = save(demo, dir.filePath(QStringLiteral("controls-highlighted.png"))) && ok;
            demo.SetControlsEnabled(false);
            ok = save(demo, dir.filePath(QStringLiteral("controls-disabled.png"))) && ok;
            rc = ok ? 0 : 1;
        } else {
            // Something for the peak-hold chain to show: a swelling level.
            QTimer level;
            int phase = 0;
            QObject::connect(&level, &QTimer::timeout, [&] {
                phase = (phase + 1) % 90;
                const double swell = 0.5 + 0.5 * std::sin(phase * 2.0 * M_PI / 90.0);
                demo.PeakChain->SetVal(static_cast<int>(swell * (phase % 7 == 0 ? 100 : 80)));
            });
            level.start(60);
            rc = app.exec();
        }
    }
    DestroyModules();
    return rc;
}
