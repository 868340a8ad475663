// The search file location: GetSearchFile on each stored choice, and the window driven as a user
// drives it, with real dialogs and the settings in a folder of the test's own.
#include "searchfilelocation.h"

#include "settings/registryfuncs.h"

#include "appsettings/applicationsettings.h"
#include "messages/messagecapture.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "testsupport/environmentoverride.h"
#include "testsupport/privatesettingsfolder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using messages::ShownMessage;

class SearchFileLocationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("temp")));
        ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("queries")));
    }

    QString path(const char* relative) const { return m_folder.filePath(QString::fromUtf8(relative)); }

    static void store(const char* name, const QString& text) {
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QString::fromLatin1(name), text);
    }
    static QString stored(const char* name) {
        return RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, QString::fromLatin1(name),
                                          QStringLiteral("(none)"));
    }
    static QString lastSearchFile() {
        return appsettings::value(QStringLiteral("SorvexScript"), QStringLiteral("SearchFileOptions"),
                                  QStringLiteral("LastSearchFile"));
    }

    // Types a name into the shown save dialog and presses Return, or presses Escape for none.
    static void answerFileDialog(QFileDialog& dialog, const QString& name) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        if (name.isEmpty()) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            return;
        }
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    template <typename Control> static Control* control(QWidget& window, const char* name) {
        auto* found = window.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTemporaryDir m_folder;
    testsupport::PrivateSettingsFolder m_settings;
    testsupport::EnvironmentOverride m_temp{"TMPDIR", (m_folder.path() + QStringLiteral("/temp/")).toUtf8()};
};

