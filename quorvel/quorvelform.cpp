#include "quorvelform.h"

#include "appsettings/applicationsettings.h"
#include "automation/automationerror.h"
#include "automation/dispatch.h"
#include "host/installedscripts.h"
#include "host/scriptloader.h"
#include "kestrum/veskfile.h"
#include "messages/messageservice.h"
#include "shared/getdirectoryform.h"
#include "shared/mfileutils.h"
#include "shared/mnumberutils.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

using automation::AutomationError;
using MFileUtils::GetFileExtension;
using MFileUtils::GetFileNameFromPath;

namespace {

const QString application = QStringLiteral("Acq Quorvel");
const QString section = QStringLiteral("Main");
const QString errorTitle = QStringLiteral("Error");
const QString dataExtension = QStringLiteral("vesk");

QString setting(const QString& key, const QString& defaultText = {}) {
    return appsettings::value(application, section, key, defaultText);
}

void storeSetting(const QString& key, const QString& text) {
    appsettings::save(application, section, key, text);
}

QString fileKey(qsizetype k) {
    return QStringLiteral("File ") + QString::number(k);
}

bool hasExtension(const QString& path, const QString& extension) {
    return GetFileExtension(path).compare(extension, Qt::CaseInsensitive) == 0;
}

bool isScript(const QString& path) {
    return hasExtension(path, QStringLiteral("so")) || hasExtension(path, QStringLiteral("aasf"));
}

// "1 sample", "3 samples".
QString counted(qsizetype count, const QString& noun) {
    return QString::number(count) + QLatin1Char(' ') + noun + (count == 1 ? QString() : QStringLiteral("s"));
}

bool isSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// Hooks take the sample number as a 16-bit integer.
std::int16_t sampleArgument(int index) {
    if (index > std::numeric_limits<std::int16_t>::max())
        throw AutomationError::standard(automation::Overflow);
    return static_cast<std::int16_t>(index);
}

} // namespace

QuorvelForm::QuorvelForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QuorvelForm"));
    setWindowTitle(QStringLiteral("Batch Acquisition Quorvel"));
    setAcceptDrops(true);
    buildControls();
    layOut();
    loadSettings();
}

QuorvelForm::~QuorvelForm() = default;

void QuorvelForm::buildControls() {
    const auto button = [this](const char* name, const QString& caption, void (QuorvelForm::*handler)()) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(QString::fromLatin1(name));
        connect(made, &QPushButton::clicked, this, handler);
        return made;
    };
    m_fileList = new QListWidget(this);
    m_fileList->setObjectName(QStringLiteral("FileList"));
    m_fileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fileList->setAcceptDrops(true);
    m_fileList->viewport()->setAcceptDrops(true);
    m_fileList->viewport()->installEventFilter(this);

    m_addFile = button("AddFile", QStringLiteral("Add File..."), &QuorvelForm::AddFileClicked);
    m_addFolder = button("AddFolder", QStringLiteral("Add Folder..."), &QuorvelForm::AddFolderClicked);
    m_removeFile =
        button("RemoveFile", QStringLiteral("Remove Selected"), &QuorvelForm::RemoveSelectedClicked);
    m_clearFiles = button("ClearFiles", QStringLiteral("Remove All"), &QuorvelForm::RemoveAllFiles);

    // The field only shows the chosen script's name; the script is chosen with Select... or a drop.
    m_scriptName = new QLineEdit(this);
    m_scriptName->setObjectName(QStringLiteral("ScriptName"));
    m_scriptName->setReadOnly(true);
    m_selectScript = button("SelectScript", QStringLiteral("Select..."), &QuorvelForm::SelectScriptClicked);

    m_sampleRangeCheck = new QCheckBox(QStringLiteral("Process Limited Sample Number Range"), this);
    m_sampleRangeCheck->setObjectName(QStringLiteral("SampleRangeCheck"));
    connect(m_sampleRangeCheck, &QCheckBox::toggled, this, &QuorvelForm::UpdateRangeControls);
    m_limitedFromLabel = new QLabel(QStringLiteral("from sample"), this);
    m_limitedFromLabel->setObjectName(QStringLiteral("LimitedFromLabel"));
    m_limitedFromText = new QLineEdit(this);
    m_limitedFromText->setObjectName(QStringLiteral("LimitedFromText"));
    m_limitedToLabel = new QLabel(QStringLiteral("to"), this);
    m_limitedToLabel->setObjectName(QStringLiteral("LimitedToLabel"));
    m_limitedToText = new QLineEdit(this);
    m_limitedToText->setObjectName(QStringLiteral("LimitedToText"));
    for (QLineEdit* field : {m_limitedFromText, m_limitedToText})
        field->setMaximumWidth(70);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setWordWrap(true);
    m_run = button("RunButton", QStringLiteral("Run"), &QuorvelForm::RunClicked);
    m_run->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("Close"));
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void QuorvelForm::layOut() {
    auto* fileButtons = new QVBoxLayout;
    for (QPushButton* button : {m_addFile, m_addFolder, m_removeFile, m_clearFiles})
        fileButtons->addWidget(button);
    fileButtons->addStretch();
    auto* files = new QHBoxLayout;
    files->addWidget(m_fileList, 1);
    files->addLayout(fileButtons);

    auto* script = new QHBoxLayout;
    script->addWidget(new QLabel(QStringLiteral("Script:"), this));
    script->addWidget(m_scriptName, 1);
    script->addWidget(m_selectScript);

    auto* range = new QHBoxLayout;
    range->addSpacing(20);
    for (QWidget* control : std::initializer_list<QWidget*>{m_limitedFromLabel, m_limitedFromText,
                                                            m_limitedToLabel, m_limitedToText})
        range->addWidget(control);
    range->addStretch();
    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_sampleRangeCheck);
    frameLayout->addLayout(range);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_run);
    buttons->addWidget(m_close);

    auto* window = new QVBoxLayout(this);
    window->addWidget(new QLabel(QStringLiteral("Files to Process:"), this));
    window->addLayout(files, 1);
    window->addLayout(script);
    window->addWidget(frame);
    window->addLayout(buttons);
    resize(560, 420);
}

