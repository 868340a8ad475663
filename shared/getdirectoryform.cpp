#include "getdirectoryform.h"

#include "mfileutils.h"

#include "messages/messageservice.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr QDir::Filters directoriesOnly = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;

} // namespace

GetDirectoryForm::GetDirectoryForm(QWidget* parent)
    : QDialog(parent), m_driveList(new QComboBox(this)), m_directoryList(new QTreeView(this)),
      m_directoryModel(new QFileSystemModel(this)), m_directoryName(new QLabel(this)) {
    setObjectName(QStringLiteral("GetDirectoryForm"));
    setWindowTitle(QStringLiteral("Select Directory"));

    m_driveList->setObjectName(QStringLiteral("Drive1"));
    fillDriveList();
    connect(m_driveList, &QComboBox::currentIndexChanged, this, &GetDirectoryForm::driveChanged);
    setUpDirectoryList();
    m_directoryName->setObjectName(QStringLiteral("DirName"));
    m_directoryName->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    layOut(okButton, cancelButton);

    openAt(QDir::currentPath());
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
                // The tree spans every volume, so the drive list follows the directory in hand.
                setDrive(m_directoryPath);
                showDirectoryName();
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

void GetDirectoryForm::layOut(QPushButton* okButton, QPushButton* cancelButton) {
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Directory:"), this));
    nameRow->addWidget(m_directoryName, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(m_driveList);
    layout->addWidget(m_directoryList, 1);
    layout->addLayout(buttonRow);
    resize(520, 420);
}

void GetDirectoryForm::SetTitle(const QString& theTitle) {
    m_title = theTitle;
}

QString GetDirectoryForm::GetDirectory(const QString& startDir, QWidget* theOwner) {
    if (!m_title.isEmpty())
        setWindowTitle(m_title);
    // A start that cannot be opened leaves the chooser where its directory list stands.
    if (!openAt(startDir) && !openAt(m_directoryPath))
        openAt(QDir::currentPath());
    showDirectoryName();

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
    const bool exists = openAt(theDirectory);
    openAt(QDir::currentPath());
    return exists;
}

bool GetDirectoryForm::openAt(const QString& path) {
    return setDrive(path) && setDirectoryPath(path).isEmpty();
}

bool GetDirectoryForm::setDrive(const QString& path) {
    if (path.isEmpty())
        return false;
    const QStorageInfo volume(path);
    if (!volume.isValid() || !volume.isReady())
        return false;
    int index = m_driveList->findData(volume.rootPath());
    if (index < 0) {
        m_driveList->addItem(volume.rootPath(), volume.rootPath());
        index = m_driveList->count() - 1;
    }
    const QSignalBlocker programmaticChange(m_driveList);
    m_driveList->setCurrentIndex(index);
    return true;
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
    return {};
}

void GetDirectoryForm::driveChanged(int index) {
    const QString root = m_driveList->itemData(index).toString();
    const QString problem = setDirectoryPath(root);
    if (problem.isEmpty())
        return;
    messages::show(problem, QStringLiteral("Error"));
    setDrive(m_directoryPath);
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

void GetDirectoryForm::showDirectoryName() {
    const QString name = MFileUtils::GetFileNameFromPath(m_directoryPath);
    m_directoryName->setText(name.isEmpty() ? m_directoryPath : name);
}

void GetDirectoryForm::fillDriveList() {
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(volume.rootPath()).isDir())
            continue;
        const QString label = volume.name().isEmpty()
                                  ? volume.rootPath()
                                  : QStringLiteral("%1 [%2]").arg(volume.rootPath(), volume.name());
        m_driveList->addItem(label, volume.rootPath());
    }
}
