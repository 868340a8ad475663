#include "errors/numberederror.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "shared/mfileutils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace MFileUtils;

TEST(MFileUtilsPaths, FileNameIsTheTextAfterTheLastSeparator) {
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("C:\\data\\run1.vesk")), QStringLiteral("run1.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/home/lab/run1.vesk")), QStringLiteral("run1.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("C:/data\\run2.vesk")), QStringLiteral("run2.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("run1.vesk")), QStringLiteral("run1.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("C:\\data\\")), QString());
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("\\\\server\\data\\run3.vesk")),
              QStringLiteral("run3.vesk"));
    // Elsewhere a backslash is part of the name, as it is on this system.
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/home/lab/run\\1.vesk")), QStringLiteral("run\\1.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("a\\b.vesk")), QStringLiteral("a\\b.vesk"));
    EXPECT_EQ(GetFileNameFromPath(QStringLiteral("/")), QString());
    EXPECT_EQ(GetFileNameFromPath(QString()), QString());
}

TEST(MFileUtilsPaths, ExtensionStopsAtTheFirstSeparatorFromTheEnd) {
    EXPECT_EQ(GetFileExtension(QStringLiteral("C:\\a.b\\file")), QString());
    EXPECT_EQ(GetFileExtension(QStringLiteral("/a.b/file")), QString());
    EXPECT_EQ(GetFileExtension(QStringLiteral("/a.b\\file")), QStringLiteral("b\\file"));
    EXPECT_EQ(GetFileExtension(QStringLiteral("x.tar.vesk")), QStringLiteral("vesk"));
    EXPECT_EQ(GetFileExtension(QStringLiteral("/data/run.VESK")), QStringLiteral("VESK"));
    EXPECT_EQ(GetFileExtension(QStringLiteral("file.")), QString());
    EXPECT_EQ(GetFileExtension(QStringLiteral("noextension")), QString());
}

TEST(MFileUtilsPaths, DirectoryKeepsItsTrailingSeparator) {
    EXPECT_EQ(GetDirectoryFromPath(QStringLiteral("C:\\data\\run1.vesk")), QStringLiteral("C:\\data\\"));
    EXPECT_EQ(GetDirectoryFromPath(QStringLiteral("/data/run1.vesk")), QStringLiteral("/data/"));
    EXPECT_EQ(GetDirectoryFromPath(QStringLiteral("run1.vesk")), QString());
    EXPECT_EQ(GetDirectoryFromPath(QStringLiteral("/data/")), QStringLiteral("/data/"));
    EXPECT_EQ(GetDirectoryFromPath(QStringLiteral("/data/query\\1.sxq")), QStringLiteral("/data/"));
}

