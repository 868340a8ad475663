#include "searchfilelocation.h"

#include "export/sorvexstringhelper.h"
#include "settings/registryfuncs.h"

#include "shared/getdirectoryform.h"
#include "shared/mfileutils.h"

#include "appsettings/applicationsettings.h"
#include "errors/numberederror.h"
#include "files/tempfiles.h"
#include "messages/messageservice.h"
#include "numbers/numberconversion.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString OptionValue = QStringLiteral("FileLocationOption");
const QString FileValue = QStringLiteral("FileLocationFile");
const QString FolderValue = QStringLiteral("FileLocationFolder");
const QString FileFilter =
    QStringLiteral("Sorvex Generic File (*.sxq)|*.sxq|Sorvex Generic File (*.txt)|*.txt");
const QString FileDialogTitle = QStringLiteral("Set Search File");

enum Choice { TempFolder = 0, FixedFile = 1, FolderOfChoice = 2, Prompt = 3 };

QString readSetting(const QString& name, const QString& defaultText) {
    return RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, name, defaultText);
}

void writeSetting(const QString& name, const QString& text) {
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, name, text);
}

// The stored choice as a number; a text that is not one raises a type-mismatch error.
std::int32_t storedChoice() {
    return numbers::textToLong(readSetting(OptionValue, QStringLiteral("0")));
}

// The file the user picks in the save dialog, pre-filled with the last one picked there.
QString promptForFile(QFileDialog& dialog) {
    const QString application = QStringLiteral("SorvexScript");
    const QString section = QStringLiteral("SearchFileOptions");
    const QString key = QStringLiteral("LastSearchFile");
    const QString chosen = MFileUtils::ChooseFileToSave(
        dialog, FileFilter, appsettings::value(application, section, key), FileDialogTitle);
    if (!chosen.isEmpty())
        appsettings::save(application, section, key, chosen);
    return chosen;
}

} // namespace

QString SearchFileLocation::GetSearchFile(QFileDialog& theSaveDialog) {
    const std::int32_t choice = storedChoice();
    if (choice == TempFolder)
        return files::createUniqueFile(files::temporaryFolder(), ostrand::QueryTempFilePrefix);
    // An empty folder part (a file named without a folder) counts as a folder that does not
    // exist: the file would land wherever the host happens to run.
    GetDirectoryForm folders;
    if (choice == FixedFile) {
        const QString file = readSetting(FileValue, {});
        if (folders.DoesDirectoryExist(MFileUtils::GetDirectoryFromPath(file)))
            return file;
    } else if (choice == FolderOfChoice) {
        const QString folder = readSetting(FolderValue, {});
        if (folders.DoesDirectoryExist(folder))
            return files::createUniqueFile(folder, ostrand::QueryTempFilePrefix);
    }
    return promptForFile(theSaveDialog);
}

QString SearchFileLocation::OptionCaption(int index) {
    const std::array<QString, 4> captions{
        QStringLiteral("In the temporary folder (%1) with a random filename.").arg(files::temporaryFolder()),
        QStringLiteral("Always to the following file:"),
        QStringLiteral("To the following directory with a random filename:"),
        QStringLiteral("Prompt me each time for the location.")};
    return captions.at(static_cast<std::size_t>(index));
}

SearchFileLocation::SearchFileLocation(QWidget* parent)
    : QDialog(parent), m_searchFile(new QLineEdit(this)),
      m_setFile(new QPushButton(QStringLiteral("Set..."), this)), m_searchDirectory(new QLineEdit(this)),
      m_setDirectory(new QPushButton(QStringLiteral("Set..."), this)), m_commonDialog(new QFileDialog(this)),
      m_directoryForm(new GetDirectoryForm(this)) {
    setWindowTitle(QStringLiteral("Search File Location"));
    setObjectName(QStringLiteral("SearchFileLocation"));
    m_searchFile->setObjectName(QStringLiteral("SearchFile"));
    m_setFile->setObjectName(QStringLiteral("SetFile"));
    m_searchDirectory->setObjectName(QStringLiteral("SearchDirectory"));
    m_setDirectory->setObjectName(QStringLiteral("SetDirectory"));
    m_commonDialog->setObjectName(QStringLiteral("CommonDialog1"));
    m_searchFile->setMinimumWidth(320);

    auto* group = new QButtonGroup(this);
    auto* layout = new QVBoxLayout(this);
    const auto indented = [this](QLineEdit* text, QPushButton* button) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(24, 0, 0, 6);
        row->addWidget(text, 1);
        row->addWidget(button);
        return row;
    };
    for (int index = 0; index < 4; ++index) {
        m_options.at(index) = new QRadioButton(OptionCaption(index), this);
        m_options.at(index)->setObjectName(QStringLiteral("SearchFileLocation%1").arg(index));
        group->addButton(m_options.at(index), index);
        layout->addWidget(m_options.at(index));
        if (index == FixedFile)
            layout->addLayout(indented(m_searchFile, m_setFile));
        if (index == FolderOfChoice)
            layout->addLayout(indented(m_searchDirectory, m_setDirectory));
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("OK"));
    cancel->setObjectName(QStringLiteral("Cancel"));
    ok->setDefault(true);
    layout->addSpacing(6);
    layout->addWidget(buttons);

    connect(group, &QButtonGroup::idToggled, this, &SearchFileLocation::updateControls);
    connect(m_setFile, &QPushButton::clicked, this, &SearchFileLocation::chooseFile);
    connect(m_setDirectory, &QPushButton::clicked, this, &SearchFileLocation::chooseDirectory);
    connect(buttons, &QDialogButtonBox::accepted, this, &SearchFileLocation::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SearchFileLocation::reject);
}