TEST_F(SearchFileLocationTest, GetSearchFileFollowsTheStoredChoice) {
    enum class Gives { NewFileInTemp, StoredFile, NewFileInFolder, Prompt };
    struct Case {
        const char* what;
        std::optional<QString> option;
        QString file;
        QString folder;
        Gives gives;
        QString typed = QStringLiteral("chosen.sxq"); // the prompt's answer; "" cancels
    };
    const QString queries = path("queries");
    // A fixed file is handed back although it exists; the search overwrites it.
    QFile existing(path("queries/fixed.sxq"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const std::vector<Case> cases{
        {"nothing stored", std::nullopt, {}, {}, Gives::NewFileInTemp},
        {"fixed file", QStringLiteral("1"), path("queries/fixed.sxq"), {}, Gives::StoredFile},
        {"fixed file whose folder has gone", QStringLiteral("1"), path("gone/fixed.sxq"), {}, Gives::Prompt},
        {"fixed file without a folder", QStringLiteral("1"), QStringLiteral("fixed.sxq"), {}, Gives::Prompt},
        {"folder", QStringLiteral("2"), {}, queries, Gives::NewFileInFolder},
        {"folder that has gone", QStringLiteral("2"), {}, path("gone"), Gives::Prompt},
        {"empty folder", QStringLiteral("2"), {}, {}, Gives::Prompt},
        {"prompt", QStringLiteral("3"), {}, {}, Gives::Prompt},
        {"prompt cancelled", QStringLiteral("3"), {}, {}, Gives::Prompt, QString()},
        {"number edited by hand", QStringLiteral("7"), {}, {}, Gives::Prompt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder settings;
        if (c.option)
            store("FileLocationOption", *c.option);
        store("FileLocationFile", c.file);
        store("FileLocationFolder", c.folder);
        const QString last = path("queries/last.sxq");
        appsettings::save(QStringLiteral("SorvexScript"), QStringLiteral("SearchFileOptions"),
                          QStringLiteral("LastSearchFile"), last);
        QFileDialog dialog;
        if (c.gives == Gives::Prompt)
            modaldriver::onNextModal([&](QWidget* modal) {
                EXPECT_EQ(modal, &dialog);
                EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Search File"));
                EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
                EXPECT_EQ(dialog.nameFilters(), QStringList({QStringLiteral("Sorvex Generic File (*.sxq)"),
                                                             QStringLiteral("Sorvex Generic File (*.txt)")}));
                EXPECT_EQ(dialog.directory().absolutePath(), queries);
                EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                          QStringLiteral("last.sxq"));
                answerFileDialog(dialog, c.typed);
            });

        const QString first = SearchFileLocation::GetSearchFile(dialog);
        const QFileInfo file(first);
        switch (c.gives) {
        case Gives::NewFileInTemp:
        case Gives::NewFileInFolder: {
            const QString folder = c.gives == Gives::NewFileInTemp ? path("temp") : queries;
            EXPECT_EQ(file.absolutePath(), folder);
            EXPECT_TRUE(file.fileName().startsWith(QStringLiteral("sor"))) << first.toStdString();
            EXPECT_TRUE(file.exists());
            EXPECT_EQ(file.size(), 0);
            // Never the same name twice.
            const QString second = SearchFileLocation::GetSearchFile(dialog);
            EXPECT_NE(second, first);
            EXPECT_EQ(QFileInfo(second).absolutePath(), folder);
            break;
        }
        case Gives::StoredFile:
            EXPECT_EQ(first, c.file);
            break;
        case Gives::Prompt:
            EXPECT_EQ(first, c.typed.isEmpty() ? QString() : path("queries/chosen.sxq"));
            EXPECT_EQ(lastSearchFile(), c.typed.isEmpty() ? last : path("queries/chosen.sxq"));
            break;
        }
    }
}

TEST_F(SearchFileLocationTest, TheWindowShowsValidatesAndStoresTheChoice) {
    struct Case {
        const char* what;
        QString storedOption;
        int shownOption; // the option button checked when the window opens
        std::function<void(QWidget&)> edit;
        QString message;        // the error shown on OK; "" when OK closes the window
        QStringList afterwards; // option, file and folder stored afterwards
    };
    const QString file = path("queries/fixed.sxq");
    const QString folder = path("queries");
    const auto choose = [](int index, const char* box = nullptr, QString text = {}) {
        return [index, box, text](QWidget& window) {
            control<QRadioButton>(window, qPrintable(QStringLiteral("SearchFileLocation%1").arg(index)))
                ->click();
            if (box)
                control<QLineEdit>(window, box)->setText(text);
        };
    };
    const QStringList unchanged{QStringLiteral("1"), file, folder};
    const std::vector<Case> cases{
        {"temporary folder keeps both texts",
         QStringLiteral("1"),
         1,
         choose(0),
         {},
         {QStringLiteral("0"), file, folder}},
        {"fixed file",
         QStringLiteral("0"),
         0,
         choose(1, "SearchFile", path("queries/new.sxq")),
         {},
         {QStringLiteral("1"), path("queries/new.sxq"), folder}},
        {"fixed file in a missing folder", QStringLiteral("1"), 1,
         choose(1, "SearchFile", path("gone/a.sxq")),
         QStringLiteral("The directory for the specified file does not exist."), unchanged},
        {"fixed file without a folder", QStringLiteral("1"), 1,
         choose(1, "SearchFile", QStringLiteral("a.sxq")),
         QStringLiteral("The directory for the specified file does not exist."), unchanged},
        {"folder",
         QStringLiteral("3"),
         3,
         choose(2, "SearchDirectory", path("temp")),
         {},
         {QStringLiteral("2"), file, path("temp")}},
        {"missing folder", QStringLiteral("1"), 1, choose(2, "SearchDirectory", path("gone")),
         QStringLiteral("The specified directory does not exist."), unchanged},
        {"empty folder", QStringLiteral("1"), 1, choose(2, "SearchDirectory", QString()),
         QStringLiteral("The specified directory does not exist."), unchanged},
        {"number edited by hand shows the prompt",
         QStringLiteral("7"),
         3,
         [](QWidget&) {},
         {},
         {QStringLiteral("3"), file, folder}},
    };
    SearchFileLocation window;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store("FileLocationOption", c.storedOption);
        store("FileLocationFile", file);
        store("FileLocationFolder", folder);
        messages::MessageCapture shown;
        modaldriver::onNextModal([&](QWidget* modal) {
            EXPECT_EQ(modal, &window);
            EXPECT_EQ(window.windowTitle(), QStringLiteral("Search File Location"));
            for (int index = 0; index < 4; ++index)
                EXPECT_EQ(control<QRadioButton>(window,
                                                qPrintable(QStringLiteral("SearchFileLocation%1").arg(index)))
                              ->isChecked(),
                          index == c.shownOption);
            EXPECT_EQ(control<QLineEdit>(window, "SearchFile")->text(), file);
            EXPECT_EQ(control<QLineEdit>(window, "SearchDirectory")->text(), folder);
            c.edit(window);
            // The boxes and their buttons are enabled exactly with their own choice.
            const bool fixed = control<QRadioButton>(window, "SearchFileLocation1")->isChecked();
            const bool inFolder = control<QRadioButton>(window, "SearchFileLocation2")->isChecked();
            EXPECT_EQ(control<QLineEdit>(window, "SearchFile")->isEnabled(), fixed);
            EXPECT_EQ(control<QPushButton>(window, "SetFile")->isEnabled(), fixed);
            EXPECT_EQ(control<QLineEdit>(window, "SearchDirectory")->isEnabled(), inFolder);
            EXPECT_EQ(control<QPushButton>(window, "SetDirectory")->isEnabled(), inFolder);
            control<QPushButton>(window, "OK")->click();
            if (c.message.isEmpty()) {
                EXPECT_FALSE(window.isVisible());
                return;
            }
            // The window stays open with the wrong entry selected for retyping.
            EXPECT_TRUE(window.isVisible());
            auto* wrong =
                QApplication::focusWidget() ? qobject_cast<QLineEdit*>(window.focusWidget()) : nullptr;
            ASSERT_NE(wrong, nullptr);
            EXPECT_EQ(wrong->objectName(),
                      fixed ? QStringLiteral("SearchFile") : QStringLiteral("SearchDirectory"));
            EXPECT_EQ(wrong->selectedText(), wrong->text());
            control<QPushButton>(window, "Cancel")->click();
        });
        window.exec();
        const std::vector<ShownMessage> expected =
            c.message.isEmpty() ? std::vector<ShownMessage>{}
                                : std::vector<ShownMessage>{{QStringLiteral("Error"), c.message}};
        EXPECT_EQ(shown.shown(), expected);
        EXPECT_EQ((QStringList{stored("FileLocationOption"), stored("FileLocationFile"),
                               stored("FileLocationFolder")}),
                  c.afterwards);
    }
}

TEST_F(SearchFileLocationTest, SetButtonsFillTheBoxesFromTheirChoosers) {
    store("FileLocationOption", QStringLiteral("1"));
    store("FileLocationFile", path("queries/old.sxq"));
    SearchFileLocation window;
    modaldriver::onNextModal([&](QWidget*) {
        auto* fileDialog = window.findChild<QFileDialog*>(QStringLiteral("CommonDialog1"));
        modaldriver::onNextModal(
            [&](QWidget* modal) {
                EXPECT_EQ(modal, fileDialog);
                EXPECT_EQ(fileDialog->windowTitle(), QStringLiteral("Set Search File"));
                EXPECT_EQ(fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                          QStringLiteral("old.sxq"));
                answerFileDialog(*fileDialog, QStringLiteral("new.sxq"));
            },
            &window);
        control<QPushButton>(window, "SetFile")->click();
        EXPECT_EQ(control<QLineEdit>(window, "SearchFile")->text(), path("queries/new.sxq"));

        control<QRadioButton>(window, "SearchFileLocation2")->click();
        control<QLineEdit>(window, "SearchDirectory")->setText(path("temp"));
        modaldriver::onNextModal(
            [&](QWidget* chooser) {
                EXPECT_EQ(chooser->parentWidget(), &window);
                control<QPushButton>(*chooser, "OKButton")->click();
            },
            &window);
        control<QPushButton>(window, "SetDirectory")->click();
        EXPECT_EQ(control<QLineEdit>(window, "SearchDirectory")->text(), path("temp") + u'/');
        control<QPushButton>(window, "OK")->click();
    });
    window.exec();
    EXPECT_EQ(stored("FileLocationOption"), QStringLiteral("2"));
    EXPECT_EQ(stored("FileLocationFile"), path("queries/new.sxq"));
    EXPECT_EQ(stored("FileLocationFolder"), path("temp") + u'/');
}

TEST_F(SearchFileLocationTest, ScreenshotOfTheWindow) {
    const QString target = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/searchfilelocation.png");
    store("FileLocationOption", QStringLiteral("2"));
    store("FileLocationFile", QStringLiteral("/home/lab/queries/today.sxq"));
    store("FileLocationFolder", QStringLiteral("/home/lab/queries/"));
    // The temporary folder a user without TMPDIR has, named in the first choice.
    const testsupport::EnvironmentOverride temporary("TMPDIR", std::nullopt);
    SearchFileLocation window;
    EXPECT_EQ(window.findChild<QRadioButton*>(QStringLiteral("SearchFileLocation0"))->text(),
              QStringLiteral("In the temporary folder (/tmp/) with a random filename."));
    bool saved = false;
    modaldriver::onNextModal([&](QWidget*) {
        QTest::qWait(100);
        saved = window.grab().save(target);
        window.reject();
    });
    window.exec();
    EXPECT_TRUE(saved) << target.toStdString();
}

} // namespace
