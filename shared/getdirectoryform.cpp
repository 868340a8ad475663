#include "getdirectoryform.h"

#include "messages/messageservice.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr QDir::Filters directoriesOnly = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
const QString errorTitle = QStringLiteral("Error");

// Mount points of the system itself, not places a user keeps data in.
bool isSystemMount(const QString& root) {
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"}) {
        const QString prefix = QString::fromLatin1(system);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

GetDirectoryForm::GetDirectoryForm(QWidget* parent)
    : QDialog(parent), m_pathEdit(new QLineEdit(this)), m_places(new QListWidget(this)),
      m_directoryList(new QTreeView(this)), m_directoryModel(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("GetDirectoryForm"));
    setWindowTitle(QStringLiteral("Select Directory"));

    m_pathEdit->setObjectName(QStringLiteral("PathEdit"));
    m_pathEdit->setToolTip(QStringLiteral("Type a folder's path; ~ is your home folder"));
    connect(m_pathEdit, &QLineEdit::textEdited, this, &GetDirectoryForm::pathEdited);
    m_places->setObjectName(QStringLiteral("Places"));
    fillPlaces();
    connect(m_places, &QListWidget::itemClicked, this, &GetDirectoryForm::placeChosen);
    connect(m_places, &QListWidget::itemActivated, this, &GetDirectoryForm::placeChosen);
    setUpDirectoryList();

    auto* newFolderButton = new QPushButton(QStringLiteral("New Folder..."), this);
    newFolderButton->setObjectName(QStringLiteral("NewFolderButton"));
    newFolderButton->setAutoDefault(false);
    connect(newFolderButton, &QPushButton::clicked, this, &GetDirectoryForm::newFolderClicked);
    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    layOut(newFolderButton, okButton, cancelButton);

    setDirectoryPath(QDir::currentPath());
}

void GetDirectoryForm::setUpDirectoryList() {
    m_directoryModel->setFilter(directoriesOnly);
    m_directoryModel->setRootPath(QDir::rootPath());
    m_directoryList->setObjectName(QStringLiteral("Dir1"));
    // Connected before the tree's own selection handling so that the flag is up when a listing
    // in the background removes the directory in hand and the selection moves to a neighbour.
    connect(m_directoryModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this] { m_relisting = true; });
    connect(m_directoryModel, &QAbstractItemModel::rowsRemoved, this, [this] { m_relisting = false; });
    m_directoryList->setModel(m_directoryModel);
    m_directoryList->setHeaderHidden(true);
    for (int column = 1; column < m_directoryModel->columnCount(); ++column)
        m_directoryList->hideColumn(column);

    connect(m_directoryList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || m_relisting)
                    return;
                m_directoryPath = m_directoryModel->filePath(current);
                showDirectoryPath();
            });
    connect(m_directoryModel, &QAbstractItemModel::rowsInserted, this, &GetDirectoryForm::keepDirectoryInHand,
            Qt::QueuedConnection);
    connect(m_directoryModel, &QAbstractItemModel::rowsRemoved, this, &GetDirectoryForm::keepDirectoryInHand,
            Qt::QueuedConnection);
    connect(m_directoryModel, &QAbstractItemModel::layoutChanged, this,
            &GetDirectoryForm::keepDirectoryInHand, Qt::QueuedConnection);
    connect(m_directoryList->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { m_followCurrent = false; });
}

