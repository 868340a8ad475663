#include "quorvelform.h"

#include "elidedlabel.h"

#include "appsettings/applicationsettings.h"
#include "automation/dispatch.h"
#include "errors/numberederror.h"
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
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>
#include <QVBoxLayout>

#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>

using errors::NumberedError;
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

// For each path, the shortest tail of it (file name, then its folder and the name, and so on) that
// no other listed path shares, so that two run.vesk from different folders can be told apart.
QStringList distinguishingNames(const QStringList& paths) {
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    std::vector<QStringList> parts;
    for (const QString& path : paths)
        parts.push_back(path.split(separators, Qt::SkipEmptyParts));
    const auto tail = [&](qsizetype i, qsizetype depth) {
        const QStringList& all = parts[std::size_t(i)];
        return depth >= all.size() ? paths.at(i) : all.mid(all.size() - depth).join(QLatin1Char('/'));
    };
    QStringList names(paths.size());
    std::vector<qsizetype> unresolved(std::size_t(paths.size()));
    std::iota(unresolved.begin(), unresolved.end(), 0);
    for (qsizetype depth = 1; !unresolved.empty(); ++depth) {
        QHash<QString, QSet<QString>> pathsByTail;
        for (qsizetype i = 0; i < paths.size(); ++i)
            pathsByTail[tail(i, depth)].insert(paths.at(i));
        std::erase_if(unresolved, [&](qsizetype i) {
            const QString shown = tail(i, depth);
            if (pathsByTail.value(shown).size() > 1 && depth < parts[std::size_t(i)].size())
                return false;
            names[i] = shown;
            return true;
        });
    }
    return names;
}

// Hooks take the sample number as a 16-bit integer.
std::int16_t sampleArgument(int index) {
    if (index > std::numeric_limits<std::int16_t>::max())
        throw NumberedError::standard(errors::Overflow);
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
    m_sampleCount = new QLabel(this);
    m_sampleCount->setObjectName(QStringLiteral("SampleCountLabel"));

    m_status = new ElidedLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("RunProgress"));
    m_progress->setRange(0, 1000);
    m_cancel = button("CancelButton", QStringLiteral("Cancel"), &QuorvelForm::CancelRun);
    m_cancel->setToolTip(QStringLiteral("Stop after the sample in hand; the script still receives BatchEnd"));
    // Hidden between runs, without the window's layout moving when they appear.
    for (QWidget* control : std::initializer_list<QWidget*>{m_progress, m_cancel}) {
        QSizePolicy policy = control->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        control->setSizePolicy(policy);
        control->hide();
    }
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
    range->addWidget(m_sampleCount);
    range->addStretch();
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("SampleRangeFrame"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_sampleRangeCheck);
    frameLayout->addLayout(range);

    auto* progress = new QHBoxLayout;
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_run);
    buttons->addWidget(m_close);

    auto* window = new QVBoxLayout(this);
    window->addWidget(new QLabel(QStringLiteral("Files to Process:"), this));
    window->addLayout(files, 1);
    window->addLayout(script);
    window->addWidget(frame);
    window->addLayout(progress);
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
    // The check box counts when it is enabled, that is when the list holds one file; asked this
    // way, the answer holds while a run has the whole window's inputs locked.
    return m_files.size() == 1 && m_sampleRangeCheck->isChecked();
}

void QuorvelForm::UpdateRangeControls() {
    // A sample range means something only for a single file.
    m_sampleRangeCheck->setEnabled(m_files.size() == 1);
    const bool limited = rangeIsLimited();
    for (QWidget* control : std::initializer_list<QWidget*>{m_limitedFromLabel, m_limitedFromText,
                                                            m_limitedToLabel, m_limitedToText})
        control->setEnabled(limited);
}

void QuorvelForm::fileListChanged() {
    showDistinguishingNames();
    UpdateRangeControls();
    inputsChanged();
    // With one file the range may be limited: say how far it can go.
    QString count;
    if (m_files.size() == 1) {
        try {
            count =
                QStringLiteral("(the file has %1)")
                    .arg(counted(kestrum::VeskFileOpener().OpenVeskFile(m_files.front(), 1)->SampleCount(),
                                 QStringLiteral("sample")));
        } catch (const std::exception&) {
            // A file that cannot be read is reported by Run.
        }
    }
    m_sampleCount->setText(count);
}

void QuorvelForm::showDistinguishingNames() {
    const QStringList names = distinguishingNames(m_files);
    for (int row = 0; row < m_fileList->count(); ++row)
        m_fileList->item(row)->setText(names.at(row));
}

void QuorvelForm::inputsChanged() {
    if (m_statusIsError)
        setStatus({});
}

void QuorvelForm::setStatus(const QString& text, bool isError) {
    m_status->setStatus(text);
    m_statusIsError = isError;
}

void QuorvelForm::appendFile(const QString& path) {
    m_files.append(path);
    auto* item = new QListWidgetItem(GetFileNameFromPath(path), m_fileList);
    item->setToolTip(path);
}