TEST(MFileUtilsPaths, FileExistsOnlyForReadableFiles) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString empty = folder.filePath(QStringLiteral("empty.sgt"));
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(FileExists(empty));
    EXPECT_FALSE(FileExists(folder.path()));
    EXPECT_FALSE(FileExists(folder.filePath(QStringLiteral("missing.sgt"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(MFileUtilsFilters, PairsOfDescriptionAndPatternsBecomeNameFilters) {
    EXPECT_EQ(NameFiltersFromFilterText(QStringLiteral("Vesk files|*.vesk|Data|*.a;*.b")),
              QStringList({QStringLiteral("Vesk files (*.vesk)"), QStringLiteral("Data (*.a *.b)")}));
    // Patterns already named in the description are not shown twice.
    EXPECT_EQ(NameFiltersFromFilterText(QStringLiteral("Text Files (*.txt)|*.txt")),
              QStringList({QStringLiteral("Text Files (*.txt)")}));
    EXPECT_EQ(NameFiltersFromFilterText(QStringLiteral("|*.sgt")), QStringList({QStringLiteral("(*.sgt)")}));
    EXPECT_EQ(NameFiltersFromFilterText(QStringLiteral("All|*.*|Unpaired")),
              QStringList({QStringLiteral("All (*.*)")}));
    EXPECT_TRUE(NameFiltersFromFilterText(QString()).isEmpty());
    EXPECT_TRUE(NameFiltersFromFilterText(QStringLiteral("Nothing| ; ")).isEmpty());
}

namespace {

class MFileUtilsDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }

    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        for (const char* name : {"a.vesk", "b.txt", "out.sgt"}) {
            QFile file(m_folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    QString path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }

    // Types `text` into the dialog's file name field and presses Enter, as a user would.
    static void typeFileName(QFileDialog& dialog, const QString& text) {
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static bool messageBoxVisible() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
                return true;
        return false;
    }

    QTemporaryDir m_folder;
    QFileDialog m_dialog;
};

} // namespace

TEST_F(MFileUtilsDialog, OpenSetsUpTheDialogAndReturnsTheChosenFile) {
    modaldriver::onNextModal([this](QWidget* modal) {
        EXPECT_EQ(modal, &m_dialog);
        EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Choose a data file"));
        EXPECT_EQ(m_dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(m_dialog.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(m_dialog.nameFilters(),
                  QStringList({QStringLiteral("Vesk files (*.vesk)"), QStringLiteral("All files (*.*)")}));
        EXPECT_EQ(m_dialog.directory().absolutePath(), QDir(m_folder.path()).absolutePath());
        typeFileName(m_dialog, QStringLiteral("a.vesk"));
    });
    EXPECT_EQ(ChooseFileToOpen(m_dialog, QStringLiteral("Vesk files|*.vesk|All files|*.*"), path("b.txt"),
                               QStringLiteral("Choose a data file")),
              path("a.vesk"));
}

TEST_F(MFileUtilsDialog, OpenRefusesAMissingFileAndCancelGivesEmptyTextWithoutAMessage) {
    modaldriver::onNextModal([this](QWidget*) {
        modaldriver::onNextModal(
            [this](QWidget* refusal) {
                EXPECT_TRUE(qobject_cast<QMessageBox*>(refusal));
                refusal->close();
                EXPECT_TRUE(m_dialog.isVisible());
                QTest::keyClick(&m_dialog, Qt::Key_Escape);
            },
            &m_dialog);
        typeFileName(m_dialog, QStringLiteral("missing.vesk"));
    });
    QString chosen = QStringLiteral("unchanged");
    EXPECT_NO_THROW(
        chosen = ChooseFileToOpen(m_dialog, QStringLiteral("Vesk files|*.vesk"), path("a.vesk"), QString()));
    EXPECT_EQ(chosen, QString());
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Open"));
    EXPECT_FALSE(messageBoxVisible());
}

TEST_F(MFileUtilsDialog, SaveAsksBeforeReplacingAnExistingFile) {
    modaldriver::onNextModal([this](QWidget*) {
        EXPECT_EQ(m_dialog.acceptMode(), QFileDialog::AcceptSave);
        modaldriver::onNextModal(
            [this](QWidget* question) {
                auto* box = qobject_cast<QMessageBox*>(question);
                ASSERT_NE(box, nullptr);
                box->button(QMessageBox::No)->click();
                // Declining keeps the dialog open; the second time the user agrees.
                modaldriver::onNextModal(
                    [](QWidget* again) {
                        qobject_cast<QMessageBox*>(again)->button(QMessageBox::Yes)->click();
                    },
                    &m_dialog);
                typeFileName(m_dialog, QStringLiteral("out.sgt"));
            },
            &m_dialog);
        typeFileName(m_dialog, QStringLiteral("out.sgt"));
    });
    EXPECT_EQ(ChooseFileToSave(m_dialog, QStringLiteral("Query files|*.sgt"), path("out.sgt"),
                               QStringLiteral("Save the query file")),
              path("out.sgt"));
}

TEST_F(MFileUtilsDialog, SaveKeepsTheInitialNameWhateverTheFilter) {
    modaldriver::onNextModal([this](QWidget*) {
        auto* edit = m_dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QStringLiteral("new.txt"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(ChooseFileToSave(m_dialog, QStringLiteral("Query files|*.sgt"), path("new.txt"), QString()),
              path("new.txt"));
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Save As"));
}

TEST_F(MFileUtilsDialog, SaveIntoAMissingFolderRaisesTheSystemError) {
    const QString target = path("no-such-folder/out.sgt");
    modaldriver::onNextModal([this, target](QWidget*) { typeFileName(m_dialog, target); });
    try {
        ChooseFileToSave(m_dialog, QStringLiteral("Query files|*.sgt"), path("out.sgt"), QString());
        ADD_FAILURE() << "a file in a missing folder was accepted";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        EXPECT_EQ(error.description(),
                  QStringLiteral("The folder %1 does not exist.").arg(path("no-such-folder")));
    }
}
