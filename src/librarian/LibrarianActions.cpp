#include "librarian/LibrarianActions.h"

#include <QAction>

LibrarianActions::LibrarianActions(QObject* parent)
    : QObject(parent)
    , Save(new QAction(this))
    , SaveAs(new QAction(this))
    , PrintL(new QAction(this))
    , Undo(new QAction(this))
    , Redo(new QAction(this))
{
}
