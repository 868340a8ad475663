#pragma once
// The modal directory chooser: a list of mounted volumes, the directory tree of the chosen
// volume and the name of the directory in hand. Callers ask it for a directory, or only whether
// a directory can be opened.

#include "shared_utils_export.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class SHARED_UTILS_EXPORT GetDirectoryForm : public QDialog {
    Q_OBJECT
public:
    explicit GetDirectoryForm(QWidget* parent = nullptr);

    // A caption for the next GetDirectory; an empty title keeps the caption in place.
    void SetTitle(const QString& theTitle);
    // Shows the chooser over `theOwner`, starting at `startDir` (or, when that cannot be opened,
    // where the directory list stands) and returns the chosen directory ending in one "/";
    // "" when the user cancels.
    QString GetDirectory(const QString& startDir, QWidget* theOwner);
    // Whether both the volume and the directory `theDirectory` can be opened; shows nothing and
    // leaves the chooser as newly opened, at the current directory.
    bool DoesDirectoryExist(const QString& theDirectory);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpDirectoryList();
    void layOut(QPushButton* okButton, QPushButton* cancelButton);
    // Selects the volume that holds `path` in the drive list; false when no ready volume holds it.
    bool setDrive(const QString& path);
    // Sets both lists to `path`; false when either cannot be opened.
    bool openAt(const QString& path);
    // Opens `path` in the directory list; returns why it cannot be opened, or "" when it was.
    QString setDirectoryPath(const QString& path);
    void driveChanged(int index);
    void showDirectoryName();
    // Scrolls the tree so that the directory in hand, its parents expanded, sits mid-view.
    void bringCurrentIntoView();
    void keepDirectoryInHand();
    void fillDriveList();

    QComboBox* m_driveList;
    QTreeView* m_directoryList;
    QFileSystemModel* m_directoryModel;
    QLabel* m_directoryName;
    QString m_directoryPath;
    QString m_title;
    // True from opening a directory until the user scrolls the tree.
    bool m_followCurrent = true;
    // True while the tree removes folders it lists again, so the selection moving is not a choice.
    bool m_relisting = false;
};