void QuorvelForm::loadSettings() {
    const int count = setting(QStringLiteral("Num Files"), QStringLiteral("0")).toInt();
    for (int k = 1; k <= count; ++k) {
        const QString path = setting(fileKey(k));
        if (MFileUtils::FileExists(path))
            AddDataFile(path);
    }
    // Until a script is chosen, the Ostrand script library installed with the program is the one.
    const QString script = setting(QStringLiteral("Script Path"), host::ostrandScriptLibrary());
    if (MFileUtils::FileExists(script))
        SetScriptPath(script);
    m_sampleRangeCheck->setChecked(setting(QStringLiteral("SampleRangeCheck"), QStringLiteral("0")).toInt() !=
                                   0);
    m_limitedFromText->setText(setting(QStringLiteral("LimitedFromText"), QStringLiteral("1")));
    m_limitedToText->setText(setting(QStringLiteral("LimitedToText"), QStringLiteral("1")));
    UpdateRangeControls();
}

bool QuorvelForm::rangeIsLimited() const {
    return m_sampleRangeCheck->isEnabled() && m_sampleRangeCheck->isChecked();
}

void QuorvelForm::UpdateRangeControls() {
    // A sample range means something only for a single file.
    m_sampleRangeCheck->setEnabled(m_files.size() == 1);
    const bool limited = rangeIsLimited();
    for (QWidget* control : std::initializer_list<QWidget*>{m_limitedFromLabel, m_limitedFromText,
                                                            m_limitedToLabel, m_limitedToText})
        control->setEnabled(limited);
}

void QuorvelForm::AddDataFile(const QString& path) {
    m_files.append(path);
    auto* item = new QListWidgetItem(GetFileNameFromPath(path), m_fileList);
    item->setToolTip(path);
    UpdateRangeControls();
}

void QuorvelForm::AddFolderRecursive(const QString& folder) {
    QSet<QString> visited;
    AddFolderRecursive(folder, visited);
}

void QuorvelForm::AddFolderRecursive(const QString& folder, QSet<QString>& visited) {
    const QString withSeparator =
        !folder.isEmpty() && isSeparator(folder.back()) ? folder : folder + QLatin1Char('/');
    const QFileInfo info(withSeparator);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        throw AutomationError::system(
            QStringLiteral("The folder '%1' cannot be listed: it does not exist or cannot be read.")
                .arg(folder));
    // A folder reached again through a link is listed once, so that a link to a parent folder
    // cannot make the walk endless.
    const QString canonical = info.canonicalFilePath();
    if (visited.contains(canonical))
        return;
    visited.insert(canonical);
    const QDir dir(withSeparator);
    const auto byName = QDir::Name | QDir::IgnoreCase;
    for (const QString& name : dir.entryList(QDir::Files, byName))
        if (hasExtension(name, dataExtension))
            AddDataFile(withSeparator + name);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, byName))
        AddFolderRecursive(withSeparator + name, visited);
}

void QuorvelForm::SetScriptPath(const QString& path) {
    m_scriptPath = path;
    m_scriptName->setText(GetFileNameFromPath(path));
}

void QuorvelForm::RemoveAllFiles() {
    m_files.clear();
    m_fileList->clear();
    UpdateRangeControls();
}

