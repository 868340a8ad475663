#pragma once
// The modal folder chooser, as file managers on Linux present one: a path the user can type,
// the home folder and the mounted volumes as places to start from, the folder tree, and a button
// for a new folder. Callers ask it for a directory, or only whether a directory can be opened.

#include "shared_utils_export.h"

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeView;

class SHARED_UTILS_EXPORT GetDirectoryForm : public QDialog {
    Q_OBJECT
public:
    explicit GetDirectoryForm(QWidget* parent = nullptr);

    // A caption for the next GetDirectory; an empty title keeps the caption in place.
    void SetTitle(const QString& theTitle);
    // Shows the chooser over `theOwner`, starting at `startDir` (or, when that cannot be opened,
    // where the chooser stands) and returns the chosen directory ending in one "/"; "" when the
    // user cancels.
    QString GetDirectory(const QString& startDir, QWidget* theOwner);
    // Whether the directory `theDirectory` can be opened; shows nothing and leaves the chooser as
    // newly opened, at the current directory.
    bool DoesDirectoryExist(const QString& theDirectory);

public slots:
    // OK: the folder in the path field, when it can be opened; otherwise says why and stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpDirectoryList();
    void layOut(QPushButton* newFolderButton, QPushButton* okButton, QPushButton* cancelButton);
    void fillPlaces();
    // Opens `path` in the tree; returns why it cannot be opened, or "" when it was.
    QString setDirectoryPath(const QString& path);
    // The typed text as a full path: "~" is the home folder, a relative path lies below the folder
    // in hand.
    QString typedPath() const;
    void pathEdited();
    void placeChosen(QListWidgetItem* place);
    void newFolderClicked();
    void showDirectoryPath();
    // Scrolls the tree so that the directory in hand, its parents expanded, sits mid-view.
    void bringCurrentIntoView();
    void keepDirectoryInHand();

    QLineEdit* m_pathEdit;
    QListWidget* m_places;
    QTreeView* m_directoryList;
    QFileSystemModel* m_directoryModel;
    QString m_directoryPath;
    QString m_title;
    // True from opening a directory until the user scrolls the tree.
    bool m_followCurrent = true;
    // True while the tree removes folders it lists again, so the selection moving is not a choice.
    bool m_relisting = false;
    // True while the tree follows what the user types, so the path field keeps the typed text.
    bool m_typing = false;
};