void QuorvelForm::AddDataFile(const QString& path) {
    appendFile(path);
    fileListChanged();
}

void QuorvelForm::AddFolderRecursive(const QString& folder) {
    // The list is brought up to date once, after the walk, however far it got.
    const auto refresh = qScopeGuard([this] { fileListChanged(); });
    QSet<QString> visited;
    AddFolderRecursive(folder, visited);
}

void QuorvelForm::AddFolderRecursive(const QString& folder, QSet<QString>& visited) {
    const QString withSeparator =
        !folder.isEmpty() && isSeparator(folder.back()) ? folder : folder + QLatin1Char('/');
    const QFileInfo info(withSeparator);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable())
        throw NumberedError::system(
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
            appendFile(withSeparator + name);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, byName))
        AddFolderRecursive(withSeparator + name, visited);
}

void QuorvelForm::SetScriptPath(const QString& path) {
    m_scriptPath = path;
    m_scriptName->setText(GetFileNameFromPath(path));
    m_scriptName->setToolTip(path);
    inputsChanged();
}

void QuorvelForm::RemoveAllFiles() {
    m_files.clear();
    m_fileList->clear();
    fileListChanged();
}

void QuorvelForm::RemoveSelectedClicked() {
    for (int row = m_fileList->count() - 1; row >= 0; --row) {
        if (!m_fileList->item(row)->isSelected())
            continue;
        m_files.removeAt(row);
        delete m_fileList->takeItem(row);
    }
    fileListChanged();
}

void QuorvelForm::DropPaths(const QStringList& paths) {
    // The batch in hand keeps its list; a drop waits for the run to end.
    if (m_running)
        return;
    try {
        for (const QString& path : paths) {
            if (QFileInfo(path).isDir() || GetFileExtension(path).isEmpty())
                AddFolderRecursive(path);
            else if (hasExtension(path, dataExtension))
                AddDataFile(path);
            else if (isScript(path))
                SetScriptPath(path);
        }
    } catch (const std::exception& error) {
        // An error must not leave a window event handler: it would end the program.
        messages::show(QString::fromUtf8(error.what()), errorTitle);
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
    // A run is cancelled and ends its batch before the window goes, so that the script sees
    // BatchEnd; the window closes when the run is over.
    if (m_running) {
        m_closeAfterRun = true;
        CancelRun();
        event->ignore();
    } else {
        QWidget::closeEvent(event);
    }
}

void QuorvelForm::AddFileClicked() {
    const QStringList chosen =
        chooseFiles(QStringLiteral("Data Files (*.vesk)|*.vesk"), QStringLiteral("Last Data File"),
                    QStringLiteral("Select Data File"), true);
    if (chosen.isEmpty())
        return;
    for (const QString& path : chosen)
        appendFile(path);
    fileListChanged();
}

void QuorvelForm::SelectScriptClicked() {
    const QStringList chosen =
        chooseFiles(QStringLiteral("Script Files (*.so)|*.so|Script Files (*.aasf)|*.aasf"),
                    QStringLiteral("Last Script File"), QStringLiteral("Select Script"), false);
    if (!chosen.isEmpty())
        SetScriptPath(chosen.front());
}

QStringList QuorvelForm::chooseFiles(const QString& filter, const QString& lastFileKey, const QString& title,
                                     bool several) {
    try {
        // A dialog of its own for each choice, so that the data file dialog never opens where the
        // script was chosen, and the other way round.
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("CommonDialog1"));
        const QString initial = setting(lastFileKey);
        QStringList chosen = several
                                 ? MFileUtils::ChooseFilesToOpen(dialog, filter, initial, title)
                                 : QStringList{MFileUtils::ChooseFileToOpen(dialog, filter, initial, title)};
        chosen.removeAll(QString());
        if (!chosen.isEmpty())
            storeSetting(lastFileKey, chosen.back());
        return chosen;
    } catch (const std::exception& error) {
        messages::show(QString::fromUtf8(error.what()), errorTitle);
        return {};
    }
}

void QuorvelForm::AddFolderClicked() {
    try {
        GetDirectoryForm chooser;
        const QString folder = chooser.GetDirectory(QString(), this);
        if (!folder.isEmpty())
            AddFolderRecursive(folder);
    } catch (const std::exception& error) {
        // An error must not leave a window event handler: it would end the program.
        messages::show(QString::fromUtf8(error.what()), errorTitle);
    }
}

void QuorvelForm::RunClicked() {
    const QString error = Run();
    if (!error.isEmpty())
        messages::show(error, errorTitle);
}

void QuorvelForm::CancelRun() {
    if (!m_running)
        return;
    m_cancelRequested = true;
    m_cancel->setEnabled(false);
    setStatus(QStringLiteral("Cancelling after the sample in hand..."));
}