void QuorvelForm::RemoveSelectedClicked() {
    for (int row = m_fileList->count() - 1; row >= 0; --row) {
        if (!m_fileList->item(row)->isSelected())
            continue;
        m_files.removeAt(row);
        delete m_fileList->takeItem(row);
    }
    UpdateRangeControls();
}

void QuorvelForm::DropPaths(const QStringList& paths) {
    try {
        for (const QString& path : paths) {
            if (QFileInfo(path).isDir() || GetFileExtension(path).isEmpty())
                AddFolderRecursive(path);
            else if (hasExtension(path, dataExtension))
                AddDataFile(path);
            else if (isScript(path))
                SetScriptPath(path);
        }
    } catch (const AutomationError& error) {
        messages::show(error.description(), errorTitle);
    }
}

void QuorvelForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void QuorvelForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    event->acceptProposedAction();
    DropPaths(paths);
}

bool QuorvelForm::eventFilter(QObject* watched, QEvent* event) {
    // The file list takes dropped files as the window does.
    if (watched == m_fileList->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            if (static_cast<QDragMoveEvent*>(event)->mimeData()->hasUrls())
                static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
            return true;
        case QEvent::Drop:
            dropEvent(static_cast<QDropEvent*>(event));
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QuorvelForm::closeEvent(QCloseEvent* event) {
    // A run finishes its batch before the window goes, so that the script sees BatchEnd.
    if (m_running)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void QuorvelForm::AddFileClicked() {
    const QString chosen = chooseFile(QStringLiteral("Data Files (*.vesk)|*.vesk"),
                                      QStringLiteral("Last Data File"), QStringLiteral("Select Data File"));
    if (!chosen.isEmpty())
        AddDataFile(chosen);
}

void QuorvelForm::SelectScriptClicked() {
    const QString chosen = chooseFile(QStringLiteral("Script Files (*.so)|*.so|Script Files (*.aasf)|*.aasf"),
                                      QStringLiteral("Last Script File"), QStringLiteral("Select Script"));
    if (!chosen.isEmpty())
        SetScriptPath(chosen);
}

QString QuorvelForm::chooseFile(const QString& filter, const QString& lastFileKey, const QString& title) {
    try {
        // A dialog of its own for each choice, so that the data file dialog never opens where the
        // script was chosen, and the other way round.
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("CommonDialog1"));
        const QString chosen = MFileUtils::ChooseFileToOpen(dialog, filter, setting(lastFileKey), title);
        if (!chosen.isEmpty())
            storeSetting(lastFileKey, chosen);
        return chosen;
    } catch (const AutomationError& error) {
        messages::show(error.description(), errorTitle);
        return {};
    }
}

void QuorvelForm::AddFolderClicked() {
    GetDirectoryForm chooser;
    const QString folder = chooser.GetDirectory(QString(), this);
    if (folder.isEmpty())
        return;
    try {
        AddFolderRecursive(folder);
    } catch (const AutomationError& error) {
        messages::show(error.description(), errorTitle);
    }
}

void QuorvelForm::RunClicked() {
    const QString error = Run();
    if (!error.isEmpty())
        messages::show(error, errorTitle);
}

QString QuorvelForm::Run() {
    if (m_running)
        return {};
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });
    m_status->clear();
    try {
        ValidateInputs();
        SaveSettings();
        RunBatch();
        return {};
    } catch (const AutomationError& error) {
        return stopped(error.description());
    } catch (const std::exception& error) {
        return stopped(QString::fromUtf8(error.what()));
    }
}

QString QuorvelForm::stopped(const QString& description) {
    m_status->setText(QStringLiteral("Stopped: ") + description);
    return description;
}

void QuorvelForm::ValidateInputs() {
    if (m_files.isEmpty())
        throw AutomationError::system(QStringLiteral("You must select at least one file to process."));
    for (const QString& file : std::as_const(m_files))
        if (!MFileUtils::FileExists(file))
            throw AutomationError::system(QStringLiteral("The data file '") + GetFileNameFromPath(file) +
                                          QStringLiteral("' does not exist."));
    if (m_scriptPath.isEmpty())
        throw AutomationError::system(QStringLiteral("You must select a processing script."));
    if (!MFileUtils::FileExists(m_scriptPath))
        throw AutomationError::system(QStringLiteral("The specified script does not exist."));
    if (!rangeIsLimited())
        return;
    if (m_files.size() != 1)
        throw AutomationError::system(
            QStringLiteral("The 'limited sample number range' option "
                           "can only be selected when there is exactly one file to process."));
    const int sampleCount = kestrum::VeskFileOpener().OpenVeskFile(m_files.front(), 1)->SampleCount();
    // The fields hold 16-bit sample numbers, as the hooks take them.
    const auto lastSample =
        static_cast<std::int16_t>(std::min<int>(sampleCount, std::numeric_limits<std::int16_t>::max()));
    m_firstSample = MNumberUtils::GetIntegerFromTextBox(*m_limitedFromText, 1, lastSample);
    m_lastSample = MNumberUtils::GetIntegerFromTextBox(*m_limitedToText, 1, lastSample);
    if (m_firstSample > m_lastSample)
        throw AutomationError::system(QStringLiteral("The starting sample must not be greater than "
                                                     "the ending one."));
}

