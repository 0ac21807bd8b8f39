#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include "files/PresetSearch.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;
class QWidget;
class TLibraryForm;
struct PreferenceSet;

// The library window's search. A box over the list filters the rows of the
// open library as the user types (name, comment, author). "Search all files"
// and "Find Duplicates" look through every preset file under a folder on a
// thread of their own and show what they found in the list's place: the
// results audition, open in the editor, drag into the grid or onto a library
// in the tree, and "Open File" opens the library a result came from at its
// row. Results are copies: nothing here writes a file or the library list,
// and going back shows the open library as it was.
class LibrarySearch : public QObject {
    Q_OBJECT
public:
    LibrarySearch(TLibraryForm* form, QWidget* pane, const PreferenceSet& prefs);
    ~LibrarySearch() override;

    // Above the list: the box, the two searches, their progress and Cancel.
    QWidget* Bar;
    QLineEdit* SearchBox;
    QPushButton* SearchAllBtn;
    QPushButton* FindDuplicatesBtn;
    QProgressBar* Progress;
    QPushButton* CancelBtn;
    QLabel* Status;
    // In the list's place while results are shown.
    QWidget* ResultsPane;
    QPushButton* OpenFileBtn;
    QPushButton* BackBtn;
    QTreeWidget* ResultList;
    QMenu* ResultMenu;

    bool ShowingResults() const;
    bool Searching() const { return worker != nullptr && !cancelledByUser; }
    // Hides the rows of the open library that the box's text does not match;
    // the window calls it after every refill.
    void FilterLibraryRows();
    // Back to the open library, whole: the box is emptied and a running
    // search stops.
    void ShowLibrary();
    // What a library action of the list does while results are shown: Edit,
    // Audition and Select All act on them, every other action changes nothing.
    void ResultAction(const QAction* action);

    // The folder "Search all files" looks through: the folder selected in the
    // tree, else the working folder.
    QString SearchFolder() const;

    struct Row {
        presetsearch::Hit hit;
        int group = 0; // duplicate group from 1; 0 for a search hit
    };
    const std::vector<Row>& Rows() const { return rows; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    enum class Kind { Search, Duplicates };
    void start(Kind kind);
    void cancel();
    bool takeResult(int mine);
    void reap();
    void setSearching(bool on);
    void progressed(int generation, presetsearch::Progress p);
    void searched(int generation, const presetsearch::Results& r);
    void duplicatesFound(int generation, const presetsearch::Duplicates& d);
    void showRows(std::vector<Row> shown, bool groups, const QString& status);
    void filterRows();
    void setResultsShown(bool on);
    std::vector<const Row*> selectedRows() const;
    void editSelected();
    void auditionSelected();
    void openSelected();
    void startDrag();
    bool listKey(QKeyEvent* e);
    QString skippedText(const std::vector<presetsearch::Skipped>& skipped, int otherFamily) const;

    TLibraryForm* form;
    const PreferenceSet& prefs;
    QString folder;
    std::vector<Row> rows;
    QThread* worker = nullptr;
    std::shared_ptr<std::atomic<bool>> stop;
    bool cancelledByUser = false;
    int generation = 0;
    bool pendingDrag = false;
    QPoint dragStart;
};