SearchFileLocation::~SearchFileLocation() = default;

void SearchFileLocation::showEvent(QShowEvent* event) {
    load();
    QDialog::showEvent(event);
}

void SearchFileLocation::load() {
    // A stored number outside 0 to 3 (or no number at all) can only come from editing the settings
    // by hand; GetSearchFile prompts for it, so the window shows the prompt choice.
    int choice = Prompt;
    try {
        const std::int32_t stored = storedChoice();
        if (stored >= TempFolder && stored <= Prompt)
            choice = stored;
    } catch (const std::exception&) {
        // Not a number: shown as the prompt choice as well.
    }
    m_options.at(choice)->setChecked(true);
    updateControls();
    m_searchFile->setText(readSetting(FileValue, {}));
    m_searchDirectory->setText(readSetting(FolderValue, {}));
}

void SearchFileLocation::updateControls() {
    const bool fixedFile = m_options.at(FixedFile)->isChecked();
    const bool folderOfChoice = m_options.at(FolderOfChoice)->isChecked();
    m_searchFile->setEnabled(fixedFile);
    m_setFile->setEnabled(fixedFile);
    m_searchDirectory->setEnabled(folderOfChoice);
    m_setDirectory->setEnabled(folderOfChoice);
}

void SearchFileLocation::chooseFile() {
    try {
        const QString chosen =
            MFileUtils::ChooseFileToSave(*m_commonDialog, FileFilter, m_searchFile->text(), FileDialogTitle);
        if (!chosen.isEmpty())
            m_searchFile->setText(chosen);
    } catch (const errors::NumberedError& error) {
        messages::show(error.description(), QStringLiteral("Error"));
    }
}

void SearchFileLocation::chooseDirectory() {
    const QString chosen = m_directoryForm->GetDirectory(m_searchDirectory->text(), this);
    if (!chosen.isEmpty())
        m_searchDirectory->setText(chosen);
}

QString SearchFileLocation::validate() {
    const auto invalid = [](QLineEdit* text, const QString& message) {
        text->setFocus();
        text->selectAll();
        return message;
    };
    if (m_searchFile->isEnabled() &&
        !m_directoryForm->DoesDirectoryExist(MFileUtils::GetDirectoryFromPath(m_searchFile->text())))
        return invalid(m_searchFile, QStringLiteral("The directory for the specified file does not exist."));
    if (m_searchDirectory->isEnabled() && !m_directoryForm->DoesDirectoryExist(m_searchDirectory->text()))
        return invalid(m_searchDirectory, QStringLiteral("The specified directory does not exist."));
    return {};
}

void SearchFileLocation::store() {
    int choice = TempFolder;
    for (int index = 0; index < 4; ++index)
        if (m_options.at(index)->isChecked()) {
            choice = index;
            break;
        }
    writeSetting(OptionValue, QString::number(choice));
    // Both texts are stored whichever choice is made, so that switching back later finds them.
    writeSetting(FileValue, m_searchFile->text());
    writeSetting(FolderValue, m_searchDirectory->text());
}

void SearchFileLocation::accept() {
    const QString invalid = validate();
    if (!invalid.isEmpty()) {
        messages::show(invalid, QStringLiteral("Error"));
        return;
    }
    store();
    QDialog::accept();
}