void QuorvelForm::SaveSettings() {
    storeSetting(QStringLiteral("Num Files"), QString::number(m_files.size()));
    for (qsizetype k = 1; k <= m_files.size(); ++k)
        storeSetting(fileKey(k), m_files.at(k - 1));
    storeSetting(QStringLiteral("Script Path"), m_scriptPath);
    storeSetting(QStringLiteral("SampleRangeCheck"),
                 m_sampleRangeCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    storeSetting(QStringLiteral("LimitedFromText"), m_limitedFromText->text());
    storeSetting(QStringLiteral("LimitedToText"), m_limitedToText->text());
}

void QuorvelForm::RunBatch() {
    host::ScriptLoader loader;
    std::shared_ptr<automation::Dispatch> script;
    try {
        script = loader.CreateScriptObject(m_scriptPath, QStringLiteral("ProcessClass"));
    } catch (const std::exception&) {
        script = nullptr;
    }
    if (!script) {
        // The message is the user's; the loader's reason helps the script's author.
        if (!loader.lastError().isEmpty())
            qWarning("quorvel: %s", qUtf8Printable(loader.lastError()));
        throw AutomationError::system(
            QStringLiteral("The script couldn't be created: Are you sure that the "
                           "specified file is in the required Corvana script format?"));
    }
    showProgress(QStringLiteral("Starting the batch..."));
    Call_BatchStart(*script);
    // The batch is the list and range as Run found them, whatever a script's own windows let the
    // user change while it runs.
    const QStringList files = m_files;
    const bool limited = rangeIsLimited();
    const kestrum::VeskFileOpener opener;
    int samplesRun = 0;
    for (qsizetype f = 0; f < files.size(); ++f) {
        const QString& path = files.at(f);
        int first = 1;
        int last = 0;
        if (limited) {
            first = m_firstSample;
            last = m_lastSample;
        } else {
            last = opener.OpenVeskFile(path, 1)->SampleCount();
        }
        for (int s = first; s <= last; ++s) {
            showProgress(QStringLiteral("Running %1 (file %2 of %3), sample %4 of %5...")
                             .arg(GetFileNameFromPath(path))
                             .arg(f + 1)
                             .arg(files.size())
                             .arg(s)
                             .arg(last));
            // A sample that cannot be opened ends this file quietly; the next file starts.
            std::shared_ptr<kestrum::SampleInfo> sample;
            try {
                sample = opener.OpenVeskFile(path, s)->SampleAt(s);
            } catch (const std::exception&) {
                sample = nullptr;
            }
            if (!sample)
                break;
            Call_SampleStart(*script, path, s);
            Call_SampleEnd(*script, path, s);
            ++samplesRun;
        }
    }
    Call_BatchEnd(*script);
    m_status->setText(QStringLiteral("Finished: %1 of %2 processed.")
                          .arg(counted(samplesRun, QStringLiteral("sample")),
                               counted(files.size(), QStringLiteral("file"))));
}

void QuorvelForm::showProgress(const QString& text) {
    m_status->setText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QuorvelForm::Call_BatchStart(automation::Dispatch& theScript) {
    callHook(theScript, QStringLiteral("BatchStart"));
}

void QuorvelForm::Call_BatchEnd(automation::Dispatch& theScript) {
    callHook(theScript, QStringLiteral("BatchEnd"));
}

void QuorvelForm::Call_SampleStart(automation::Dispatch& theScript, const QString& filePath, int index) {
    callHook(theScript, QStringLiteral("SampleStart"), filePath, index);
}

void QuorvelForm::Call_SampleEnd(automation::Dispatch& theScript, const QString& filePath, int index) {
    callHook(theScript, QStringLiteral("SampleEnd"), filePath, index);
}

void QuorvelForm::callHook(automation::Dispatch& theScript, const QString& hook, const QString& filePath,
                           int index) {
    // A script may offer any subset of the hooks; one it lacks is skipped without a word.
    if (!theScript.idOfName(hook))
        return;
    automation::Arguments arguments;
    if (!filePath.isEmpty())
        arguments = {automation::Variant(filePath), automation::Variant(sampleArgument(index))};
    try {
        theScript.call(hook, arguments);
    } catch (const AutomationError& error) {
        throw AutomationError::system(error.description());
    } catch (const std::exception& error) {
        throw AutomationError::system(QString::fromLocal8Bit(error.what()));
    }
}