void QuorvelForm::setRunning(bool running) {
    m_running = running;
    for (QWidget* input :
         std::initializer_list<QWidget*>{m_addFile, m_addFolder, m_removeFile, m_clearFiles, m_selectScript,
                                         m_sampleRangeCheck->parentWidget(), m_run})
        input->setEnabled(!running);
    m_progress->setValue(0);
    m_progress->setVisible(running);
    m_cancel->setEnabled(running);
    m_cancel->setVisible(running);
}

QString QuorvelForm::Run() {
    if (m_running)
        return {};
    setStatus({});
    // The description of the error a step raised, shown as the reason the run stopped.
    const auto attempt = [this](const std::function<void()>& step) -> QString {
        try {
            step();
            return {};
        } catch (const std::exception& error) {
            return stopped(QString::fromUtf8(error.what()));
        }
    };
    // Checked while the inputs are usable, so that a bad field gets the focus.
    if (QString error = attempt([this] {
            ValidateInputs();
            SaveSettings();
        });
        !error.isEmpty())
        return error;
    m_cancelRequested = false;
    setRunning(true);
    const auto done = qScopeGuard([this] {
        setRunning(false);
        if (m_closeAfterRun)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    return attempt([this] { RunBatch(); });
}

QString QuorvelForm::stopped(const QString& description) {
    setStatus(QStringLiteral("Stopped: ") + description, true);
    return description;
}

void QuorvelForm::ValidateInputs() {
    if (m_files.isEmpty())
        throw NumberedError::system(QStringLiteral("You must select at least one file to process."));
    for (const QString& file : std::as_const(m_files))
        if (!MFileUtils::FileExists(file))
            throw NumberedError::system(QStringLiteral("The data file '") + GetFileNameFromPath(file) +
                                        QStringLiteral("' does not exist."));
    if (m_scriptPath.isEmpty())
        throw NumberedError::system(QStringLiteral("You must select a processing script."));
    if (!MFileUtils::FileExists(m_scriptPath))
        throw NumberedError::system(QStringLiteral("The specified script does not exist."));
    if (!rangeIsLimited())
        return;
    if (m_files.size() != 1)
        throw NumberedError::system(
            QStringLiteral("The 'limited sample number range' option "
                           "can only be selected when there is exactly one file to process."));
    const int sampleCount = kestrum::VeskFileOpener().OpenVeskFile(m_files.front(), 1)->SampleCount();
    // The fields hold 16-bit sample numbers, as the hooks take them.
    const auto lastSample =
        static_cast<std::int16_t>(std::min<int>(sampleCount, std::numeric_limits<std::int16_t>::max()));
    m_firstSample = MNumberUtils::GetIntegerFromTextBox(*m_limitedFromText, 1, lastSample);
    m_lastSample = MNumberUtils::GetIntegerFromTextBox(*m_limitedToText, 1, lastSample);
    if (m_firstSample > m_lastSample)
        throw NumberedError::system(QStringLiteral("The starting sample must not be greater than "
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
        throw NumberedError::system(
            QStringLiteral("The script couldn't be created: Are you sure that the "
                           "specified file is in the required Corvana script format?"));
    }
    // The batch is the list and range as Run found them, whatever a script's own windows let the
    // user change while it runs.
    const QStringList files = m_files;
    const QStringList shownNames = distinguishingNames(files);
    const bool limited = rangeIsLimited();
    showProgress(QStringLiteral("Starting the batch..."), 0);
    Call_BatchStart(*script);
    const kestrum::VeskFileOpener opener;
    int samplesRun = 0;
    for (qsizetype f = 0; f < files.size() && !m_cancelRequested; ++f) {
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
            const double fileDone = double(s - first) / double(last - first + 1);
            showProgress(QStringLiteral("Running %1 (file %2 of %3), sample %4 of %5...")
                             .arg(shownNames.at(f))
                             .arg(f + 1)
                             .arg(files.size())
                             .arg(s)
                             .arg(last),
                         (double(f) + fileDone) / double(files.size()));
            // A cancel stops between samples, so that every SampleStart has its SampleEnd.
            if (m_cancelRequested)
                break;
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
    const QString processed = counted(samplesRun, QStringLiteral("sample")) + QStringLiteral(" of ") +
                              counted(files.size(), QStringLiteral("file"));
    setStatus(m_cancelRequested
                  ? QStringLiteral("Cancelled: %1 processed, then the batch was ended.").arg(processed)
                  : QStringLiteral("Finished: %1 processed.").arg(processed));
}

void QuorvelForm::showProgress(const QString& text, double done) {
    if (!m_cancelRequested)
        setStatus(text);
    m_progress->setValue(static_cast<int>(done * m_progress->maximum()));
    // The inputs are locked for the run; Cancel, repaints and moving the window are handled.
    QCoreApplication::processEvents();
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
    } catch (const NumberedError& error) {
        throw NumberedError::system(error.description());
    } catch (const std::exception& error) {
        throw NumberedError::system(QString::fromLocal8Bit(error.what()));
    }
}
