#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "files/Preferences.h"
#include "shell/WindowServices.h"

// "User Preferences": edits the named preference sets. Creating it loads the
// sets from the ini file; OK and Delete save them all.
class TPrefsForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrefsForm(const WindowServices& services, QWidget* parent = nullptr);

    // Fills the name list and shows the active set (also done on show).
    void FormShow();
    // Shows set `index` in the controls; Delete only for sets after the first.
    void PrefBoxSelect(int index);
    void BrowseButtonClick();
    void GetChannelClick();
    void OKClick();
    void DeleteBtnClick();

    // What the controls show, as SaveAllPreferences takes it.
    PreferenceDialogValues DialogValues() const;

    QComboBox* PrefBox;
    QLineEdit* DirectoryEdit;
    QPushButton* BrowseButton;
    QCheckBox* Confirm;
    QCheckBox* AutoAud;
    QComboBox* SysnrBox;
    QPushButton* GetChannel;
    QButtonGroup* KnobMode;
    QButtonGroup* TimeUnit;
    QPushButton* DeleteBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showValues(const PreferenceSet& set);
    MessageService& messages;
    HelpOpener& help;
    // Loaded and saved by the files layer; the dialog shows them.
    const PreferenceList& preferenceSets;
    QString dirOnEntry;
};