void GetDirectoryForm::layOut(QPushButton* newFolderButton, QPushButton* okButton,
                              QPushButton* cancelButton) {
    auto* pathRow = new QHBoxLayout;
    auto* pathLabel = new QLabel(QStringLiteral("&Folder:"), this);
    pathLabel->setBuddy(m_pathEdit);
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(m_pathEdit, 1);
    m_places->setMaximumWidth(m_places->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 24);
    m_places->setTextElideMode(Qt::ElideMiddle);
    m_places->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* browseRow = new QHBoxLayout;
    browseRow->addWidget(m_places);
    browseRow->addWidget(m_directoryList, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(newFolderButton);
    buttonRow->addStretch(1);
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(browseRow, 1);
    layout->addLayout(buttonRow);
    resize(640, 440);
}

void GetDirectoryForm::fillPlaces() {
    auto* home =
        new QListWidgetItem(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Home"), m_places);
    home->setData(Qt::UserRole, QDir::homePath());
    home->setToolTip(QDir::homePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(root).isDir() || isSystemMount(root))
            continue;
        const QString label =
            volume.name().isEmpty() ? root : QStringLiteral("%1 [%2]").arg(root, volume.name());
        auto* place = new QListWidgetItem(style()->standardIcon(QStyle::SP_DriveHDIcon), label, m_places);
        place->setData(Qt::UserRole, root);
        place->setToolTip(root);
    }
}

void GetDirectoryForm::SetTitle(const QString& theTitle) {
    m_title = theTitle;
}

QString GetDirectoryForm::GetDirectory(const QString& startDir, QWidget* theOwner) {
    if (!m_title.isEmpty())
        setWindowTitle(m_title);
    // A start that cannot be opened leaves the chooser where it stands.
    if (!setDirectoryPath(startDir).isEmpty() && !setDirectoryPath(m_directoryPath).isEmpty())
        setDirectoryPath(QDir::currentPath());
    showDirectoryPath();
    m_directoryList->setFocus();

    // Owned by the caller, the chooser is parented to `theOwner` only while it is shown.
    QWidget* const previousParent = parentWidget();
    if (theOwner)
        setParent(theOwner, windowFlags());
    const bool chosen = exec() == QDialog::Accepted;
    if (theOwner)
        setParent(previousParent, windowFlags());

    if (!chosen)
        return {};
    return m_directoryPath.endsWith(QLatin1Char('/')) ? m_directoryPath : m_directoryPath + QLatin1Char('/');
}

bool GetDirectoryForm::DoesDirectoryExist(const QString& theDirectory) {
    const bool exists = setDirectoryPath(theDirectory).isEmpty();
    setDirectoryPath(QDir::currentPath());
    return exists;
}

void GetDirectoryForm::accept() {
    const QString typed = typedPath();
    if (QDir::cleanPath(typed) != m_directoryPath) {
        if (const QString problem = setDirectoryPath(typed); !problem.isEmpty()) {
            messages::show(problem, errorTitle);
            m_pathEdit->setFocus();
            m_pathEdit->selectAll();
            return;
        }
    }
    QDialog::accept();
}

QString GetDirectoryForm::typedPath() const {
    const QString text = m_pathEdit->text().trimmed();
    if (text == QLatin1String("~"))
        return QDir::homePath();
    if (text.startsWith(QLatin1String("~/")))
        return QDir::homePath() + text.mid(1);
    return text.isEmpty() ? text : QDir(m_directoryPath).absoluteFilePath(text);
}

void GetDirectoryForm::pathEdited() {
    // The tree follows a typed full path as soon as it names a folder; the text stays as typed. A
    // relative path is left to OK, so that it stays relative to the folder it was typed in.
    const QString text = m_pathEdit->text().trimmed();
    if (!text.startsWith(QLatin1Char('/')) && !text.startsWith(QLatin1Char('~')))
        return;
    const QString typed = typedPath();
    if (!QFileInfo(typed).isDir())
        return;
    m_typing = true;
    setDirectoryPath(typed);
    m_typing = false;
}

void GetDirectoryForm::placeChosen(QListWidgetItem* place) {
    if (const QString problem = setDirectoryPath(place->data(Qt::UserRole).toString()); !problem.isEmpty())
        messages::show(problem, errorTitle);
}

void GetDirectoryForm::newFolderClicked() {
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("New Folder"),
                              QStringLiteral("Name of the new folder in %1:").arg(m_directoryPath),
                              QLineEdit::Normal, QStringLiteral("New Folder"), &ok)
            .trimmed();
    if (!ok || name.isEmpty())
        return;
    const QDir parent(m_directoryPath);
    QString problem;
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        problem = QStringLiteral("'%1' cannot be a folder's name.").arg(name);
    else if (parent.exists(name))
        problem = QStringLiteral("%1 exists already.").arg(parent.filePath(name));
    else if (!parent.mkdir(name))
        problem = QStringLiteral("The folder %1 could not be created: %2 is not writable.")
                      .arg(parent.filePath(name), m_directoryPath);
    else
        problem = setDirectoryPath(parent.filePath(name));
    if (!problem.isEmpty())
        messages::show(problem, errorTitle);
}

QString GetDirectoryForm::setDirectoryPath(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(path));
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("Permission denied: %1").arg(QDir::toNativeSeparators(path));
    const QString directory = QDir::cleanPath(info.absoluteFilePath());
    QModelIndex index = m_directoryModel->index(directory);
    if (!index.isValid()) {
        // The tree leaves hidden directories out until one is asked for by name. Sorting applies
        // the wider filter at once instead of at the model's next delayed sort.
        m_directoryModel->setFilter(directoriesOnly | QDir::Hidden);
        m_directoryModel->sort(0);
        index = m_directoryModel->index(directory);
    }
    if (!index.isValid())
        return QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(path));
    // Only the way down to the directory in hand stays open, as when the chooser is first shown.
    m_directoryList->collapseAll();
    m_directoryList->setCurrentIndex(index);
    m_directoryList->expand(index);
    m_followCurrent = true;
    bringCurrentIntoView();
    m_directoryPath = directory;
    showDirectoryPath();
    return {};
}

void GetDirectoryForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    bringCurrentIntoView();
}

void GetDirectoryForm::bringCurrentIntoView() {
    m_directoryList->scrollTo(m_directoryList->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void GetDirectoryForm::keepDirectoryInHand() {
    // Folders are listed in the background: a folder listed again may be removed and added back,
    // taking the selection and the open branches with it, and folders listed above the directory
    // in hand push it out of sight. The tree keeps it in view until the user scrolls elsewhere.
    if (m_directoryModel->filePath(m_directoryList->currentIndex()) != m_directoryPath) {
        const QModelIndex index = m_directoryModel->index(m_directoryPath);
        if (!index.isValid())
            return;
        m_directoryList->setCurrentIndex(index);
        m_followCurrent = true;
    }
    if (m_followCurrent)
        bringCurrentIntoView();
}

void GetDirectoryForm::showDirectoryPath() {
    if (!m_typing)
        m_pathEdit->setText(m_directoryPath);
}
