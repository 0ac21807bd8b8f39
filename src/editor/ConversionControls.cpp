#include "editor/ConversionControls.h"

#include <QLabel>
#include <QLineEdit>

#include "controls/CustomControl.h"
#include "files/Preferences.h"

ConversionContext CurrentConversionContext(const PreferenceSet& prefs, const ModulationTypeSource& modulationType)
{
    ConversionContext c;
    c.timeUnit = prefs.TimeUnit;
    c.modulationType = modulationType ? modulationType() : 0;
    return c;
}

void InstallConversion(TWC_CustomControl& knob, ConversionPair pair, Questions& questions, const PreferenceSet& prefs,
                       ModulationTypeSource modulationType)
{
    knob.OnValToText = [pair, &prefs, modulationType](QLabel* label, int val) {
        if (const std::optional<QString> text = pair.valToText(val, CurrentConversionContext(prefs, modulationType)))
            label->setText(*text);
    };
    knob.OnTextToVal = [pair, &questions, &prefs, modulationType](QLineEdit* edit, int& val) {
        try {
            val = pair.textToVal(edit->text(), val, CurrentConversionContext(prefs, modulationType));
        } catch (const ConversionError& e) {
            questions.showError(QString::fromStdString(e.what()));
        }
    };
}
