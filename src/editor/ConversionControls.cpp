#include "editor/ConversionControls.h"

#include <QLabel>
#include <QLineEdit>

#include "controls/CustomControl.h"
#include "files/Preferences.h"

ConversionContext CurrentConversionContext(const ModulationTypeSource& modulationType)
{
    ConversionContext c;
    c.timeUnit = CurrentPreferences.TimeUnit;
    c.modulationType = modulationType ? modulationType() : 0;
    return c;
}

void InstallConversion(TWC_CustomControl& knob, ConversionPair pair, Questions& questions,
                       ModulationTypeSource modulationType)
{
    knob.OnValToText = [pair, modulationType](QLabel* label, int val) {
        if (const std::optional<QString> text = pair.valToText(val, CurrentConversionContext(modulationType)))
            label->setText(*text);
    };
    knob.OnTextToVal = [pair, &questions, modulationType](QLineEdit* edit, int& val) {
        try {
            val = pair.textToVal(edit->text(), val, CurrentConversionContext(modulationType));
        } catch (const ConversionError& e) {
            questions.showError(QString::fromStdString(e.what()));
        }
    };
}
